#ifndef SALESREGISTERS_H
#define SALESREGISTERS_H

#include "kovtypes.h"

// Record validators of the sales registers (book 14), general ("g") and detailed ("d") variants.

// ---- Register 14.1 ----

// ---- end of register 14.1 ----



// ---- Register 14.2 ----

// ---- end of register 14.2 ----

#endif
