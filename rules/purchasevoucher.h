#ifndef PURCHASEVOUCHER_H
#define PURCHASEVOUCHER_H

#include <QList>
#include <QString>

class KovColumna;
class KovRespuesta;

// Voucher type, series and number of the purchase registers ("080100", "080200", "080300"): reports every
// finding into resp and returns true when this call reported nothing.
bool checkIndTipSerNumCompras(KovRespuesta *resp, QList<KovColumna> *cols, int colEstado, int colTipo,
                              int colSerie, int colNumero, const QString &libro);

#endif // PURCHASEVOUCHER_H
