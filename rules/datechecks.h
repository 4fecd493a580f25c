#ifndef DATECHECKS_H
#define DATECHECKS_H

#include "kovrespuesta.h"

#include <QList>
#include <QString>

class KovColumna;

// Rules that tie a record to time: its period against the book's period by state, and a date field against
// a period. Periods are "yyyyMMdd" texts (day "00" for a month, month and day "00" for a year); dates are
// "dd/MM/yyyy" fields.

bool checkPeriodoCompras(KovRespuesta *resp, int col, int estado, const QString &periodo,
                         const QString &periodoLibro, bool diario);
bool checkPeriodoConLibro(KovRespuesta *resp, int col, int estado, const QString &periodo,
                          const QString &periodoLibro, bool diario, bool restaDia);
bool checkAnualConLibro(KovRespuesta *resp, int col, int estado, const QString &periodo,
                        const QString &periodoLibro, bool mensual, int anioMinimo);
// The period against the opportunity code in the book file's name; reports at column 1.
bool checkPeriodoCodigoOportunidad(KovRespuesta *resp, int estado, const QString &periodo, const QString &path);
// An annual period returns false without a finding. The book period is not read; callers may leave it out.
bool checkFechaEmisionEstado(KovRespuesta *resp, QList<KovColumna> *cols, int colFecha, int estado,
                             const QString &periodo, const QString &periodoLibro = QString());
bool checkFechaConPeriodoCompras(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo);
// With `reportar` false an invalid date gets error 13 yet returns true; a late date returns false and is
// reported (error 19) only when `mesSiguiente` is false and `reportar` true.
bool checkFechaConPeriodo(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo,
                          bool mesSiguiente, bool reportar);

#endif // DATECHECKS_H
