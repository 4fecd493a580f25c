#ifndef SALESREGISTERS_H
#define SALESREGISTERS_H

#include "kovtypes.h"

// Record validators of the sales registers (book 14), general ("g") and detailed ("d") variants.

// ---- Register 14.1 ----

// Sales register 14.1: one set of record checks, reported with the layout's general totals ("g") or with its
// totals by state, voucher class, medium and currency ("d").
KovRespuesta f140100g(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f140100d(QList<KovColumna> *cols, ParametrosRegistro *params);

// ---- end of register 14.1 ----



// ---- Register 14.2 ----

// Sales register 14.2: one set of record checks, reported with the layout's general totals ("g") or with its
// detailed totals by state, currency, voucher class and medium ("d").
KovRespuesta f140200g(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f140200d(QList<KovColumna> *cols, ParametrosRegistro *params);

// ---- end of register 14.2 ----

#endif
