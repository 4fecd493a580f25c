#include "purchasevoucher.h"

#include "codetables.h"
#include "conjuntocodigos.h"
#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "rulehelpers.h"
#include "vouchernumber.h"

#include <cstddef>

namespace {

// The voucher types each sub-book and each record state admits.
struct ListasCompras {
    ConjuntoCodigos libro81;
    ConjuntoCodigos libro82;
    ConjuntoCodigos libro83;
    ConjuntoCodigos estado0;
    ConjuntoCodigos estado167;
    ConjuntoCodigos estado8;
    ConjuntoCodigos estado9;
};

// Built once, on the first call, even when several jobs make that call at the same moment.
const ListasCompras &listasCompras()
{
    static const ListasCompras listas = {
        { "00", "01", "02", "03", "04", "05", "06", "07", "08", "10", "11", "12", "13", "14", "15", "16", "17",
          "18", "19", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "32", "34", "35", "36", "37",
          "42", "43", "44", "45", "46", "48", "49", "50", "51", "52", "53", "54", "55", "56", "87", "88", "89",
          "96" },
        { "00", "91", "97", "98" },
        { "00", "01", "03", "05", "06", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "22", "23",
          "24", "26", "27", "28", "29", "30", "32", "36", "37", "42", "43", "45", "46", "50", "51", "52", "53",
          "54", "55", "56", "87", "88", "96" },
        { "00", "01", "02", "03", "04", "05", "06", "07", "08", "10", "11", "12", "13", "14", "15", "16", "17",
          "18", "19", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "32", "34", "35", "36", "37",
          "42", "43", "44", "45", "46", "48", "49", "50", "51", "52", "53", "54", "55", "56", "87", "88", "89",
          "91", "96", "97", "98" },
        { "00", "01", "04", "05", "06", "07", "08", "11", "12", "13", "14", "15", "16", "17", "18", "23", "24",
          "25", "26", "27", "28", "29", "30", "32", "34", "35", "36", "37", "42", "43", "46", "48", "50", "51",
          "52", "53", "54", "55", "56", "87", "88", "89", "96" },
        { "00", "91", "97", "98" },
        { "00", "01", "02", "03", "04", "05", "06", "07", "08", "10", "11", "12", "13", "14", "15", "16", "17",
          "18", "19", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "32", "34", "35", "36", "37",
          "42", "43", "44", "45", "46", "48", "49", "50", "51", "52", "53", "54", "55", "56", "87", "88", "89",
          "91", "96", "97", "98" },
    };
    return listas;
}

// A gate: the selecting text and the list of voucher types it admits. A text outside the gate's table
// is not tested.
struct Compuerta {
    const char *valor;
    ConjuntoCodigos ListasCompras::*tipos;
};

const Compuerta kCompuertaSubLibro[] = {
    { "080100", &ListasCompras::libro81 },
    { "080200", &ListasCompras::libro82 },
    { "080300", &ListasCompras::libro83 },
};

const Compuerta kCompuertaEstado[] = {
    { "0", &ListasCompras::estado0 },
    { "1", &ListasCompras::estado167 },
    { "6", &ListasCompras::estado167 },
    { "7", &ListasCompras::estado167 },
    { "8", &ListasCompras::estado8 },
    { "9", &ListasCompras::estado9 },
};

template <std::size_t N>
bool pasaCompuerta(const Compuerta (&compuerta)[N], const QString &valor, const QString &tipo)
{
    for (const Compuerta &entrada : compuerta) {
        if (valor == QLatin1String(entrada.valor))
            return (listasCompras().*entrada.tipos).contiene(tipo);
    }
    return true;
}

// The voucher as read at entry, where its findings go, and whether the call has reported anything yet.
struct Comprobante {
    KovRespuesta *resp;
    int colTipo;
    int colSerie;
    int colNumero;
    QString tipo;
    QString serie;
    QString numero;
    bool pasa;

