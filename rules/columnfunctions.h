#ifndef COLUMNFUNCTIONS_H
#define COLUMNFUNCTIONS_H

#include "kovrespuesta.h"
#include "kovtypes.h"

// Checks of one field by itself that a layout attaches to a column by name. Each reads the key "data" of the
// column parameters (missing: the empty text) and returns a result with no error or one error at column 0;
// the book places it at the column being read.

KovRespuesta fcIniciaAMC(ParametrosColumna *params);
KovRespuesta fcFecha(ParametrosColumna *params);
KovRespuesta fcPositivo(ParametrosColumna *params);
KovRespuesta fcNegativo(ParametrosColumna *params);
KovRespuesta fcSoloPositivo(ParametrosColumna *params);
KovRespuesta fcIndicador(ParametrosColumna *params);
KovRespuesta fcIndicadorVenta(ParametrosColumna *params);
KovRespuesta fcIndicadorCompra(ParametrosColumna *params);

#endif // COLUMNFUNCTIONS_H
