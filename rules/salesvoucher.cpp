#include "salesvoucher.h"

#include "codetables.h"
#include "conjuntocodigos.h"
#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "rulehelpers.h"
#include "vouchernumber.h"


namespace {

const char kMensajeSubLibro[] = "No puede consignar este tipo de comprobante para el sub libro seleccionado";
const char kMensajeEstado[] = "No puede consignar este tipo de comprobante para el estado";
const char kMensajeTipo[] = "Tipo de comprobante no valido para ventas";

// Every voucher type of the sales registers: sub-book 14.1 admits them all, and so do states 1, 8 and 9.
const char kTiposVenta[] = "00 01 03 04 05 06 07 08 11 12 13 14 15 16 17 18 19 21 23 24 25 26 27 28 29 30 32 34 35 36 "
                           "37 42 43 44 45 48 49 55 56 87 88";

// One call's view of the record: the texts as read and the columns that receive the findings.
struct Comprobante
{
    KovRespuesta *resp;
    QString tipo;
    QString serie;
    QString numero;
    int colTipo;
    int colSerie;
    int colNumero;

    // Adds the finding and yields the pass flag it leaves behind.
    bool falla(int codigo, int columna)
    {
        resp->addError(codigo, columna);
        return false;
    }
};

// Types 01 03 04 07 08: four characters, either a leading E, F or B with the fixed series each type allows,
// or four digits; the number only when the series passed.
bool serieFacturas(Comprobante &c)
{
    static const ConjuntoCodigos letras("E F B");
    static const ConjuntoCodigos fijas("E001 EB01");

    if (c.serie.size() != 4)
        return c.falla(4, c.colSerie);

    const QString letra = c.serie.left(1).toUpper();
    bool pasa = true;
    if (!letras.contiene(letra)) {
        if (!esSoloDigitos(c.serie))
            pasa = c.falla(5, c.colSerie);
    } else if ((c.tipo == QLatin1String("04") && c.serie != QLatin1String("E001"))
               || (c.tipo == QLatin1String("03") && letra != QLatin1String("B") && c.serie != QLatin1String("EB01"))
               || (c.tipo == QLatin1String("01") && letra != QLatin1String("F") && c.serie != QLatin1String("E001"))
               || (letra == QLatin1String("E") && !fijas.contiene(c.serie))) {
        pasa = c.falla(5, c.colSerie);
    }
    if (pasa && c.numero.size() > 8)
        pasa = c.falla(4, c.colNumero);
    return pasa;
}

// Types 23 and 25: up to four digits of series, up to seven characters of number.
bool serieNumerica(Comprobante &c)
{
    bool pasa = true;
    if (c.serie.size() > 4)
        pasa = c.falla(4, c.colSerie);
    else if (!esSoloDigitos(c.serie))
        pasa = c.falla(5, c.colSerie);
    if (c.numero.size() > 7)
        pasa = c.falla(4, c.colNumero);
    return pasa;
}

// The 26-type group: any series of up to twenty characters; a type 11 number has exactly fifteen.
bool serieLibre(Comprobante &c)
{
    bool pasa = true;
    if (c.serie.size() > 20)
        pasa = c.falla(4, c.colSerie);
    const bool numeroFuera = c.tipo == QLatin1String("11") ? c.numero.size() != 15 : c.numero.size() > 20;
    if (numeroFuera)
        pasa = c.falla(4, c.colNumero);
    return pasa;
}

// Types 05 and 55: a one-character series from the type's own list.
bool serieUnCaracter(Comprobante &c)
{
    static const ConjuntoCodigos series05("1 2 3 4 5");
    static const ConjuntoCodigos series55("1 2 5");

    bool pasa = true;
    if (c.serie.size() != 1)
        pasa = c.falla(4, c.colSerie);
    else if (!(c.tipo == QLatin1String("05") ? series05 : series55).contiene(c.serie))
        pasa = c.falla(5, c.colSerie);
    if (c.numero.size() > 11)
        pasa = c.falla(4, c.colNumero);
    return pasa;
}

// Types 06 34 35 36 48 56: four digits of series, four zeros refused where the type says so.
bool serieCuatroDigitos(Comprobante &c)
{
    struct Limites
    {
        const char *tipo;
        int numeroMaximo;
        bool sinCeros;
    };
    static const Limites limites[] = {
        {"06", 8, true}, {"34", 7, false}, {"35", 7, false}, {"36", 8, false}, {"48", 7, true}, {"56", 11, true},
    };

    int numeroMaximo = 7;
    bool sinCeros = false;
    for (const Limites &l : limites) {
        if (c.tipo == QLatin1String(l.tipo)) {
            numeroMaximo = l.numeroMaximo;
            sinCeros = l.sinCeros;
        }
    }

    bool pasa = true;
    if (c.serie.size() != 4)
        pasa = c.falla(4, c.colSerie);
    else if (!esSoloDigitos(c.serie))
        pasa = c.falla(5, c.colSerie);
    else if (sinCeros && signoCifras(c.serie) <= 0)
        pasa = c.falla(5, c.colSerie);
    if (c.numero.size() > numeroMaximo)
        pasa = c.falla(4, c.colNumero);
    return pasa;
}

typedef bool (*ReglaSerie)(Comprobante &);

struct GrupoTipos
{
    ConjuntoCodigos tipos;
    ReglaSerie regla;
};

// The first group that holds the type judges its series; a type in none is reported at the type column.
bool etapaSerie(Comprobante &c)
{
    static const GrupoTipos grupos[] = {
        {ConjuntoCodigos("01 03 04 07 08"), serieFacturas},
        {ConjuntoCodigos("23 25"), serieNumerica},
        {ConjuntoCodigos("00 11 12 13 14 15 16 17 18 19 21 24 26 27 28 29 30 32 37 42 43 44 45 49 87 88"), serieLibre},
        {ConjuntoCodigos("05 55"), serieUnCaracter},
        {ConjuntoCodigos("06 34 35 36 48 56"), serieCuatroDigitos},
    };
    for (const GrupoTipos &g : grupos) {
        if (g.tipos.contiene(c.tipo))
            return g.regla(c);
    }
    c.resp->addError(QString::fromLatin1(kMensajeTipo), c.colTipo);
    return false;
}

// The number by the type alone; only ever turns the pass flag from true to false.
bool etapaNumero(Comprobante &c, bool pasa)
{
    if (const int codigo = errorNumeroComprobante(c.tipo, c.numero))
        return c.falla(codigo, c.colNumero);
    return pasa;
}

} // namespace

