// The module's own unit: the exports that are not services. The service
// entries themselves are defined by the data service unit and exported
// through qul00002.h.
#include "qul00002.h"
