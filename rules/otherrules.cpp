#include "otherrules.h"

#include "conjuntocodigos.h"
#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "rulehelpers.h"


bool checkDatoEstructurado(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    static const ConjuntoCodigos libros("080100 080200 080300 140100 140200");
    // Four parts joined by "&", the first a register's book code: counted and cut without splitting the text.
    const QLatin1Char separador('&');
    const QString dato = getData(cols, col);
    if (dato.count(separador) == 3 && libros.contiene(dato.left(dato.indexOf(separador))))
        return true;
    resp->addError(9, col);
    return false;
}

bool checkObligaDesde(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &periodo, int anio,
                      const QString &vacio)
{
    if (anioPeriodo(periodo) < anio)
        return true;
    const QString dato = getData(cols, col);
    if (!dato.isEmpty() && dato != vacio)
        return true;
    resp->addError(25, col);
    return false;
}

bool checkTipoCambioFecha(KovRespuesta *, QList<KovColumna> *, int, int, int)
{
    return true;
}

bool checkRucNoHabido(KovRespuesta *, QList<KovColumna> *, int, int, int)
{
    return true;
}

bool checkProveedorExonera(KovRespuesta *, QList<KovColumna> *, int, int, int)
{
    return true;
}

bool checkDNIconRUC(KovRespuesta *, QList<KovColumna> *, int, int, int)
{
    return true;
}
