#ifndef SALESVOUCHER_H
#define SALESVOUCHER_H

#include <QList>
#include <QString>

class KovColumna;
class KovRespuesta;

// Voucher type, series and number of a sales register record (books "140100" and "140200"): whether the type
// may stand in the sub-book and with the record's state, whether series and number are present, and whether
// their form fits the type. Findings go to resp; true when this call added none.
bool checkIndTipSerNumVentas(KovRespuesta *resp, QList<KovColumna> *cols, int colEstado, int colTipo,
                             int colSerie, int colNumero, const QString &libro);

#endif // SALESVOUCHER_H
