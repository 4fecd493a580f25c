#include "kovrespuesta.h"

#include <utility>

namespace {

EntradaAcumulador entrada(const TotalRespuesta &total)
{
    EntradaAcumulador e;
    e.insert(QStringLiteral("atrib"), total.atrib);
    e.insert(QStringLiteral("valor"), KovRespuesta::textoValor(total.valor));
    return e;
}

QList<EntradaAcumulador> entradas(const QVector<TotalRespuesta> &totales)
{
    QList<EntradaAcumulador> lista;
    lista.reserve(totales.size());
    for (const TotalRespuesta &t : totales)
        lista.append(entrada(t));
    return lista;
}

} // namespace

KovRespuesta::KovRespuesta()
    : numErrores(0), numEstado7(0), estado1Debe(0.0), estado1Haber(0.0), notAddLine(false), totalLineDetail(0)
{
}

void KovRespuesta::addError(int cod, int col)
{
    ErrorRespuesta e;
    e.insert(QStringLiteral("cod"), cod);
    e.insert(QStringLiteral("col"), col);
    errores.append(e);
    ++numErrores;
}

void KovRespuesta::addError(int cod)
{
    addError(cod, 0);
}

void KovRespuesta::addError(const QString &descripcion, int col)
{
    ErrorRespuesta e;
    e.insert(QStringLiteral("cod"), 666);
    e.insert(QStringLiteral("col"), col);
    e.insert(QStringLiteral("des"), descripcion);
    errores.append(e);
    ++numErrores;
}

bool KovRespuesta::hasErrores() const
{
    return numErrores > 0;
}

void KovRespuesta::addAcumulador(const QString &atrib, double valor)
{
    addAcumulador(QString(atrib), valor);
}

void KovRespuesta::addAgregado(const QString &atrib, double valor)
{
    addAgregado(QString(atrib), valor);
}

void KovRespuesta::addCasillas(const QString &atrib, double valor)
{
    addCasillas(QString(atrib), valor);
}

void KovRespuesta::addAcumulador(QString &&atrib, double valor)
{
    // A record validator reports its summary totals by the dozen.
    if (acumuladores.capacity() == 0)
        acumuladores.reserve(64);
    acumuladores.append(TotalRespuesta{std::move(atrib), valorFinito(valor)});
}

void KovRespuesta::addAgregado(QString &&atrib, double valor)
{
    agregados.append(TotalRespuesta{std::move(atrib), valorFinito(valor)});
}

void KovRespuesta::addCasillas(QString &&atrib, double valor)
{
    casillas.append(TotalRespuesta{std::move(atrib), valorFinito(valor)});
}

void KovRespuesta::addPerAcumulador(const QString &atrib, const QString &periodo, double valor)
{
    perAcumuladores.append(TotalPeriodo{atrib, periodo, valorFinito(valor)});
}

bool KovRespuesta::hasAcumuladores() const
{
    return !acumuladores.isEmpty();
}

bool KovRespuesta::hasAgregados() const
{
    return !agregados.isEmpty();
}

bool KovRespuesta::hasCasillas() const
{
    return !casillas.isEmpty();
}

bool KovRespuesta::hasPerAcumuladores() const
{
    return !perAcumuladores.isEmpty();
}

void KovRespuesta::addCounterDetail()
{
    ++totalLineDetail;
}

int KovRespuesta::getTotalLineDetail() const
{
    // Only the low 32 bits travel on, as a two's-complement int.
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(totalLineDetail) & 0xffffffffu));
}

void KovRespuesta::addEstado7()
{
    ++numEstado7;
}

int KovRespuesta::getNumeroEstado7() const
{
    return numEstado7;
}

void KovRespuesta::addEstado1Debe(double valor)
{
    estado1Debe += valorFinito(valor);
}

void KovRespuesta::addEstado1Haber(double valor)
{
    estado1Haber += valorFinito(valor);
}

double KovRespuesta::getEstado1Debe() const
{
    return estado1Debe;
}

double KovRespuesta::getEstado1Haber() const
{
    return estado1Haber;
}

void KovRespuesta::setNotAddLine()
{
    notAddLine = true;
}

bool KovRespuesta::getNotAddLine() const
{
    return notAddLine;
}

int KovRespuesta::getNumErrores() const
{
    return numErrores;
}

QList<ErrorRespuesta> KovRespuesta::getErrores() const
{
    return errores;
}

QList<EntradaAcumulador> KovRespuesta::getAcumuladores() const
{
    return entradas(acumuladores);
}

QList<EntradaAcumulador> KovRespuesta::getAgregados() const
{
    return entradas(agregados);
}

QList<EntradaAcumulador> KovRespuesta::getCasillas() const
{
    return entradas(casillas);
}

QList<EntradaAcumulador> KovRespuesta::getPerAcumuladores() const
{
    QList<EntradaAcumulador> lista;
    lista.reserve(perAcumuladores.size());
    for (const TotalPeriodo &t : perAcumuladores) {
        EntradaAcumulador e = entrada(TotalRespuesta{t.atrib, t.valor});
        e.insert(QStringLiteral("per"), t.periodo);
        lista.append(e);
    }
    return lista;
}

void KovRespuesta::quitaTotales()
{
    acumuladores = QVector<TotalRespuesta>();
    agregados = QVector<TotalRespuesta>();
    casillas = QVector<TotalRespuesta>();
    perAcumuladores = QVector<TotalPeriodo>();
}

const QVector<TotalRespuesta> &KovRespuesta::totalesAcumuladores() const
{
    return acumuladores;
}

const QVector<TotalRespuesta> &KovRespuesta::totalesAgregados() const
{
    return agregados;
}

const QVector<TotalRespuesta> &KovRespuesta::totalesCasillas() const
{
    return casillas;
}

const QVector<TotalPeriodo> &KovRespuesta::totalesPerAcumuladores() const
{
    return perAcumuladores;
}

QString KovRespuesta::textoValor(double valor)
{
    return QString::number(valorFinito(valor), 'f', 3);
}
