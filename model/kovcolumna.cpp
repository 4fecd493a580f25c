#include "kovcolumna.h"

#include <limits>

namespace {

// The sequence reads its values as base-10 64-bit integers; anything else reads as 0.
qint64 entero(const QString &texto)
{
    bool ok = false;
    const qint64 n = texto.toLongLong(&ok, 10);
    return ok ? n : 0;
}

} // namespace

KovColumna::KovColumna()
    : acumulado(0.0),
      funcion(nullptr),
      obligatorio(false),
      key(false),
      acumulador(false),
      correlativo(false)
{
}

bool KovColumna::setPatronLongitud(const QString &patron)
{
    return longitud.setPatronLongitud(patron);
}

QString KovColumna::getPatronLongitud() const
{
    return longitud.getPatronLongitud();
}

bool KovColumna::checkLongitud() const
{
    return longitud.checkLongitud(data);
}

void KovColumna::setData(const QString &data)
{
    this->data = data;
}

QString KovColumna::getData() const
{
    return data;
}

void KovColumna::setParametro(const QString &parametro)
{
    this->parametro = parametro;
}

QString KovColumna::getParametro() const
{
    return parametro;
}

bool KovColumna::hasParametro() const
{
    return !parametro.isEmpty();
}

void KovColumna::setFuncion(FuncionColumna funcion)
{
    this->funcion = funcion;
}

FuncionColumna KovColumna::getFuncion() const
{
    return funcion;
}

KovRespuesta KovColumna::checkFuncion() const
{
    ParametrosColumna parametros;
    parametros.insert(QStringLiteral("data"), data);
    KovRespuesta respuesta;
    if (funcion)
        respuesta = funcion(&parametros);
    return respuesta;
}

void KovColumna::setPatron(const QString &patron)
{
    this->patron.setPatron(patron);
}

QString KovColumna::getPatron() const
{
    return patron.getPatron();
}

bool KovColumna::checkPatron() const
{
    return patron.coincide(data);
}

void KovColumna::setObligatorio(bool obligatorio)
{
    this->obligatorio = obligatorio;
}

bool KovColumna::isObligatorio() const
{
    return obligatorio;
}

void KovColumna::setKey(bool key)
{
    this->key = key;
}

bool KovColumna::isKey() const
{
    return key;
}

void KovColumna::setEnabledAcumulador(bool acumulador)
{
    this->acumulador = acumulador;
    acumulado = 0.0;
}

bool KovColumna::isAcumulador() const
{
    return acumulador;
}

void KovColumna::addAcumulador(double valor)
{
    if (acumulador)
        acumulado += qAbs(KovRespuesta::valorFinito(valor));
}

double KovColumna::getAcumulado() const
{
    return acumulado;
}

void KovColumna::setEnabledCorrelativo(bool correlativo)
{
    this->correlativo = correlativo;
}

bool KovColumna::isCorrelativo() const
{
    return correlativo;
}

bool KovColumna::checkCorrelativo()
{
    if (!correlativo)
        return true;
    bool sigue = true;
    if (!anterior.isEmpty()) {
        const qint64 previo = entero(anterior);
        // The largest value has no successor that reads as a number, so nothing follows it.
        sigue = previo != std::numeric_limits<qint64>::max() && previo + 1 == entero(data);
    }
    // A failing value becomes the reference, so one gap costs one error, not every line after it.
    anterior = data;
    return sigue;
}

QString KovColumna::getAnterior() const
{
    return anterior;
}

void KovColumna::setDescripcion(const QString &descripcion)
{
    this->descripcion = descripcion;
}

QString KovColumna::getDescripcion() const
{
    return descripcion;
}

void KovColumna::setCustomEmpty(const QString &customEmpty)
{
    this->customEmpty = customEmpty;
}

QString KovColumna::getCustomEmpty() const
{
    return customEmpty;
}

bool KovColumna::checkCustomEmpty() const
{
    return !customEmpty.isEmpty() && data == customEmpty;
}
