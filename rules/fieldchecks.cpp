#include "fieldchecks.h"

#include "kovcolumna.h"
#include "lecturamonto.h"
#include "rulehelpers.h"

#include <QRegExp>

namespace {

// The rule holds when `falla` is false; otherwise `cod` is reported at `col`.
bool reportar(KovRespuesta *resp, bool falla, int cod, int col)
{
    if (falla)
        resp->addError(cod, col);
    return !falla;
}

bool reportar(KovRespuesta *resp, bool falla, const QString &mensaje, int col)
{
    if (falla)
        resp->addError(mensaje, col);
    return !falla;
}

enum class Largo { Exacto, Maximo, Ruc };

// What each identity-document type asks of its number: the form first, then the length or check digit.
struct ReglaDocumento {
    const char *tipo;
    bool (*forma)(const QString &);
    int errorPatron;
    Largo largo;
    int caracteres;
    int errorLargo;
};

const ReglaDocumento reglasDocumento[] = {
    {"1", esSoloDigitos, 34, Largo::Exacto, 8, 53},
    {"6", esSoloDigitos, 34, Largo::Ruc, 11, 34},
    {"A", esSoloDigitos, 34, Largo::Exacto, 15, 53},
    {"4", esAlfanumerico, 54, Largo::Maximo, 12, 53},
    {"7", esAlfanumerico, 54, Largo::Maximo, 12, 53},
    {"0", esAlfanumerico, 54, Largo::Maximo, 15, 53},
};

bool largoCumple(const ReglaDocumento &regla, const QString &numero)
{
    switch (regla.largo) {
    case Largo::Exacto:
        return numero.size() == regla.caracteres;
    case Largo::Maximo:
        return numero.size() <= regla.caracteres;
    case Largo::Ruc:
        return isValidRUC(numero);
    }
    return true;
}

} // namespace

bool checkIndicador(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QStringList &valores)
{
    return reportar(resp, !inList(getData(cols, col), valores), 14, col);
}

bool checkEnLista(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QStringList &valores)
{
    return reportar(resp, !inList(getData(cols, col), valores), 29, col);
}

bool checkObligatorio(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &vacio)
{
    const QString texto = getData(cols, col);
    return reportar(resp, texto.isEmpty() || texto == vacio, 25, col);
}

bool checkDebeSerEsteValor(KovRespuesta *resp, QList<KovColumna> *cols, int col, const QString &valorEsperado)
{
    return reportar(resp, getData(cols, col) != valorEsperado, 29, col);
}

bool checkPositivo(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    return reportar(resp, signoNumero(getData(cols, col)) < 0, 28, col);
}

bool checkNegativo(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    return reportar(resp, signoNumero(getData(cols, col)) > 0, 30, col);
}

bool checkSoloPositivo(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    return reportar(resp, signoNumero(getData(cols, col)) <= 0, 35, col);
}

bool checkTipoCambio(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    return reportar(resp, signoNumero(getData(cols, col)) < 0, 37, col);
}

bool checkPorcentaje(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    const double valor = leeMonto(getData(cols, col)).valor;
    return reportar(resp, valor < 0.0 || valor > 100.0, 33, col);
}

bool checkPositivoEnCadena(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    return reportar(resp, esCifrasNegativas(getData(cols, col)), 36, col);
}

bool checkCeroDecimal(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    const QString texto = getData(cols, col).trimmed();
    const bool falla = !texto.isEmpty() && signoNumero(texto) == 0 && texto != QLatin1String("0.00");
    return reportar(resp, falla, QStringLiteral("Si consigna cero debe ser 0.00"), col);
}

bool checkLongitudSerie(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    return reportar(resp, getData(cols, col).size() != 4, 26, col);
}

bool checkLongitudSerieExtendido(KovRespuesta *resp, QList<KovColumna> *cols, int col)
{
    const int largo = getData(cols, col).size();
    return reportar(resp, largo != 4 && largo != 6, 42, col);
}

bool checkLongitudSerieFijo(KovRespuesta *resp, QList<KovColumna> *cols, int col, int n)
{
    return reportar(resp, getData(cols, col).size() != n,
                    QStringLiteral("La longitud del numero debe ser de ") + QString::number(n), col);
}

bool checkLongitudSerieHasta(KovRespuesta *resp, QList<KovColumna> *cols, int col, int n)
{
    return reportar(resp, getData(cols, col).size() > n, 26, col);
}

bool checkMontoExcluyente(KovRespuesta *resp, QList<KovColumna> *cols, int col1, int col2)
{
    const bool lleno1 = signoNumero(getData(cols, col1)) != 0;
    const bool lleno2 = signoNumero(getData(cols, col2)) != 0;
    if (lleno1 == lleno2) {
        if (!lleno1)
            resp->addError(15, col1);
        resp->addError(15, col2);
        return false;
    }
    return true;
}

bool checkMontoExcluyenteExcepto(KovRespuesta *resp, QList<KovColumna> *cols, int col1, int col2)
{
    const bool ambos = signoNumero(getData(cols, col1)) != 0 && signoNumero(getData(cols, col2)) != 0;
    return reportar(resp, ambos, 15, col2);
}

bool checkTripleExcluyente(KovRespuesta *resp, QList<KovColumna> *cols, int col1, int col2, int col3)
{
    const int signos[3] = {signoNumero(getData(cols, col1)), signoNumero(getData(cols, col2)),
                           signoNumero(getData(cols, col3))};
    const int columnas[3] = {col1, col2, col3};
    int llenos = 0;
    for (int signo : signos)
        llenos += signo != 0 ? 1 : 0;
    if (llenos == 0) {
        for (int columna : columnas)
            resp->addError(15, columna);
        return false;
    }
    if (llenos > 1) {
        resp->addError(15, col1);
        return false;
    }
    for (int i = 1; i < 3; ++i) {
        if (signos[i] > 0) {
            resp->addError(QStringLiteral("El monto debe ser negativo"), columnas[i]);
            return false;
        }
    }
    return true;
}

bool checkTipoDocumento(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colNumero)
{
    const QString tipo = getData(cols, colTipo);
    const QString numero = getData(cols, colNumero);
    for (const ReglaDocumento &regla : reglasDocumento) {
        if (tipo != QLatin1String(regla.tipo))
            continue;
        if (!regla.forma(numero))
            return reportar(resp, true, regla.errorPatron, colNumero);
        return reportar(resp, !largoCumple(regla, numero), regla.errorLargo, colNumero);
    }
    return true;
}

bool buscarLetraEnCadena(KovRespuesta *, QList<KovColumna> *cols, int col)
{
    QRegExp letra(QStringLiteral("[A-Z]"), Qt::CaseInsensitive);
    return letra.indexIn(getData(cols, col)) >= 0;
}

bool checkCorrelativo(KovRespuesta *resp, int col, KovColumna *columna)
{
    if (!columna)
        return true;
    columna->setEnabledCorrelativo(true);
    const bool sigue = columna->checkCorrelativo();
    columna->setEnabledCorrelativo(false);
    return reportar(resp, !sigue, 22, col);
}
