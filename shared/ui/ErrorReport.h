#pragma once
// The platform error report: what an exception that reached an event
// handler shows.

#include "QulHooks.h"

#include <QString>

// The platform error report shown for an exception that reached an event
// handler. Replaceable for tests.
void ShowErrorReport(const QString &message);
void SetErrorReportHook(TErrorReportHook hook);  // empty: back to the default
