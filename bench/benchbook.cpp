#include "benchbook.h"

#include "benchlayout.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

struct LayoutEntry
{
    BenchLayout layout;
    const char *name;
    const BenchLayoutSpec &(*spec)();
};

// Named after the record validator each names.
const LayoutEntry kLayouts[] = {
    {BenchLayout::Synthetic, "synthetic", benchSyntheticLayout},
    {BenchLayout::Journal, "f050200", benchJournalLayout},
    {BenchLayout::Purchases, "f080100d", benchPurchasesLayout},
    {BenchLayout::Sales, "f140100d", benchSalesLayout},
};

const LayoutEntry &entryOf(BenchLayout layout)
{
    for (const LayoutEntry &e : kLayouts) {
        if (e.layout == layout)
            return e;
    }
    return kLayouts[0];
}

const BenchLayoutSpec &specOf(BenchLayout layout)
{
    return entryOf(layout).spec();
}

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

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
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
            return latin1(v.name);
    }
    return QString();
}

bool benchLayoutFromName(const QString &name, BenchLayout *layout)
{
    for (const LayoutEntry &e : kLayouts) {
        if (name == QLatin1String(e.name)) {
            *layout = e.layout;
            return true;
        }
    }
    return false;
}

QString benchLayoutName(BenchLayout layout)
{
    return latin1(entryOf(layout).name);
}

QStringList benchLayoutNames()
{
    QStringList names;
    for (const LayoutEntry &e : kLayouts)
        names << latin1(e.name);
    return names;
}

bool benchLayoutValidates(BenchLayout layout)
{
    return specOf(layout).funcion[0] != '\0';
}

QString benchBookName(BenchLayout layout)
{
    const BenchLayoutSpec &spec = specOf(layout);
    // Opportunity 00, with operations, with content, in soles.
    return QLatin1String("LE") + latin1(kBenchRuc) + latin1(spec.periodo) + latin1(spec.codigo)
        + QLatin1String("001111.txt");
}

qint64 benchWriteBook(const QString &path, BenchLayout layout, qint64 lines, BenchVariant variant, BenchTally *tally)
{
    const BenchLayoutSpec &spec = specOf(layout);
    QFile file(path);
    if (lines < 1 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray chunk;
    chunk.reserve(1 << 20);
    char line[2048];
    for (qint64 i = 0; i < lines; ++i) {
        const qint64 record = variant == BenchVariant::Shuffled ? scatter(i, lines) : i;
        qint64 key = record;
        // Every tenth line repeats the key of the line before it.
        if (variant == BenchVariant::DuplicateKeys && i % 10 == 9)
            key = record - 1;
        int state = 0;
        const int n = spec.formatLine(line, sizeof line, record, key, variant == BenchVariant::ErrorEveryLine,
                                      &state);
        if (n <= 0 || n >= int(sizeof line))
            return -1;
        if (tally) {
            ++tally->lines;
            ++tally->states[state];
        }
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

QString benchRequest(BenchLayout layout, const QString &bookPath, const QString &workBase, bool recordValidator)
{
    const BenchLayoutSpec &spec = specOf(layout);
    QJsonArray columnas;
    for (int i = 0; i < spec.ncolumnas; ++i) {
        const BenchColumn &c = spec.columnas[i];
        QJsonObject col;
        col.insert(QStringLiteral("longitud"), latin1(c.longitud));
        col.insert(QStringLiteral("acumulador"), c.acumulador);
        col.insert(QStringLiteral("cvacio"), latin1(c.cvacio));
        col.insert(QStringLiteral("obligatorio"), c.obligatorio);
        col.insert(QStringLiteral("indice"), c.indice);
        col.insert(QStringLiteral("correlativo"), false);
        col.insert(QStringLiteral("patron"), latin1(c.patron));
        col.insert(QStringLiteral("parametro"), latin1(c.parametro));
        col.insert(QStringLiteral("funcion"), QString());
        col.insert(QStringLiteral("descripcion"), latin1(c.descripcion));
        columnas.append(col);
    }
    QJsonArray parametros;
    for (int i = 0; i < spec.nparametros; ++i) {
        QJsonObject table;
        table.insert(QStringLiteral("codigo"), latin1(spec.parametros[i].codigo));
        table.insert(QStringLiteral("valor"), latin1(spec.parametros[i].valor));
        parametros.append(table);
    }

    QJsonObject request;
    request.insert(QStringLiteral("generateDetail"), 1);
    request.insert(QStringLiteral("withKeyKov"), 0);
    request.insert(QStringLiteral("isFilePDF"), 0);
    request.insert(QStringLiteral("pathHacolKov"), workBase);
    request.insert(QStringLiteral("codigo"), latin1(spec.codigo));
    // The registers' validators fill the tax-form boxes when asked, as clients ask.
    request.insert(QStringLiteral("generateQVR"), benchLayoutValidates(layout) ? 1 : 0);
    request.insert(QStringLiteral("tipoEnvioRcRvi"), 0);
    request.insert(QStringLiteral("ricTipo"), 0);
    request.insert(QStringLiteral("ruc"), latin1(kBenchRuc));
    request.insert(QStringLiteral("periodo"), latin1(spec.periodo));
    request.insert(QStringLiteral("path"), bookPath);
    request.insert(QStringLiteral("funcion"), recordValidator ? latin1(spec.funcion) : QString());
    request.insert(QStringLiteral("ncolumnas"), columnas.size());
    request.insert(QStringLiteral("nextendidas"), columnas.size());
    request.insert(QStringLiteral("descripcion"), latin1(spec.descripcion));
    request.insert(QStringLiteral("columnas"), columnas);
    request.insert(QStringLiteral("parametros"), parametros);
    return QString::fromLatin1(QJsonDocument(request).toJson(QJsonDocument::Compact).toBase64());
}
