#include "benchbook.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <numeric>

namespace {

struct VariantName
{
    BenchVariant variant;
    const char *name;
};

const VariantName kVariants[] = {
    {BenchVariant::Valid, "valid"},
    {BenchVariant::Shuffled, "shuffled"},
    {BenchVariant::ErrorEveryLine, "errors"},
    {BenchVariant::DuplicateKeys, "duplicates"},
};

struct BenchColumn
{
    const char *longitud;
    const char *patron;
    const char *parametro;
    const char *cvacio;
    bool obligatorio;
    bool indice;
    bool acumulador;
    const char *descripcion;
};

#define AMOUNT(n) {"&12.2", "", "", "", false, false, true, "mto_" n}

// The layout: length patterns on every column, expressions on ten, three parameter tables, one key column and
// eleven accumulators.
const BenchColumn kColumns[] = {
    {"8", "\\d{6}00", "", "", true, false, false, "periodo"},
    {"&40", "[A-Za-z0-9]+", "", "", true, true, false, "cuo"},
    {"10", "\\d{2}/\\d{2}/\\d{4}", "", "", true, false, false, "fec_emision"},
    {"10", "\\d{2}/\\d{2}/\\d{4}", "", "01/01/0001", false, false, false, "fec_vencimiento"},
    {"2", "", "010", "", true, false, false, "tip_cdp"},
    {"4", "[A-Z0-9]{4}", "", "", true, false, false, "serie"},
    {"&8", "\\d{1,8}", "", "", true, false, false, "numero"},
    {"1", "", "002", "", true, false, false, "tip_doc"},
    {"&15", "[A-Za-z0-9]{1,15}", "", "", true, false, false, "num_doc"},
    {"&100", "", "", "", true, false, false, "razon_social"},
    AMOUNT("bi_gravada"), AMOUNT("igv_gravada"), AMOUNT("bi_mixta"), AMOUNT("igv_mixta"), AMOUNT("bi_nogravada"),
    AMOUNT("igv_nogravada"), AMOUNT("no_gravada"), AMOUNT("isc"), AMOUNT("icbper"), AMOUNT("otros"),
    AMOUNT("total"),
    {"3", "[A-Z]{3}", "", "", true, false, false, "moneda"},
    {"&1.3", "\\d\\.\\d{3}", "", "", true, false, false, "tipo_cambio"},
    {"10", "\\d{2}/\\d{2}/\\d{4}", "", "01/01/0001", false, false, false, "fec_ref"},
    {"2", "", "", "00", false, false, false, "tip_ref"},
    {"&20", "", "", "-", false, false, false, "serie_ref"},
    {"&20", "", "", "-", false, false, false, "numero_ref"},
    {"10", "", "", "01/01/0001", false, false, false, "fec_detraccion"},
    {"&24", "", "", "0", false, false, false, "num_detraccion"},
    {"1", "[0-9]", "EST", "", true, false, false, "estado"},
};

#undef AMOUNT

const char *const kVoucherTypes[] = {"01", "02", "03", "07", "08", "12", "14", "46", "50", "91"};

// A bijection on [0, n) that scatters neighbours far apart, so the shuffled book needs no memory.
qint64 scatter(qint64 i, qint64 n)
{
    qint64 a = 2654435761LL % n;
    while (a > 1 && std::gcd(a, n) != 1)
        --a;
    if (a < 1)
        a = 1;
    return static_cast<qint64>((static_cast<__int128>(a) * i + n / 3) % n);
}

int formatLine(char *buf, size_t size, qint64 record, qint64 key, bool broken)
{
    const int day = 1 + int(record % 28);
    const qint64 cents = 10000 + (record * 7919) % 9000000;
    const qint64 tax = cents * 18 / 100;
    char amounts[11][24];
    const qint64 values[11] = {cents, tax, 0, 0, 0, 0, record % 500, 0, 0, 0, cents + tax + record % 500};
    for (int i = 0; i < 11; ++i)
        std::snprintf(amounts[i], sizeof amounts[i], "%lld.%02lld", values[i] / 100, values[i] % 100);
    return std::snprintf(buf, size,
        "20240100|%010lld|%02d/01/2024|01/01/0001|%s|%s%03lld|%lld|6|20%09lld|PROVEEDOR NUMERO %lld SAC|"
        "%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|PEN|1.000|01/01/0001|00|-|-|01/01/0001|0|1|\n",
        key, day, kVoucherTypes[record % 10], broken ? "FX" : "F", record % 1000, record % 100000000,
        record % 1000000000, record % 997, amounts[0], amounts[1], amounts[2], amounts[3], amounts[4],
        amounts[5], amounts[6], amounts[7], amounts[8], amounts[9], amounts[10]);
}

} // namespace

