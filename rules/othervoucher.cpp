#include "othervoucher.h"

#include "codetables.h"
#include "conjuntocodigos.h"
#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "rulehelpers.h"
#include "vouchernumber.h"


namespace {

// The three texts of one voucher, read once, and the running result of the call that checks them.
struct Comprobante
{
    Comprobante(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero)
        : tipo(getData(cols, colTipo)), serie(getData(cols, colSerie)), numero(getData(cols, colNumero)),
          colTipo(colTipo), colSerie(colSerie), colNumero(colNumero), resp(resp)
    {
    }

    void errorSerie(int codigo) { error(codigo, colSerie); }
    void errorNumero(int codigo) { error(codigo, colNumero); }
    void tipoNoValido()
    {
        resp->addError(QStringLiteral("Tipo de comprobante no valido"), colTipo);
        ok = false;
    }

    const QString tipo;
    const QString serie;
    const QString numero;
    const int colTipo;
    const int colSerie;
    const int colNumero;
    bool ok = true;

private:
    void error(int codigo, int col)
    {
        resp->addError(codigo, col);
        ok = false;
    }

    KovRespuesta *resp;
};

// An empty series has no first letter.
QString primeraLetra(const QString &serie)
{
    return serie.left(1).toUpper();
}

bool empiezaConLetra(const QString &serie)
{
    static const ConjuntoCodigos letras("E F B");
    return letras.contiene(primeraLetra(serie));
}

typedef void (*ReglasGrupo)(Comprobante &);

struct Grupo
{
    ConjuntoCodigos tipos;
    ReglasGrupo reglas;
};

// Runs the rules of the first group whose list holds the type; false when none does.
template <size_t N>
bool aplicaGrupo(Comprobante &c, const Grupo (&grupos)[N])
{
    for (const Grupo &grupo : grupos) {
        if (grupo.tipos.contiene(c.tipo)) {
            grupo.reglas(c);
            return true;
        }
    }
    return false;
}

// Types 23 and 25: a short series of digits.
void serieCorta(Comprobante &c)
{
    if (c.serie.size() > 4)
        c.errorSerie(4);
    else if (!esSoloDigitos(c.serie))
        c.errorSerie(5);
    if (c.numero.size() > 7)
        c.errorNumero(4);
}

// The large group whose series is free text; only type 11 fixes the number's length.
void serieLibre(Comprobante &c)
{
    if (c.serie.size() > 20)
        c.errorSerie(4);
    const bool numeroMal = c.tipo == QLatin1String("11") ? c.numero.size() != 15 : c.numero.size() > 20;
    if (numeroMal)
        c.errorNumero(4);
}

// Types 05 and 55: a one-character series from a short list.
void serieUnCaracter(Comprobante &c)
{
    if (c.serie.size() != 1) {
        c.errorSerie(4);
    } else {
        static const ConjuntoCodigos series05("1 2 3 4");
        static const ConjuntoCodigos series55("1 2");
        if (!(c.tipo == QLatin1String("05") ? series05 : series55).contiene(c.serie))
            c.errorSerie(5);
    }
    if (c.numero.size() > 11)
        c.errorNumero(4);
}

// Types 10, 22 and 46: four digits, fixed for 10 and 22.
void serieFija(Comprobante &c)
{
    if (c.serie.size() != 4)
        c.errorSerie(4);
    else if ((c.tipo == QLatin1String("10") && c.serie != QLatin1String("1683"))
             || (c.tipo == QLatin1String("22") && c.serie != QLatin1String("0820")))
        c.errorSerie(5);
    else if (!esSoloDigitos(c.serie))
        c.errorSerie(5);
    if (c.numero.size() > 20)
        c.errorNumero(4);
}

// Four digits; the types of conValor may not use the series of four zeros.
void serieCuatroDigitos(Comprobante &c, const ConjuntoCodigos &conValor)
{
    if (c.serie.size() != 4)
        c.errorSerie(4);
    else if (!esSoloDigitos(c.serie))
        c.errorSerie(5);
    else if (conValor.contiene(c.tipo) && numeroTexto(c.serie) < 1)
        c.errorSerie(5);
    static const ConjuntoCodigos limiteOcho("06 36");
    int limite = 7;
    if (c.tipo == QLatin1String("56"))
        limite = 11;
    else if (limiteOcho.contiene(c.tipo))
        limite = 8;
    if (c.numero.size() > limite)
        c.errorNumero(4);
}

// Three digits; the number of type 54 may be longer than that of 50 to 53.
void serieTresDigitos(Comprobante &c, bool tabla11)
{
    if (c.serie.size() != 3)
        c.errorSerie(4);
    else if (!esSoloDigitos(c.serie))
        c.errorSerie(5);
    else if (tabla11 && !checkHardcodeTabla11(c.serie))
        c.errorSerie(6);
    if (c.numero.size() > (c.tipo == QLatin1String("54") ? 20 : 6))
        c.errorNumero(4);
}

// --- checkCdpTipSerNumOtros ---

// Types 01, 02, 03, 04, 07 and 08: an electronic series by its letter, any other of four digits.
void serieElectronicaOtros(Comprobante &c)
{
    if (c.serie.size() != 4) {
        c.errorSerie(4);
        return;
    }
    static const ConjuntoCodigos soloE001("02 04");
    static const ConjuntoCodigos seriesE("E001 EB01");
    const QString letra = primeraLetra(c.serie);
    if (empiezaConLetra(c.serie)) {
        // Between them these rules report one error at most.
        if (soloE001.contiene(c.tipo) && c.serie != QLatin1String("E001"))
            c.errorSerie(5);
        if (c.ok && c.tipo == QLatin1String("03") && letra != QLatin1String("B") && c.serie != QLatin1String("EB01"))
            c.errorSerie(5);
        if (c.ok && c.tipo == QLatin1String("01") && letra != QLatin1String("F") && c.serie != QLatin1String("E001"))
            c.errorSerie(5);
        if (c.ok && letra == QLatin1String("E") && !seriesE.contiene(c.serie))
            c.errorSerie(5);
    } else if (!esSoloDigitos(c.serie)) {
        c.errorSerie(5);
    }
    if (c.ok && c.numero.size() > 8)
        c.errorNumero(4);
}

void serieCuatroDigitosOtros(Comprobante &c)
{
    static const ConjuntoCodigos conValor("06 48 56 89");
    serieCuatroDigitos(c, conValor);
}

void serieTabla11(Comprobante &c)
{
    serieTresDigitos(c, true);
}

// Types 09, 20, 31, 33, 40 and 41: any four characters.
void serieCuatroCaracteres(Comprobante &c)
{
    if (c.serie.size() != 4)
        c.errorSerie(4);
    if (c.numero.size() > 8)
        c.errorNumero(4);
}

// The number's digits and value, by type alone, whichever group took the type.
void numeroComunOtros(Comprobante &c)
{
    if (const int codigo = errorNumeroComprobante(c.tipo, c.numero))
        c.errorNumero(codigo);
}

// --- checkTipSerNum ---

// Types 01, 02, 03, 04, 06, 07 and 08 of the second variant: letters refused by type; the number may have 8
// characters for type 06 and for a series with a letter (type 02 excepted), else 7.
void serieElectronicaVariante(Comprobante &c)
{
    static const struct
    {
        QString tipo;
        ConjuntoCodigos rechazadas;
    } letrasRechazadas[] = {
        {QStringLiteral("01"), ConjuntoCodigos("B")},
        {QStringLiteral("02"), ConjuntoCodigos("B F")},
        {QStringLiteral("03"), ConjuntoCodigos("E F")},
        {QStringLiteral("04"), ConjuntoCodigos("B F")},
    };
    static const ConjuntoCodigos limiteOcho("01 03 04 07 08");

    if (c.serie.size() != 4) {
        c.errorSerie(4);
    } else if (!empiezaConLetra(c.serie)) {
        if (!esSoloDigitos(c.serie))
            c.errorSerie(5);
    } else if (c.tipo == QLatin1String("06")) {
        c.errorSerie(5);
    } else {
        const QString letra = primeraLetra(c.serie);
        for (const auto &regla : letrasRechazadas) {
            if (c.tipo == regla.tipo && regla.rechazadas.contiene(letra))
                c.errorSerie(5);
        }
        if (c.ok && letra == QLatin1String("E") && c.serie != QLatin1String("E001"))
            c.errorSerie(5);
    }

    int limite = 7;
    if (c.tipo == QLatin1String("06") || (empiezaConLetra(c.serie) && limiteOcho.contiene(c.tipo)))
        limite = 8;
    if (c.numero.size() > limite)
        c.errorNumero(4);
}

void serieCuatroDigitosVariante(Comprobante &c)
{
    static const ConjuntoCodigos conValor("56");
    serieCuatroDigitos(c, conValor);
}

void serieTresDigitosVariante(Comprobante &c)
{
    serieTresDigitos(c, false);
}

} // namespace