bool checkIndTipSerNumVentas(KovRespuesta *resp, QList<KovColumna> *cols, int colEstado, int colTipo,
                             int colSerie, int colNumero, const QString &libro)
{
    static const ConjuntoCodigos tiposLibro141(kTiposVenta);
    static const ConjuntoCodigos tiposLibro142("00 01 03 07 08 12");
    static const ConjuntoCodigos tiposEstado0("00 23 25 27 28 29 30 32 34 35 42 44 45 48 49 56");
    static const ConjuntoCodigos tiposEstado189(kTiposVenta);
    static const ConjuntoCodigos tiposEstado2("00 01 03 04 05 07 08 11 12 13 14 15 16 17 18 19 21 23 24 25 26 "
                                              "27 28 29 30 32 34 35 36 37 42 43 44 45 48 55 56 87 88");

    // Without a result to add to, the call still answers; its findings have nowhere to go.
    KovRespuesta descartada;
    if (!resp)
        resp = &descartada;

    const QString estado = getData(cols, colEstado);
    const QString tipo = getData(cols, colTipo);
    const QString serie = getData(cols, colSerie);
    const QString numero = getData(cols, colNumero);

    const ConjuntoCodigos *subLibro = nullptr;
    if (libro == QLatin1String("140100"))
        subLibro = &tiposLibro141;
    else if (libro == QLatin1String("140200"))
        subLibro = &tiposLibro142;
    if (subLibro && !subLibro->contiene(tipo)) {
        resp->addError(QString::fromLatin1(kMensajeSubLibro), colTipo);
        return false;
    }

    const ConjuntoCodigos *porEstado = nullptr;
    if (estado == QLatin1String("0"))
        porEstado = &tiposEstado0;
    else if (estado == QLatin1String("1") || estado == QLatin1String("8") || estado == QLatin1String("9"))
        porEstado = &tiposEstado189;
    else if (estado == QLatin1String("2"))
        porEstado = &tiposEstado2;
    if (porEstado && !porEstado->contiene(tipo)) {
        resp->addError(QString::fromLatin1(kMensajeEstado), colTipo);
        return false;
    }

    Comprobante c{resp, tipo, serie, numero, colTipo, colSerie, colNumero};

    const bool faltaSerie = serie.trimmed().isEmpty() && checkCdpSerieObliga(tipo);
    if (faltaSerie)
        resp->addError(51, colSerie);
    if (numero.trimmed().isEmpty() && !checkCdpNumeroOpta(tipo)) {
        resp->addError(52, colNumero);
        return false;
    }
    if (faltaSerie)
        return false;

    return etapaNumero(c, etapaSerie(c));
}