bool benchVariantFromName(const QString &name, BenchVariant *variant)
{
    for (const VariantName &v : kVariants) {
        if (name == QLatin1String(v.name)) {
            *variant = v.variant;
            return true;
        }
    }
    return false;
}

QString benchVariantName(BenchVariant variant)
{
    for (const VariantName &v : kVariants) {
        if (v.variant == variant)
            return QString::fromLatin1(v.name);
    }
    return QString();
}

qint64 benchWriteBook(const QString &path, qint64 lines, BenchVariant variant)
{
    QFile file(path);
    if (lines < 1 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray chunk;
    chunk.reserve(1 << 20);
    char line[1024];
    for (qint64 i = 0; i < lines; ++i) {
        qint64 record = variant == BenchVariant::Shuffled ? scatter(i, lines) : i;
        qint64 key = record + 1;
        // Every tenth line repeats the key of the line before it.
        if (variant == BenchVariant::DuplicateKeys && i % 10 == 9)
            key = record;
        const int n = formatLine(line, sizeof line, record, key, variant == BenchVariant::ErrorEveryLine);
        if (n <= 0 || n >= int(sizeof line))
            return -1;
        chunk.append(line, n);
        if (chunk.size() > (1 << 20) - int(sizeof line)) {
            if (file.write(chunk) != chunk.size())
                return -1;
            chunk.clear();
        }
    }
    if (file.write(chunk) != chunk.size())
        return -1;
    file.close();
    return file.size();
}

QString benchRequest(const QString &bookPath, const QString &workBase)
{
    QJsonArray columnas;
    for (const BenchColumn &c : kColumns) {
        QJsonObject col;
        col.insert(QStringLiteral("longitud"), QString::fromLatin1(c.longitud));
        col.insert(QStringLiteral("acumulador"), c.acumulador);
        col.insert(QStringLiteral("cvacio"), QString::fromLatin1(c.cvacio));
        col.insert(QStringLiteral("obligatorio"), c.obligatorio);
        col.insert(QStringLiteral("indice"), c.indice);
        col.insert(QStringLiteral("correlativo"), false);
        col.insert(QStringLiteral("patron"), QString::fromLatin1(c.patron));
        col.insert(QStringLiteral("parametro"), QString::fromLatin1(c.parametro));
        col.insert(QStringLiteral("funcion"), QString());
        col.insert(QStringLiteral("descripcion"), QString::fromLatin1(c.descripcion));
        columnas.append(col);
    }
    QStringList voucherTypes;
    for (const char *t : kVoucherTypes)
        voucherTypes << QString::fromLatin1(t);
    for (int t = 20; t < 60; ++t)
        voucherTypes << QString::number(t);
    const struct { const char *codigo; QString valor; } tables[] = {
        {"010", voucherTypes.join(QLatin1Char(','))},
        {"002", QStringLiteral("0,1,4,6,7,A,B,C,D,E")},
        {"EST", QStringLiteral("0,1,6,7,9")},
    };
    QJsonArray parametros;
    for (const auto &t : tables) {
        QJsonObject table;
        table.insert(QStringLiteral("codigo"), QString::fromLatin1(t.codigo));
        table.insert(QStringLiteral("valor"), t.valor);
        parametros.append(table);
    }

    QJsonObject request;
    request.insert(QStringLiteral("generateDetail"), 1);
    request.insert(QStringLiteral("withKeyKov"), 0);
    request.insert(QStringLiteral("isFilePDF"), 0);
    request.insert(QStringLiteral("pathHacolKov"), workBase);
    request.insert(QStringLiteral("codigo"), QStringLiteral("080100"));
    request.insert(QStringLiteral("generateQVR"), 0);
    request.insert(QStringLiteral("tipoEnvioRcRvi"), 0);
    request.insert(QStringLiteral("ricTipo"), 0);
    request.insert(QStringLiteral("ruc"), QStringLiteral("20100066603"));
    request.insert(QStringLiteral("periodo"), QStringLiteral("20240100"));
    request.insert(QStringLiteral("path"), bookPath);
    request.insert(QStringLiteral("funcion"), QString());
    request.insert(QStringLiteral("ncolumnas"), columnas.size());
    request.insert(QStringLiteral("nextendidas"), columnas.size());
    request.insert(QStringLiteral("descripcion"), QStringLiteral("Registro de compras"));
    request.insert(QStringLiteral("columnas"), columnas);
    request.insert(QStringLiteral("parametros"), parametros);
    return QString::fromLatin1(QJsonDocument(request).toJson(QJsonDocument::Compact).toBase64());
}
