#ifndef PURCHASEREGISTERS_H
#define PURCHASEREGISTERS_H

#include "kovtypes.h"

// Record validators of the purchase registers (book 8), general ("g") and detailed ("d") variants.

// ---- Register 8.1 ----

// ---- end of register 8.1 ----



// ---- Registers 8.2 and 8.3 ----

// ---- end of registers 8.2 and 8.3 ----

#endif
