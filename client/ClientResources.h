#pragma once
// The client unit's resources (the form's stored design, the message
// catalogue) registered with Qt; called before the first one is read.
void iniciaRecursosTela();
