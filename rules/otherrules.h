#ifndef OTHERRULES_H
#define OTHERRULES_H

#include <QList>
#include <QString>

class KovColumna;
class KovRespuesta;

// Column col holds four "&"-joined parts, the first a purchase or sales register book code; else error 9.
bool checkDatoEstructurado(KovRespuesta *resp, QList<KovColumna> *cols, int col);

// From the year anio of periodo ("yyyyMMdd") on, column col may be neither empty nor vacio; else error 25.
bool checkObligaDesde(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo, int anio,
                      const QString &vacio);

// Rules kept for layouts that name them; each holds for any record.
bool checkTipoCambioFecha(KovRespuesta *resp, QList<KovColumna> *cols, int, int, int);
bool checkRucNoHabido(KovRespuesta *resp, QList<KovColumna> *cols, int, int, int);
bool checkProveedorExonera(KovRespuesta *resp, QList<KovColumna> *cols, int, int, int);
bool checkDNIconRUC(KovRespuesta *resp, QList<KovColumna> *cols, int, int, int);

#endif // OTHERRULES_H