bool checkCdpTipSerNumOtros(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero)
{
    static const Grupo grupos[] = {
        {ConjuntoCodigos("01 02 03 04 07 08"), serieElectronicaOtros},
        {ConjuntoCodigos("23 25"), serieCorta},
        {ConjuntoCodigos("00 11 12 13 14 15 16 17 18 19 21 24 26 27 28 29 30 32 37 42 43 44 45 49 87 88 91 96 97 98"),
         serieLibre},
        {ConjuntoCodigos("05 55"), serieUnCaracter},
        {ConjuntoCodigos("10 22 46"), serieFija},
        {ConjuntoCodigos("06 34 35 36 48 56 89"), serieCuatroDigitosOtros},
        {ConjuntoCodigos("50 51 52 53 54"), serieTabla11},
        {ConjuntoCodigos("09 20 31 33 40 41"), serieCuatroCaracteres},
    };

    Comprobante c(resp, cols, colTipo, colSerie, colNumero);
    const bool faltaSerie = c.serie.trimmed().isEmpty() && checkCdpSerieObliga(c.tipo);
    if (faltaSerie)
        resp->addError(51, colSerie);
    if (c.numero.trimmed().isEmpty() && !checkCdpNumeroOpta(c.tipo)) {
        resp->addError(52, colNumero);
        return false;
    }
    if (faltaSerie)
        return false;

    if (!aplicaGrupo(c, grupos))
        c.tipoNoValido();
    numeroComunOtros(c);
    return c.ok;
}

bool checkTipSerNum(KovRespuesta *resp, QList<KovColumna> *cols, int colTipo, int colSerie, int colNumero)
{
    static const Grupo grupos[] = {
        {ConjuntoCodigos("01 02 03 04 06 07 08"), serieElectronicaVariante},
        {ConjuntoCodigos("23 25"), serieCorta},
        {ConjuntoCodigos("00 11 12 13 14 15 16 17 18 19 21 24 26 27 28 29 30 32 37 42 43 44 45 49 87 88 96 97 98"),
         serieLibre},
        {ConjuntoCodigos("05 55"), serieUnCaracter},
        {ConjuntoCodigos("50 51 52 53 54"), serieTresDigitosVariante},
        {ConjuntoCodigos("10 22 46"), serieFija},
        {ConjuntoCodigos("34 35 36 48 56 89"), serieCuatroDigitosVariante},
    };

    Comprobante c(resp, cols, colTipo, colSerie, colNumero);
    if (!aplicaGrupo(c, grupos))
        c.tipoNoValido();
    // Only type 00 may carry a number that is not above zero.
    if (c.tipo != QLatin1String("00") && signoCifras(c.numero) <= 0)
        c.errorNumero(5);
    return c.ok;
}
