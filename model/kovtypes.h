#ifndef KOVTYPES_H
#define KOVTYPES_H

#include "kovrespuesta.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

class KovColumna;

// Column parameters: the single key "data", the column's text.
typedef QMap<QString, QVariant> ParametrosColumna;
// Record parameters: "periodo", "path", "ruc" (texts), "generateDetail", "generateQVR", "tipoEnvioRcRvi" (ints).
typedef QMap<QString, QVariant> ParametrosRegistro;

typedef KovRespuesta (*FuncionColumna)(ParametrosColumna *);
typedef KovRespuesta (*FuncionRegistro)(QList<KovColumna> *, ParametrosRegistro *);

#endif // KOVTYPES_H
