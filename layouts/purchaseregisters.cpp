#include "purchaseregisters.h"

// ---- Register 8.1 ----

// ---- end of register 8.1 ----



// ---- Registers 8.2 and 8.3 ----

// ---- end of registers 8.2 and 8.3 ----