    void reportaSerie(int codigo) { reporta(codigo, colSerie); }
    void reportaNumero(int codigo) { reporta(codigo, colNumero); }
    void reporta(int codigo, int col)
    {
        resp->addError(codigo, col);
        pasa = false;
    }
};

// Invoices, receipts and their notes: four characters, a first letter of an electronic or paper series, or
// four digits.
void serieFactura(Comprobante &c)
{
    if (c.serie.length() != 4) {
        c.reportaSerie(4);
        return;
    }
    const QString letra = QString(c.serie.at(0)).toUpper();
    if (letra == QLatin1String("E") || letra == QLatin1String("F") || letra == QLatin1String("B")) {
        if ((c.tipo == QLatin1String("02") || c.tipo == QLatin1String("04")) && c.serie != QLatin1String("E001"))
            c.reportaSerie(5);
        if (c.pasa && c.tipo == QLatin1String("03") && letra != QLatin1String("B")
            && c.serie != QLatin1String("EB01"))
            c.reportaSerie(5);
        if (c.pasa && c.tipo == QLatin1String("01") && letra != QLatin1String("F")
            && c.serie != QLatin1String("E001"))
            c.reportaSerie(5);
        if (c.pasa && letra == QLatin1String("E") && c.serie != QLatin1String("E001")
            && c.serie != QLatin1String("EB01"))
            c.reportaSerie(5);
    } else if (!esSoloDigitos(c.serie)) {
        c.reportaSerie(5);
    }
}

void serieHastaCuatroDigitos(Comprobante &c)
{
    if (c.serie.length() >= 5)
        c.reportaSerie(4);
    else if (!esSoloDigitos(c.serie))
        c.reportaSerie(5);
}

void serieLibre(Comprobante &c)
{
    if (c.serie.length() > 20)
        c.reportaSerie(4);
}

// Reports 4 for a series of another length, else 5 for one that is not all digits; true when neither.
bool serieDeDigitos(Comprobante &c, int largo)
{
    if (c.serie.length() != largo)
        c.reportaSerie(4);
    else if (!esSoloDigitos(c.serie))
        c.reportaSerie(5);
    else
        return true;
    return false;
}

void serieTabla11(Comprobante &c)
{
    if (serieDeDigitos(c, 3) && !checkHardcodeTabla11(c.serie))
        c.reportaSerie(6);
}

void serieUnDigito(Comprobante &c)
{
    static const ConjuntoCodigos series05 = { "1", "2", "3", "4" };
    static const ConjuntoCodigos series55 = { "1", "2" };
    if (c.serie.length() != 1)
        c.reportaSerie(4);
    else if (!(c.tipo == QLatin1String("05") ? series05 : series55).contiene(c.serie))
        c.reportaSerie(5);
}

void serieFija(Comprobante &c)
{
    if (serieDeDigitos(c, 4)
        && ((c.tipo == QLatin1String("10") && c.serie != QLatin1String("1683"))
            || (c.tipo == QLatin1String("22") && c.serie != QLatin1String("0820"))))
        c.reportaSerie(5);
}

void serieCuatroDigitos(Comprobante &c)
{
    if (serieDeDigitos(c, 4) && (c.tipo == QLatin1String("06") || c.tipo == QLatin1String("56"))
        && numeroTexto(c.serie) < 1.0)
        c.reportaSerie(5);
}

// A group of voucher types: its series rule and the longest number its types take (unless listed in
// kNumeroPropio). Group 1 measures the number only when its series passed.
struct Grupo {
    ConjuntoCodigos tipos;
    void (*serie)(Comprobante &);
    int numeroMaximo;
    bool numeroTrasSerieValida;
};

// The first group that holds the voucher type applies.
const Grupo *grupoDe(const QString &tipo)
{
    static const Grupo grupos[] = {
        { { "01", "02", "03", "04", "07", "08" }, serieFactura, 8, true },
        { { "23", "25", "48", "89" }, serieHastaCuatroDigitos, 7, false },
        { { "00", "11", "12", "13", "14", "15", "16", "17", "18", "19", "21", "24", "26", "27", "28",
            "29", "30", "32", "37", "42", "43", "44", "45", "49", "87", "88", "91", "96", "97", "98" },
          serieLibre, 20, false },
        { { "50", "51", "52", "53", "54" }, serieTabla11, 6, false },
        { { "05", "55" }, serieUnDigito, 11, false },
        { { "10", "22", "46" }, serieFija, 20, false },
        { { "06", "34", "35", "36", "56" }, serieCuatroDigitos, 7, false },
    };
    for (const Grupo &grupo : grupos) {
        if (grupo.tipos.contiene(tipo))
            return &grupo;
    }
    return nullptr;
}

// Types whose number limit differs from their group's.
const struct {
    const char *tipo;
    int numeroMaximo;
} kNumeroPropio[] = {
    { "11", 15 }, { "54", 20 }, { "56", 11 }, { "06", 8 }, { "36", 8 },
};

int numeroMaximo(const Grupo &grupo, const QString &tipo)
{
    for (const auto &propio : kNumeroPropio) {
        if (tipo == QLatin1String(propio.tipo))
            return propio.numeroMaximo;
    }
    return grupo.numeroMaximo;
}

// The number rules common to every type, run after the group; returns the call's verdict.
bool colaNumero(Comprobante &c)
{
    if (const int codigo = errorNumeroComprobante(c.tipo, c.numero))
        c.reportaNumero(codigo);
    return c.pasa;
}

} // namespace

bool checkIndTipSerNumCompras(KovRespuesta *resp, QList<KovColumna> *cols, int colEstado, int colTipo,
                              int colSerie, int colNumero, const QString &libro)
{
    const QString estado = getData(cols, colEstado);
    Comprobante c = { resp, colTipo, colSerie, colNumero,
                      getData(cols, colTipo), getData(cols, colSerie), getData(cols, colNumero), true };

    if (!pasaCompuerta(kCompuertaSubLibro, libro, c.tipo)) {
        resp->addError(QStringLiteral("No puede consignar este tipo de comprobante para el sub libro seleccionado"),
                       colTipo);
        return false;
    }
    if (!pasaCompuerta(kCompuertaEstado, estado, c.tipo)) {
        resp->addError(QStringLiteral("No puede consignar este tipo de comprobante para el estado"), colTipo);
        return false;
    }

    if (c.serie.trimmed().isEmpty() && checkCdpSerieObliga(c.tipo))
        c.reportaSerie(51);
    if (c.numero.trimmed().isEmpty() && !checkCdpNumeroOpta(c.tipo)) {
        c.reportaNumero(52);
        return false;
    }
    if (!c.pasa)
        return false;

    if (const Grupo *grupo = grupoDe(c.tipo)) {
        grupo->serie(c);
        if ((c.pasa || !grupo->numeroTrasSerieValida) && c.numero.length() > numeroMaximo(*grupo, c.tipo))
            c.reportaNumero(4);
    } else {
        resp->addError(QStringLiteral("Tipo de comprobante no valido para compras"), colTipo);
        c.pasa = false;
    }
    return colaNumero(c);
}
