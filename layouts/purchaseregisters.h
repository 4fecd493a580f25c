#ifndef PURCHASEREGISTERS_H
#define PURCHASEREGISTERS_H

#include "kovtypes.h"

// Record validators of the purchase registers (book 8), general ("g") and detailed ("d") variants.

// ---- Register 8.1 ----

// Main purchase register ("080100"). Both variants make the same record checks and feed the same boxes and
// aggregates; "g" keeps ten plain amount totals and the state counts, "d" keeps totals per state and over all
// states, counts by currency, medium and voucher class, and totals per earlier period.
KovRespuesta f080100g(QList<KovColumna> *cols, ParametrosRegistro *parametros);
KovRespuesta f080100d(QList<KovColumna> *cols, ParametrosRegistro *parametros);

// ---- end of register 8.1 ----



// ---- Registers 8.2 and 8.3 ----

// Purchase register 8.2 ("080200", 36 columns, state in column 36): both variants make the same record checks;
// "g" keeps ten plain totals, "d" totals per state and over all states, counts by currency, medium and voucher
// class, and totals per earlier period. Both add the detail aggregates when "generateDetail" is 1.
KovRespuesta f080200g(QList<KovColumna> *cols, ParametrosRegistro *parametros);
KovRespuesta f080200d(QList<KovColumna> *cols, ParametrosRegistro *parametros);

// Purchase register 8.3 ("080300", 31 columns, state in column 31): the same record checks and indicator counts
// in both variants, then "g" plain totals with state counts, "d" 104 detailed totals; both feed box "107"
// when "generateQVR" is 1 and add the detail aggregates when "generateDetail" is 1.
KovRespuesta f080300g(QList<KovColumna> *cols, ParametrosRegistro *parametros);
KovRespuesta f080300d(QList<KovColumna> *cols, ParametrosRegistro *parametros);

// ---- end of registers 8.2 and 8.3 ----

#endif
