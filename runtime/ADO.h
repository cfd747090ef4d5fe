#pragma once
// The database access layer as one include: connections, statements,
// the per-dialect text store and the dataset provider.

#include "ADOConnection.h"
#include "ADOQuery.h"
#include "DataSetProvider.h"
