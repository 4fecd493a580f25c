#ifndef OTHERVOUCHER_H
#define OTHERVOUCHER_H

#include <QList>

class KovColumna;
class KovRespuesta;

// Voucher type, series and number held in three 1-based columns of the record. Both rules add their findings to
// resp and return true exactly when this call added no error (what resp already held does not count).

// The voucher rule that the record validators of most books call.
bool checkCdpTipSerNumOtros(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero);

// A self-contained variant with a chain of type groups of its own; no layout calls it yet.
bool checkTipSerNum(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero);

#endif // OTHERVOUCHER_H
