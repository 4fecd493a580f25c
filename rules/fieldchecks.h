#ifndef FIELDCHECKS_H
#define FIELDCHECKS_H

#include "kovrespuesta.h"

#include <QList>
#include <QString>
#include <QStringList>

class KovColumna;

// Checks of one, two or three fields of a record. Each reads its columns by 1-based number, reports at the
// column it names and returns true when the record satisfies it.

bool checkIndicador(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QStringList &valores);
bool checkEnLista(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QStringList &valores);
bool checkObligatorio(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &vacio);
bool checkDebeSerEsteValor(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &valorEsperado);
bool checkPositivo(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkNegativo(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkSoloPositivo(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkTipoCambio(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkPorcentaje(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkPositivoEnCadena(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkCeroDecimal(KovRespuesta *resp, QList<KovColumna> *cols, int col);

bool checkLongitudSerie(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkLongitudSerieExtendido(KovRespuesta *resp, QList<KovColumna> *cols, int col);
bool checkLongitudSerieFijo(KovRespuesta *resp, QList<KovColumna> *cols, int col, int n);
// A series of at most n characters passes; a longer one gets error 26.
bool checkLongitudSerieHasta(KovRespuesta *resp, QList<KovColumna> *cols, int col, int n);

bool checkMontoExcluyente(KovRespuesta *resp, QList<KovColumna> *cols, int col1, int col2);
bool checkMontoExcluyenteExcepto(KovRespuesta *resp, QList<KovColumna> *cols, int col1, int col2);
bool checkTripleExcluyente(KovRespuesta *resp, QList<KovColumna> *cols, int col1, int col2, int col3);
bool checkTipoDocumento(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colNumero);

// A finding, not a verdict: whether the text holds a letter A-Z in either case. Adds nothing to resp.
bool buscarLetraEnCadena(KovRespuesta *resp, QList<KovColumna> *cols, int col);

// Runs the column's sequence test once, whatever its own flag says, and reports error 22 at `col` when the
// value does not follow the previous one. The column's sequence flag is off afterwards.
bool checkCorrelativo(KovRespuesta *resp, int col, KovColumna *columna);

#endif // FIELDCHECKS_H
