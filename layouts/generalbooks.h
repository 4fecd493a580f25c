#ifndef GENERALBOOKS_H
#define GENERALBOOKS_H

#include "kovtypes.h"

// Record validators of books 1 to 7 and 9 to 13, one per layout and named after its book code. Each takes the
// column list of one line (texts already set) and the record parameters, and returns the line's errors, its
// totals, its state count and its detail line. Books whose layouts share one body register that body under
// every name of the group: f030300 serves 030300, 030400 and 030500; f032400 serves 032400 and 032500;
// f050100 serves 050100 and 050200.

// Debit and credit detail.
KovRespuesta f010100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f010200(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f030200(QList<KovColumna> *cols, ParametrosRegistro *params);

// Statement items.
KovRespuesta f030100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031800(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f032000(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f032300(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f032400(QList<KovColumna> *cols, ParametrosRegistro *params);

// Account balances.
KovRespuesta f030300(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f030600(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f030700(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f030800(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f030900(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031200(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031300(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031400(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031500(QList<KovColumna> *cols, ParametrosRegistro *params);

// Capital and shareholders.
KovRespuesta f031601(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031602(QList<KovColumna> *cols, ParametrosRegistro *params);

// Trial balance and changes in equity.
KovRespuesta f031700(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f031900(QList<KovColumna> *cols, ParametrosRegistro *params);

// Withholdings.
KovRespuesta f040100(QList<KovColumna> *cols, ParametrosRegistro *params);

// Journal, chart of accounts and ledger.
KovRespuesta f050100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f050300(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f050400(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f060100(QList<KovColumna> *cols, ParametrosRegistro *params);

// Fixed assets and leasing.
KovRespuesta f070100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f070300(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f070400(QList<KovColumna> *cols, ParametrosRegistro *params);

// Consignments.
KovRespuesta f090100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f090200(QList<KovColumna> *cols, ParametrosRegistro *params);

// Costs.
KovRespuesta f100100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f100200(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f100300(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f100400(QList<KovColumna> *cols, ParametrosRegistro *params);

// Inventories.
KovRespuesta f120100(QList<KovColumna> *cols, ParametrosRegistro *params);
KovRespuesta f130100(QList<KovColumna> *cols, ParametrosRegistro *params);

#endif // GENERALBOOKS_H
