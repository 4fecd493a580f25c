#include "salesregisters.h"

// ---- Register 14.1 ----

// ---- end of register 14.1 ----



// ---- Register 14.2 ----

// ---- end of register 14.2 ----
