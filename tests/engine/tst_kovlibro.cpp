#include "abandonofixture.h"
#include "kovberkeley.h"
#include "kovcontrol.h"
#include "kovexpresion.h"
#include "kovjuezpatron.h"
#include "kovlibro.h"
#include "kovpatrones.h"
#include "kovrules.h"
#include "lecturamonto.h"
#include "../patterns/patronfixture.h"
#include "../patterns/patronhostilfixture.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

const QString kRuc = QStringLiteral("20100066603");
const QString kPeriodo = QStringLiteral("20240100");
const QString kCodigo = QStringLiteral("080100");

// Reports what the engine hands it: an error at column 0 on a line whose first field is "E", counts and totals
// on every line, so the tests can see which lines reached the record step and how the totals merge.
KovRespuesta validadorTotales(QList<KovColumna> *columnas, ParametrosRegistro *parametros)
{
    KovRespuesta r;
    const QString primero = columnas->at(0).getData();
    if (primero == QLatin1String("E"))
        r.addError(55, 0);
    if (primero == QLatin1String("T"))
        r.addError(QStringLiteral("texto libre"), 2);
    r.addAcumulador(QStringLiteral("cnt_reg_e1"), 1);
    r.addAcumulador(QStringLiteral("mto_total"), columnas->at(1).getData().toDouble());
    r.addAgregado(QStringLiteral("cdp_cnt_01"), 1);
    r.addAgregado(QStringLiteral("mto_agr"), 100);
    r.addCasillas(QStringLiteral("107"), -2.5);
    r.addCasillas(QStringLiteral("102"), -2.5);
    r.addCasillas(QStringLiteral("100"), -0.4);
    r.addCasillas(QStringLiteral("200"), 1234.2496);
    r.addPerAcumulador(QStringLiteral("mto_per"), parametros->value(QStringLiteral("periodo")).toString(), 1.25);
    r.addCounterDetail();
    r.addEstado7();
    return r;
}

KovRespuesta validadorPeriodos(QList<KovColumna> *columnas, ParametrosRegistro *)
{
    KovRespuesta r;
    r.addPerAcumulador(columnas->at(0).getData(), columnas->at(1).getData(), columnas->at(2).getData().toDouble());
    return r;
}

// Complains when it does not see the line's own text, then writes over it, as a validator holding the list may.
KovRespuesta validadorQueEscribe(QList<KovColumna> *columnas, ParametrosRegistro *)
{
    KovRespuesta r;
    if ((*columnas)[1].getData() != QLatin1String("x"))
        r.addError(91, 2);
    (*columnas)[1].setData(QStringLiteral("written"));
    return r;
}

// Complains when the two columns it is handed differ: both hold the same text on every line of its book.
KovRespuesta validadorIguales(QList<KovColumna> *columnas, ParametrosRegistro *)
{
    KovRespuesta r;
    if (columnas->at(0).getData() != columnas->at(1).getData())
        r.addError(92, 1);
    return r;
}

ParametrosRegistro parametrosVistos;

// Keeps the record parameters it was handed, complains when an earlier call's write is still in them, and on a line
// whose first field is "N" asks that the line not be counted and reports an error there.
KovRespuesta validadorParametros(QList<KovColumna> *columnas, ParametrosRegistro *parametros)
{
    KovRespuesta r;
    if (parametros->contains(QStringLiteral("escrito")))
        r.addError(57, 0);
    parametrosVistos = *parametros;
    parametros->insert(QStringLiteral("escrito"), 1);
    if (columnas->at(0).getData() == QLatin1String("N")) {
        r.setNotAddLine();
        r.addError(56, 0);
    }
    return r;
}

// Floods a record whose first field is "M" with errors, far more than any real layout reports.
KovRespuesta validadorMuchos(QList<KovColumna> *columnas, ParametrosRegistro *)
{
    KovRespuesta r;
    if (columnas->at(0).getData() == QLatin1String("M")) {
        for (int i = 0; i < 5000; ++i)
            r.addError(61, 1);
    }
    return r;
}

KovRespuesta columnaFalla(ParametrosColumna *parametros)
{
    KovRespuesta r;
    if (parametros->value(QStringLiteral("data")).toString() == QLatin1String("F"))
        r.addError(77);
    return r;
}

QJsonObject columna(const QString &longitud, const QJsonObject &extra = QJsonObject())
{
    QJsonObject c = extra;
    c.insert(QStringLiteral("longitud"), longitud);
    return c;
}

QJsonArray columnasLibres(int n)
{
    QJsonArray columnas;
    for (int i = 0; i < n; ++i)
        columnas.append(columna(QStringLiteral("0")));
    return columnas;
}

QString codifica(const QByteArray &texto)
{
    return QString::fromLatin1(texto.toBase64());
}

QString codifica(const QJsonObject &peticion)
{
    return codifica(QJsonDocument(peticion).toJson(QJsonDocument::Compact));
}

QString compacta(const QVariant &error)
{
    const QVariantMap m = error.toMap();
    return m.value(QStringLiteral("cod")).toString() + QLatin1Char('@') + m.value(QStringLiteral("fil")).toString()
           + QLatin1Char(':') + m.value(QStringLiteral("col")).toString();
}

QStringList compacta(const QList<QVariant> &errores)
{
    QStringList lista;
    for (const QVariant &e : errores)
        lista.append(compacta(e));
    return lista;
}

QString valorDe(const QList<QVariant> &lista, const QString &atrib)
{
    for (const QVariant &v : lista) {
        const QVariantMap m = v.toMap();
        if (m.value(QStringLiteral("atrib")).toString() == atrib)
            return m.value(QStringLiteral("valor")).toString();
    }
    return QStringLiteral("<none>");
}

QStringList atribs(const QList<QVariant> &lista)
{
    QStringList nombres;
    for (const QVariant &v : lista)
        nombres.append(v.toMap().value(QStringLiteral("atrib")).toString());
    return nombres;
}

QByteArray leeArchivo(const QString &ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// The merges as texts, element by element: the first element of the name is the match, the sum is written back
// and read again on every merge.
struct ListaDeTextos
{
    QStringList nombres;
    QStringList valores;
    QString marca;
    bool nuevaConMarca;

    static double numero(const QString &texto) { return leeMonto(texto).valor; }

    void fusiona(const QString &nombre, const QString &valor)
    {
        const int pos = nombres.indexOf(nombre);
        const bool entera = !marca.isEmpty() && nombre.contains(marca);
        if (pos >= 0) {
            valores[pos] = QString::number(numero(valor) + numero(valores.at(pos)), 'f', entera ? 0 : 3);
        } else {
            nombres.append(nombre);
            valores.append(nuevaConMarca ? QString::number(numero(valor), 'f', entera ? 0 : 3) : valor);
        }
    }

    void fusionaPeriodo(const QString &clave, const QString &valor)
    {
        const int pos = nombres.indexOf(clave);
        if (pos >= 0) {
            valores[pos] = QString::number(numero(valores.at(pos)) + numero(valor), 'f', 3);
        } else {
            nombres.append(clave);
            valores.append(QString::number(0.0 + numero(valor), 'f', 3));
        }
    }

    QStringList entradas() const
    {
        QStringList l;
        for (int i = 0; i < nombres.size(); ++i)
            l << nombres.at(i) + QLatin1Char('=') + valores.at(i);
        return l;
    }
};

QStringList entradas(const QList<QVariant> &lista)
{
    QStringList l;
    for (const QVariant &v : lista) {
        const QVariantMap m = v.toMap();
        l << m.value(QStringLiteral("atrib")).toString() + QLatin1Char('=') + m.value(QStringLiteral("valor")).toString();
    }
    return l;
}

// One book under test: its folder, request, engine and the record the engine writes into.
struct Caso
{
    QTemporaryDir dir;
    KovControl control;
    KovLibro libro;
    QString ticket;
    QString base;
    QString book;

    Caso()
    {
        static int serie = 0;
        ticket = QStringLiteral("t%1x%2").arg(QCoreApplication::applicationPid()).arg(++serie);
        libro.setTicket(ticket);
        base = dir.path() + QStringLiteral("/base");
        QDir().mkpath(base);
        book = dir.path() + QStringLiteral("/LE2010006660320240100080100001111.txt");
    }

    ~Caso() { libro.closeHandles(); }

    QJsonObject peticion(const QJsonArray &columnas, const QJsonObject &extra = QJsonObject()) const
    {
        QJsonObject p;
        p.insert(QStringLiteral("codigo"), kCodigo);
        p.insert(QStringLiteral("ruc"), kRuc);
        p.insert(QStringLiteral("periodo"), kPeriodo);
        p.insert(QStringLiteral("path"), book);
        p.insert(QStringLiteral("pathHacolKov"), base);
        p.insert(QStringLiteral("ncolumnas"), columnas.size());
        p.insert(QStringLiteral("nextendidas"), columnas.size());
        p.insert(QStringLiteral("generateDetail"), 1);
        p.insert(QStringLiteral("generateQVR"), 1);
        p.insert(QStringLiteral("columnas"), columnas);
        for (auto it = extra.begin(); it != extra.end(); ++it)
            p.insert(it.key(), it.value());
        return p;
    }

    void escribeLibro(const QByteArray &texto) const
    {
        QFile f(book);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(texto);
    }

    bool abre(const QByteArray &texto, const QJsonArray &columnas, const QJsonObject &extra = QJsonObject())
    {
        escribeLibro(texto);
        const bool ok = libro.parse(codifica(peticion(columnas, extra)));
        libro.setControl(&control);
        return ok;
    }

    // Reads the whole book as the job does and returns the errors in the form "cod@fil:col".
    QStringList lee()
    {
        int guard = 0;
        while (libro.readLine() > 0 && ++guard < 100000) {
        }
        return compacta(control.errores);
    }

    // The job's closing road for a book read to its end.
    void termina()
    {
        if (libro.getNumErrores() < 1)
            libro.copyDetail();
        libro.closeHandles();
        libro.generaResumen();
    }
};

} // namespace

class TestKovLibro : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void setUpCodes_data();
    void setUpCodes();
    void setUpSpecialPaths_data();
    void setUpSpecialPaths();
    void requestReadingRules();
    void requestKeyTypes_data();
    void requestKeyTypes();
    void workFolderAndDetailName();
    void workFolderStaysInsideBase();

    void lineChecks_data();
    void lineChecks();
    void tablesAfterPreviousColumn_data();
    void tablesAfterPreviousColumn();
    void patternsAgreeWithQRegExp_data();
    void patternsAgreeWithQRegExp();
    void accumulatorsKeepCountingOnTableFailure();
    void accumulatorsReadAmountsOfAnyLength();
    void sequenceAcrossLines();
    void keysAcrossDistantLines();
    void keyPartsKeepTheirPlaces_data();
    void keyPartsKeepTheirPlaces();
    void lineLengthsAndBytes();
    void carriageReturnOnlyBeforeLineFeed();
    void lineLengthCountsEveryByte();
    void rememberedChecksFollowEveryValue();
    void overlongLineEndsReading();
    void errorLimit();
    void oneLineKeepsAtMostAThousandErrors_data();
    void oneLineKeepsAtMostAThousandErrors();
    void recordParametersAndUncountedLines();

    void recordStepMergesTotals();
    void validatorSeesEveryLineAfresh();
    void mergeRules();
    void mergesFindNamesInAnyOrder();
    void perPeriodFold();

    void resultFilesOfCleanBook_data();
    void resultFilesOfCleanBook();
    void detailHashIsOfTheBytesCopied();
    void hashesOfBookUnchangedForLong();
    void bookThatCannotBeReadForItsHash();
    void bookSwappedForFifo();
    void bookWithErrorsWritesNothing();
    void resultFilesReplaced();
    void unwritableResultFile_data();
    void unwritableResultFile();
    void pdfJob();
    void pdfNameLeavingBase();
    void enListaExact();
    void keyIndexFileLifetime();
    void indexesOfEndedJobsGo_data();
    void indexesOfEndedJobsGo();
    void utf8NamesWhateverTheLocale();

private:
    void rehusaSinLugar(Caso *caso, const QString &peticion, const QString &codigo);
    void preparaCasoEspecial(const QString &clase, const QString &codigo, bool sinLugar);
};

void TestKovLibro::initTestCase()
{
    // Patterns only QRegExp can match are judged by a child of the service's own executable.
    KovJuezPatron::setEjecutable(QStringLiteral(ORVANTIS_BINARY));
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstTotales"), validadorTotales, 2);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstPeriodos"), validadorPeriodos, 3);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstAncho"), validadorTotales, 5);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstEscribe"), validadorQueEscribe, 2);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstIguales"), validadorIguales, 2);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstParametros"), validadorParametros, 1);
    KovRules::registrarFuncionRegistroPrueba(QStringLiteral("tstMuchos"), validadorMuchos, 1);
    KovRules::registrarFuncionColumnaPrueba(QStringLiteral("tstColumna"), columnaFalla);
}

void TestKovLibro::cleanupTestCase()
{
    KovRules::olvidarFuncionesPrueba();
}

// The first failing check decides, in the documented order.
void TestKovLibro::setUpCodes_data()
{
    QTest::addColumn<QJsonObject>("cambios");
    QTest::addColumn<QJsonArray>("columnas");
    QTest::addColumn<QString>("codigo");

    const QJsonArray tres = columnasLibres(3);
    QJsonArray cuatro = columnasLibres(4);
    QJsonArray cuatroMala = cuatro;
    cuatroMala[1] = columna(QString());

    QTest::newRow("ok") << QJsonObject() << tres << QString();
    QTest::newRow("unregistered validator is no failure")
        << QJsonObject{{"funcion", "f999999"}} << tres << QString();
    QTest::newRow("901 before 902") << QJsonObject{{"codigo", ""}, {"periodo", ""}} << tres << "901";
    QTest::newRow("902") << QJsonObject{{"periodo", ""}} << tres << "902";
    QTest::newRow("903") << QJsonObject{{"path", ""}} << tres << "903";
    QTest::newRow("904 before 909") << QJsonObject{{"ncolumnas", 0}} << cuatroMala << "904";
    QTest::newRow("904 negative") << QJsonObject{{"ncolumnas", -3}} << tres << "904";
    QTest::newRow("904 narrower than validator")
        << QJsonObject{{"funcion", "tstAncho"}} << cuatro << "904";
    QTest::newRow("validator state column reached")
        << QJsonObject{{"funcion", "tstAncho"}} << QJsonArray(columnasLibres(5)) << QString();
    QTest::newRow("909 before 905") << QJsonObject{{"ncolumnas", 3}} << cuatroMala << "909";
    QTest::newRow("905 too many") << QJsonObject{{"ncolumnas", 3}} << cuatro << "905";
    QTest::newRow("905 not an array") << QJsonObject{{"ncolumnas", 3}, {"columnas", "x"}} << tres << "905";
    QTest::newRow("909 refused pattern") << QJsonObject() << QJsonArray{columna("8-8")} << "909";
    // Compiled, this pattern would ask QRegExp for more memory than there is and end the process.
    QJsonArray sinCota = tres;
    sinCota[1] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("(a|b)").repeated(20000)}});
    QTest::newRow("909 pattern past the bound") << QJsonObject() << sinCota << "909";
    QTest::newRow("909 pattern past the bound before 905") << QJsonObject{{"ncolumnas", 4}} << sinCota << "909";
    QJsonArray conCota = tres;
    for (int i = 0; i < 3; ++i)
        conCota[i] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("(0[1-9]|1[0-2])/[0-9]{4}")}});
    QTest::newRow("ordinary patterns") << QJsonObject() << conCota << QString();
    // What matching each pattern would cost per character is bounded, whichever engine would match it.
    QJsonArray caroAutomata = tres;
    caroAutomata[0] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("(a|aa|aaa|b)*a(.|..){300}")}});
    QTest::newRow("909 too costly for the own automaton") << QJsonObject() << caroAutomata << "909";
    QJsonArray caroQt = tres;
    caroQt[2] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("(a)") + QStringLiteral("(.*)").repeated(100)
                                                                 + QStringLiteral("\\1")}});
    QTest::newRow("909 too costly for QRegExp") << QJsonObject() << caroQt << "909";
    QTest::newRow("909 too costly for QRegExp before 905") << QJsonObject{{"ncolumnas", 4}} << caroQt << "909";
    // Only QRegExp matches these, within the budget; one it finds invalid matches no text but builds its column.
    QJsonArray deQt = tres;
    deQt[0] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("([0-9])-\\1")}});
    deQt[1] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("a(?=b)b")}});
    deQt[2] = columna(QStringLiteral("0"), {{"patron", QStringLiteral("a**")}});
    QTest::newRow("patterns only QRegExp matches") << QJsonObject() << deQt << QString();
    // Back references to ten captures each: their match states fit held once, not by every checker of the book.
    QJsonArray muchas;
    for (int n = 0; n < 1500; ++n) {
        QString patron;
        for (int i = 0, m = n; i < 10; ++i, m /= 20)
            patron += QLatin1Char('(') + QChar(QLatin1Char('b').unicode() + ushort(m % 20)) + QLatin1Char(')');
        muchas.append(columna(QStringLiteral("0"), {{"patron", patron + QStringLiteral("\\1")}}));
    }
    QTest::newRow("909 match states of every checker") << QJsonObject() << muchas << "909";
    QTest::newRow("909 match states of every checker before 905") << QJsonObject{{"ncolumnas", 3}} << muchas << "909";
    QTest::newRow("906 missing book") << QJsonObject{{"path", "/nonexistent/book.txt"}} << tres << "906";
    // Patterns whose compiling takes QRegExp seconds and gigabytes: refused before anything compiles them.
    for (const auto &hostil : patronesHostiles()) {
        QJsonArray hostiles = tres;
        hostiles[1] = columna(QStringLiteral("0"), {{"patron", hostil.second}});
        QTest::newRow(qPrintable(QStringLiteral("909 ") + hostil.first)) << QJsonObject() << hostiles << "909";
    }
}

void TestKovLibro::setUpCodes()
{
    QFETCH(QJsonObject, cambios);
    QFETCH(QJsonArray, columnas);
    QFETCH(QString, codigo);

    for (const bool sinLugar : {false, true}) {
        Caso caso;
        caso.escribeLibro("a|b|c|\n");
        QJsonObject peticion = caso.peticion(columnas);
        for (auto it = cambios.begin(); it != cambios.end(); ++it)
            peticion.insert(it.key(), it.value());
        if (sinLugar) {
            rehusaSinLugar(&caso, codifica(peticion), codigo);
            continue;
        }
        const int compiladas = KovPatrones::compilaciones() + KovExpresion::compilaciones();
        QCOMPARE(caso.libro.parse(codifica(peticion)), codigo.isEmpty());
        QCOMPARE(caso.libro.getParseError(), codigo);
        // A refused layout was compiled nowhere in the service.
        if (!codigo.isEmpty())
            QCOMPARE(KovPatrones::compilaciones() + KovExpresion::compilaciones(), compiladas);
    }
}

// The same set-up with no room for the job: a request's own faults keep their codes, room is asked for only once
// nothing else would refuse the book, and a refusal for want of it leaves nothing open and nothing made.
void TestKovLibro::rehusaSinLugar(Caso *caso, const QString &peticion, const QString &codigo)
{
    const auto abiertos = [] {
        return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };
    const auto indices = [caso] {
        return QDir(QDir::tempPath()).entryList(QStringList(QLatin1Char('*') + caso->ticket + QStringLiteral(".idx")),
                                                QDir::AllEntries | QDir::System | QDir::Hidden);
    };
    const int antes = abiertos();
    bool pedido = false;
    QVERIFY(!caso->libro.parse(peticion, [&pedido] {
        pedido = true;
        return false;
    }));
    const bool llega = codigo.isEmpty() || codigo == QLatin1String("908");
    QCOMPARE(caso->libro.getParseError(), llega ? QStringLiteral("908") : codigo);
    QCOMPARE(pedido, llega);
    QCOMPARE(abiertos(), antes);
    QCOMPARE(indices(), QStringList());
    QCOMPARE(QDir(caso->base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestKovLibro::setUpSpecialPaths_data()
{
    QTest::addColumn<QString>("clase");
    QTest::addColumn<QString>("codigo");

    QTest::newRow("not json") << "notjson" << "900";
    QTest::newRow("json array") << "array" << "901";
    QTest::newRow("empty book") << "empty" << "907";
    QTest::newRow("directory") << "directory" << "906";
    QTest::newRow("fifo") << "fifo" << "906";
    QTest::newRow("device") << "device" << "906";
    QTest::newRow("key index cannot be made") << "noindex" << "908";
    QTest::newRow("250 characters") << "long250" << "906";
    QTest::newRow("251 characters") << "long251" << "910";
}

void TestKovLibro::setUpSpecialPaths()
{
    QFETCH(QString, clase);
    QFETCH(QString, codigo);
    for (const bool sinLugar : {false, true}) {
        preparaCasoEspecial(clase, codigo, sinLugar);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestKovLibro::preparaCasoEspecial(const QString &clase, const QString &codigo, bool sinLugar)
{
    Caso caso;
    QString ruta = caso.book;
    QString peticion;
    if (clase == QLatin1String("empty")) {
        caso.escribeLibro(QByteArray());
    } else if (clase == QLatin1String("noindex")) {
        caso.escribeLibro("a|\n");
        caso.libro.setTicket(QStringLiteral("/no/such/folder/x"));
    } else if (clase == QLatin1String("directory")) {
        ruta = caso.dir.path();
    } else if (clase == QLatin1String("fifo")) {
        ruta = caso.dir.path() + QStringLiteral("/fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(ruta).constData(), 0600), 0);
    } else if (clase == QLatin1String("device")) {
        ruta = QStringLiteral("/dev/zero");
    } else if (clase.startsWith(QLatin1String("long"))) {
        const int largo = clase.mid(4).toInt();
        ruta = QStringLiteral("/nonexistent/");
        ruta += QString(largo - ruta.size(), QLatin1Char('x'));
        QCOMPARE(ruta.size(), largo);
    }
    if (clase == QLatin1String("notjson"))
        peticion = codifica(QByteArray("{\"codigo\": "));
    else if (clase == QLatin1String("array"))
        peticion = codifica(QByteArray("[1, 2]"));
    else
        peticion = codifica(caso.peticion(columnasLibres(1), QJsonObject{{"path", ruta}}));

    if (sinLugar) {
        rehusaSinLugar(&caso, peticion, codigo);
        return;
    }
    QVERIFY(!caso.libro.parse(peticion));
    QCOMPARE(caso.libro.getParseError(), codigo);
}

// Integer keys accept whole numbers, digit strings and true; a NUL cuts the decoded request.
void TestKovLibro::requestReadingRules()
{
    Caso caso;
    caso.escribeLibro("a|\n");
    QJsonObject p = caso.peticion(columnasLibres(1));
    p.insert(QStringLiteral("ncolumnas"), QStringLiteral("1"));
    p.insert(QStringLiteral("nextendidas"), true);
    p.insert(QStringLiteral("isFilePDF"), 1.5);
    QByteArray texto = QJsonDocument(p).toJson(QJsonDocument::Compact);
    texto.append('\0');
    texto.append("garbage after the cut");
    QVERIFY(caso.libro.parse(codifica(texto)));
    QVERIFY(!caso.libro.isFilePDF());
    caso.libro.setControl(&caso.control);
    QCOMPARE(caso.lee(), QStringList());

    Caso otro;
    otro.escribeLibro("a|\n");
    QJsonObject q = otro.peticion(columnasLibres(1));
    q.insert(QStringLiteral("ncolumnas"), QStringLiteral("-1"));
    QVERIFY(!otro.libro.parse(codifica(q)));
    QCOMPARE(otro.libro.getParseError(), QStringLiteral("904"));
}

// Each key is read as its type: a text key only from a string, a flag only from a boolean, an integer from a
// whole number, a string of digits or true, and anything else as 0, empty or false.
void TestKovLibro::requestKeyTypes_data()
{
    QTest::addColumn<QJsonObject>("cambios");
    QTest::addColumn<QJsonObject>("enColumna");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QStringList>("errores");

    const QJsonObject nada;
    const QJsonObject obligatorio{{"obligatorio", true}};
    QTest::newRow("text key given a number") << QJsonObject{{"codigo", 80100}} << nada << "901" << QStringList();
    QTest::newRow("text key given an array")
        << QJsonObject{{"path", QJsonArray{QStringLiteral("x")}}} << nada << "903" << QStringList();
    QTest::newRow("integer from letters and digits") << QJsonObject{{"ncolumnas", "1x"}} << nada << "904"
                                                     << QStringList();
    QTest::newRow("integer from a padded string") << QJsonObject{{"ncolumnas", " 1"}} << nada << "904"
                                                  << QStringList();
    QTest::newRow("integer from a signed string") << QJsonObject{{"ncolumnas", "+1"}} << nada << "904"
                                                  << QStringList();
    QTest::newRow("integer not whole") << QJsonObject{{"ncolumnas", 1.5}} << nada << "904" << QStringList();
    QTest::newRow("integer from false") << QJsonObject{{"ncolumnas", false}} << nada << "904" << QStringList();
    QTest::newRow("integer from an object") << QJsonObject{{"ncolumnas", QJsonObject{{"n", 1}}}} << nada << "904"
                                            << QStringList();
    QTest::newRow("integer from digits") << QJsonObject{{"ncolumnas", "01"}} << obligatorio << QString()
                                         << QStringList{"002@1:1"};
    QTest::newRow("flag given true") << nada << obligatorio << QString() << QStringList{"002@1:1"};
    QTest::newRow("flag given a number") << nada << QJsonObject{{"obligatorio", 1}} << QString() << QStringList();
    QTest::newRow("flag given a string") << nada << QJsonObject{{"obligatorio", "true"}} << QString()
                                         << QStringList();
    QTest::newRow("length pattern given a number") << nada << QJsonObject{{"longitud", 0}} << "909" << QStringList();
}

void TestKovLibro::requestKeyTypes()
{
    QFETCH(QJsonObject, cambios);
    QFETCH(QJsonObject, enColumna);
    QFETCH(QString, codigo);
    QFETCH(QStringList, errores);

    QJsonObject columnaPrueba{{"longitud", "0"}};
    for (auto it = enColumna.begin(); it != enColumna.end(); ++it)
        columnaPrueba.insert(it.key(), it.value());
    Caso caso;
    caso.escribeLibro("|\n");
    QJsonObject peticion = caso.peticion(QJsonArray{columnaPrueba});
    for (auto it = cambios.begin(); it != cambios.end(); ++it)
        peticion.insert(it.key(), it.value());
    QCOMPARE(caso.libro.parse(codifica(peticion)), codigo.isEmpty());
    QCOMPARE(caso.libro.getParseError(), codigo);
    if (!codigo.isEmpty())
        return;
    caso.libro.setControl(&caso.control);
    QCOMPARE(caso.lee(), errores);
}

void TestKovLibro::workFolderAndDetailName()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    const QString esperado = caso.base + QLatin1Char('/') + kRuc + QLatin1Char('/') + kPeriodo
                             + QStringLiteral("080000/");
    QCOMPARE(caso.libro.getPathWork(), esperado);
    QVERIFY(QFileInfo(esperado).isDir());
    QCOMPARE(caso.libro.getNameFileDetail(), QStringLiteral("LE") + kRuc + kPeriodo + kCodigo
                                                 + QStringLiteral("00111199.txt"));

    // A missing base is never created, and set-up still succeeds.
    Caso sinBase;
    sinBase.escribeLibro("a|\n");
    const QString falta = sinBase.dir.path() + QStringLiteral("/missing");
    QVERIFY(sinBase.libro.parse(codifica(sinBase.peticion(columnasLibres(1), {{"pathHacolKov", falta}}))));
    QVERIFY(!QFileInfo::exists(falta));

    // A path of eight characters gives what exists of each cut: its first four to the detail name, its first three
    // to the summary name.
    Caso corto;
    const QString antes = QDir::currentPath();
    QVERIFY(QDir::setCurrent(corto.dir.path()));
    const QString ocho = QStringLiteral("abcd.txt");
    QFile archivo(ocho);
    const bool escrito = archivo.open(QIODevice::WriteOnly) && archivo.write("a|\n") == 3;
    archivo.close();
    const bool listo = corto.libro.parse(codifica(corto.peticion(columnasLibres(1), {{"path", ocho}})));
    corto.libro.setControl(&corto.control);
    const QStringList errores = corto.lee();
    corto.termina();
    QDir::setCurrent(antes);
    QVERIFY(escrito && listo);
    QCOMPARE(errores, QStringList());
    const QString prefijo = QStringLiteral("LE") + kRuc + kPeriodo + kCodigo;
    QCOMPARE(corto.libro.getNameFileDetail(), prefijo + QStringLiteral("abcd99.txt"));
    QCOMPARE(corto.libro.getNameFileResumen(), prefijo + QStringLiteral("abc98.txt"));
    QCOMPARE(leeArchivo(corto.libro.getPathWork() + prefijo + QStringLiteral("abcd99.txt")), QByteArray("a|\n"));
}

// "ruc", "periodo" and "codigo" are joined into the base unchecked; nothing is made outside it.
void TestKovLibro::workFolderStaysInsideBase()
{
    Caso caso;
    caso.escribeLibro("a|\n");
    const QJsonObject cambios{{"ruc", "../../escape"}, {"periodo", "x"}};
    QVERIFY(caso.libro.parse(codifica(caso.peticion(columnasLibres(1), cambios))));
    QVERIFY(!QFileInfo::exists(caso.dir.path() + QStringLiteral("/escape")));
    QVERIFY(!QFileInfo::exists(QFileInfo(caso.dir.path()).path() + QStringLiteral("/escape")));
    caso.libro.setControl(&caso.control);
    QCOMPARE(caso.lee(), QStringList());
    caso.termina();
    // The copy and every result file would land outside: none is made, each refusal counts as error 999.
    QCOMPARE(compacta(caso.control.errores), QStringList{QStringLiteral("999@0:0")});
    QVERIFY(caso.libro.getNameFileDetail().isEmpty());
    QVERIFY(caso.libro.getNameFileResumen().isEmpty());
}

void TestKovLibro::lineChecks_data()
{
    QTest::addColumn<QByteArray>("libro");
    QTest::addColumn<QJsonArray>("columnas");
    QTest::addColumn<int>("nextendidas");
    QTest::addColumn<QStringList>("errores");

    const QJsonArray tres = columnasLibres(3);
    const QJsonObject obligatorio{{"obligatorio", true}};
    const QJsonObject clave{{"indice", true}};
    const QJsonObject claveObligatoria{{"indice", true}, {"obligatorio", true}};
    const QJsonObject digitos{{"patron", "[0-9]+"}};

    QTest::newRow("well formed") << QByteArray("a|b|c|\nd|e|f|\n") << tres << 3 << QStringList();
    QTest::newRow("text after the last separator") << QByteArray("a|b|c|stray\n") << tres << 3 << QStringList();
    QTest::newRow("missing final separator") << QByteArray("a|b|c\n") << tres << 3 << QStringList{"001@1:0"};
    QTest::newRow("short first line fixes the count")
        << QByteArray("a|b|\na|b|c|\na|b|\n") << tres << 3 << QStringList{"001@1:0", "040@2:0", "001@3:0"};
    QTest::newRow("blank first line fixes nothing")
        << QByteArray("\na|b|c|\n\n") << tres << 3 << QStringList{"001@1:0", "040@3:0"};
    QTest::newRow("too many fields") << QByteArray("a|b|c|d|\n") << tres << 3 << QStringList{"001@1:0"};
    QTest::newRow("white space collapsed and trimmed")
        << QByteArray("  a \t  b |\t c|x|\n")
        << QJsonArray{columna("3", {{"patron", "a b"}}), columna("1"), columna("1")} << 3 << QStringList();
    QTest::newRow("empty mandatory: only 002")
        << QByteArray("|b|c|\n") << QJsonArray{columna("5", QJsonObject{{"obligatorio", true}, {"patron", "x"}}),
                                                columna("0"), columna("0")}
        << 3 << QStringList{"002@1:1"};
    QTest::newRow("empty optional passes")
        << QByteArray("|b|c|\n") << QJsonArray{columna("5", digitos), columna("0"), columna("0")} << 3
        << QStringList();
    QTest::newRow("marker passes a mandatory column")
        << QByteArray("-|b|c|\n")
        << QJsonArray{columna("5", QJsonObject{{"obligatorio", true}, {"cvacio", "-"}, {"patron", "[0-9]+"}}),
                      columna("0"), columna("0")}
        << 3 << QStringList();
    QTest::newRow("marker in a key column discards the key")
        << QByteArray("-|b|c|\n")
        << QJsonArray{columna("5", QJsonObject{{"indice", true}, {"cvacio", "-"}}), columna("0"), columna("0")}
        << 3 << QStringList{"032@1:0"};
    QTest::newRow("pattern before length")
        << QByteArray("abcdef|b|c|\n") << QJsonArray{columna("2", digitos), columna("0"), columna("0")} << 3
        << QStringList{"003@1:1"};
    QTest::newRow("length after pattern")
        << QByteArray("123|b|c|\n") << QJsonArray{columna("2", digitos), columna("0"), columna("0")} << 3
        << QStringList{"004@1:1"};
    QTest::newRow("pattern failure skips table and function")
        << QByteArray("F|b|c|\n")
        << QJsonArray{columna("0", {{"patron", "[0-9]"}, {"parametro", "T1"}, {"funcion", "tstColumna"}}),
                      columna("0"), columna("0")}
        << 3 << QStringList{"003@1:1"};
    QTest::newRow("function, table and key all report")
        << QByteArray("F|b|c|\n")
        << QJsonArray{columna("0", {{"parametro", "T1"}, {"funcion", "tstColumna"}, {"indice", true}}),
                      columna("0"), columna("0")}
        << 3 << QStringList{"077@1:1", "006@1:1", "032@1:0"};
    QTest::newRow("table without values refuses")
        << QByteArray("a|b|c|\n") << QJsonArray{columna("0"), columna("0", {{"parametro", "ZZ"}}), columna("0")}
        << 3 << QStringList{"006@1:2"};
    QTest::newRow("mandatory key empty") << QByteArray("|b|c|\n")
                                          << QJsonArray{columna("0", claveObligatoria), columna("0"), columna("0")}
                                          << 3 << QStringList{"002@1:1", "032@1:0"};
    QTest::newRow("extended fields")
        << QByteArray("a|b|c|ok|a/b|" + QByteArray(201, 'x') + "|a\\b||\n") << tres << 8
        << QStringList{"003@1:5", "004@1:6", "003@1:7"};
    QTest::newRow("extended fields without room")
        << QByteArray("a|b|c|d|\n") << tres << 2 << QStringList{"001@1:0"};
    QTest::newRow("NUL cuts the line") << QByteArray("a|b|c|\nx|y|", 11) + QByteArray("\0z|\n", 4) << tres << 3
                                       << QStringList{"040@2:0"};
    QTest::newRow("byte-order mark dropped at the line start only")
        << QByteArray("\xEF\xBB\xBF" "a|\xEF\xBB\xBF" "b|c|\n")
        << QJsonArray{columna("0", {{"patron", "a"}}), columna("0", {{"patron", "b"}}), columna("0")} << 3
        << QStringList{"003@1:2"};
    QTest::newRow("white space beyond ASCII collapsed and trimmed")
        << QByteArray("\xC2\xA0" "a\xE3\x80\x80\xC2\x85" "b\xE2\x80\x83|c\xC2\xA0|x|\n")
        << QJsonArray{columna("3", {{"patron", "a b"}}), columna("1"), columna("1")} << 3 << QStringList();
    QTest::newRow("separator-like controls are no white space")
        << QByteArray("\x1c" "a\x1f|b|c|\n") << QJsonArray{columna("3"), columna("1"), columna("1")} << 3
        << QStringList();
    QTest::newRow("broken UTF-8 before a separator keeps the separator")
        << QByteArray("\xC3|\xE2\x82|\xF0\x9F\x98|\n")
        << QJsonArray{columna("1", {{"patron", "\\xFFFD"}}), columna("0", {{"patron", "\\xFFFD+"}}),
                      columna("0", {{"patron", "\\xFFFD+"}})}
        << 3 << QStringList();
    QTest::newRow("key parts joined safely")
        << QByteArray("A-B|C|x|\nA|B-C|x|\n")
        << QJsonArray{columna("0", clave), columna("0", clave), columna("0")} << 3 << QStringList();
    QTest::newRow("empty optional key part left out")
        << QByteArray("A||x|\nA||y|\n") << QJsonArray{columna("0", clave), columna("0", clave), columna("0")} << 3
        << QStringList{"008@2:0"};
    Q_UNUSED(obligatorio);
}

void TestKovLibro::lineChecks()
{
    QFETCH(QByteArray, libro);
    QFETCH(QJsonArray, columnas);
    QFETCH(int, nextendidas);
    QFETCH(QStringList, errores);

    Caso caso;
    const QJsonObject extra{{"nextendidas", nextendidas},
                            {"parametros", QJsonArray{QJsonObject{{"codigo", "T1"}, {"valor", "1,2"}}}}};
    QVERIFY(caso.abre(libro, columnas, extra));
    QCOMPARE(caso.lee(), errores);
}

// Tables "034" and "028" look at the previous column; a first column has none and reads it as empty.
void TestKovLibro::tablesAfterPreviousColumn_data()
{
    QTest::addColumn<QByteArray>("libro");
    QTest::addColumn<QString>("tabla");
    QTest::addColumn<int>("columnaTabla");
    QTest::addColumn<QStringList>("errores");

    QTest::newRow("034 found") << QByteArray("01|123|\n") << "034" << 2 << QStringList();
    QTest::newRow("034 missing") << QByteArray("01|124|\n") << "034" << 2 << QStringList{"006@1:2"};
    QTest::newRow("034 after 09") << QByteArray("09|999|\n") << "034" << 2 << QStringList();
    QTest::newRow("034 on column 1") << QByteArray("777|x|\n") << "034" << 1 << QStringList();
    QTest::newRow("034 on column 1 missing") << QByteArray("778|x|\n") << "034" << 1 << QStringList{"006@1:1"};
    QTest::newRow("028 plain") << QByteArray("01|A|\n") << "028" << 2 << QStringList();
    QTest::newRow("028 after 09") << QByteArray("09|Z|\n") << "028" << 2 << QStringList();
    QTest::newRow("028 missing") << QByteArray("01|Z|\n") << "028" << 2 << QStringList{"006@1:2"};
}

void TestKovLibro::tablesAfterPreviousColumn()
{
    QFETCH(QByteArray, libro);
    QFETCH(QString, tabla);
    QFETCH(int, columnaTabla);
    QFETCH(QStringList, errores);

    QJsonArray columnas = columnasLibres(2);
    columnas[columnaTabla - 1] = columna(QStringLiteral("0"), {{"parametro", tabla}});
    const QJsonArray tablas{QJsonObject{{"codigo", "034"}, {"valor", "01_080100_123,_080100_777"}},
                            QJsonObject{{"codigo", "028"}, {"valor", "A"}}};
    Caso caso;
    QVERIFY(caso.abre(libro, columnas, {{"parametros", tablas}}));
    QCOMPARE(caso.lee(), errores);
}

// Column patterns give exactly QRegExp's verdict on the whole value, whatever way they are evaluated.
void TestKovLibro::patternsAgreeWithQRegExp_data()
{
    QTest::addColumn<QString>("patron");
    QTest::addColumn<QString>("alfabeto");
    QTest::addColumn<int>("largoMaximo");

    // Values of many shapes on a pattern with a large automaton.
    QTest::newRow("many automaton states") << kPatronMuchosEstados << "ab" << 24;
    for (const char *patron : kPatronesCompilables)
        QTest::newRow(patron) << QString::fromLatin1(patron) << alfabetoMezcla() << 8;
    for (const char *patron : kPatronesDeQRegExp)
        QTest::newRow(patron) << QString::fromLatin1(patron) << alfabetoMezcla() << 8;
    for (const char *patron : kPatronesAnchos)
        QTest::newRow(QByteArray(QByteArray("wide ") + patron).constData())
            << QString::fromLatin1(patron) << alfabetoOtroPlano() << 5;
}

void TestKovLibro::patternsAgreeWithQRegExp()
{
    QFETCH(QString, patron);
    QFETCH(QString, alfabeto);
    QFETCH(int, largoMaximo);

    const QStringList valores = valoresDePrueba(alfabeto, largoMaximo);
    QByteArray libro;
    QStringList esperados;
    const QRegExp referencia(patron);
    for (int i = 0; i < valores.size(); ++i) {
        libro += valores.at(i).toUtf8() + "|\n";
        if (!referencia.exactMatch(valores.at(i)))
            esperados.append(QStringLiteral("003@%1:1").arg(i + 1));
    }
    Caso caso;
    QVERIFY(caso.abre(libro, QJsonArray{columna("0", {{"patron", patron}})}));
    QCOMPARE(caso.lee(), esperados);
}

// A value failing only its table is still summed; a value failing its pattern is not; non-finite texts count 0.
void TestKovLibro::accumulatorsKeepCountingOnTableFailure()
{
    Caso caso;
    const QJsonArray columnas{columna("0", {{"acumulador", true}, {"parametro", "T"}, {"descripcion", "suma"}}),
                              columna("0", {{"acumulador", true}, {"patron", "[-0-9.]+"}, {"descripcion", "otra"}})};
    QVERIFY(caso.abre("10.5|abc|\n-4|-2|\ninf|nan|\n1e400|3|\n", columnas,
                      {{"parametros", QJsonArray{QJsonObject{{"codigo", "T"}, {"valor", "10.5"}}}}}));
    QCOMPARE(caso.lee(), (QStringList{"003@1:2", "006@2:1", "006@3:1", "003@3:2", "006@4:1"}));
    caso.termina();
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("suma")), QStringLiteral("14.500"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("otra")), QStringLiteral("5.000"));

    // With "ricTipo" set no column accumulates.
    Caso ric;
    QVERIFY(ric.abre("10|\n", QJsonArray{columna("0", {{"acumulador", true}, {"descripcion", "suma"}})},
                     {{"ricTipo", 1}}));
    ric.lee();
    ric.termina();
    QCOMPARE(valorDe(ric.control.resumen, QStringLiteral("suma")), QStringLiteral("<none>"));
}

// A field of 20 digits or more is read whole, as every rule reads an amount; beyond double range it counts 0.
void TestKovLibro::accumulatorsReadAmountsOfAnyLength()
{
    Caso caso;
    const QByteArray libro = "12345678901234567890|\n-123456789012345678901234.5|\n1e-400|\n-1e400|\n"
                             + QByteArray(400, '9') + "|\n0.001|\n";
    QVERIFY(caso.abre(libro, QJsonArray{columna("0", {{"acumulador", true}, {"descripcion", "suma"}})}));
    QCOMPARE(caso.lee(), QStringList());
    caso.termina();
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("suma")), QStringLiteral("123469134691246918336512.000"));
}

void TestKovLibro::sequenceAcrossLines()
{
    Caso caso;
    QVERIFY(caso.abre("5|\n6|\n8|\n9|\nx|\n1|\n",
                      QJsonArray{columna("0", {{"correlativo", true}, {"patron", "[0-9]+"}})}));
    QCOMPARE(caso.lee(), (QStringList{"007@3:1", "003@5:1", "007@6:1"}));
}

// The index lives for the whole book: a key repeated many lines later is still found.
void TestKovLibro::keysAcrossDistantLines()
{
    QByteArray libro;
    for (int i = 1; i <= 500; ++i)
        libro += QByteArray::number(i) + "|v|\n";
    libro += "7|v|\n";
    Caso caso;
    QVERIFY(caso.abre(libro, QJsonArray{columna("0", {{"indice", true}}), columna("0")}));
    QCOMPARE(caso.lee(), QStringList{"008@501:0"});
}

// Key parts keep their places: an empty optional part, or a bar inside a field, never makes two keys one.
void TestKovLibro::keyPartsKeepTheirPlaces_data()
{
    QTest::addColumn<QByteArray>("libro");
    QTest::addColumn<QStringList>("errores");
    QTest::newRow("empty part first or last") << QByteArray("|B|\nB||\n") << QStringList();
    QTest::newRow("dash inside a part") << QByteArray("A-B|C|\nA|B-C|\n") << QStringList();
    QTest::newRow("same empty part twice") << QByteArray("|B|\n|B|\n") << QStringList{"008@2:0"};
    QTest::newRow("all parts empty never stored") << QByteArray("||\n||\n") << QStringList();
}

void TestKovLibro::keyPartsKeepTheirPlaces()
{
    QFETCH(QByteArray, libro);
    QFETCH(QStringList, errores);
    Caso caso;
    QVERIFY(caso.abre(libro, QJsonArray{columna("0", {{"indice", true}}), columna("0", {{"indice", true}})}));
    QCOMPARE(caso.lee(), errores);
}

void TestKovLibro::lineLengthsAndBytes()
{
    Caso caso;
    QVERIFY(caso.abre(QByteArray("a|\r\nbb|\nc|"), columnasLibres(1)));
    QCOMPARE(caso.libro.getFileSize(), qint64(10));
    QCOMPARE(caso.libro.readLine(), 3);
    QCOMPARE(caso.libro.readLine(), 4);
    QCOMPARE(caso.libro.readLine(), 2);
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(caso.libro.getNumLinea(), qint64(3));
}

// Only a carriage return right before the line feed is dropped from the count; any other is white space.
void TestKovLibro::carriageReturnOnlyBeforeLineFeed()
{
    Caso caso;
    QVERIFY(caso.abre(QByteArray("a|\r\r\nb\r|\nc|\r"), QJsonArray{columna("1", {{"patron", "[abc]"}})}));
    QCOMPARE(caso.libro.readLine(), 4);
    QCOMPARE(caso.libro.readLine(), 4);
    QCOMPARE(caso.libro.readLine(), 3);
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(compacta(caso.control.errores), QStringList());
}

// The bytes after a NUL and a byte-order mark are not examined, yet they count in the line's length.
void TestKovLibro::lineLengthCountsEveryByte()
{
    Caso caso;
    QVERIFY(caso.abre(QByteArray("\xEF\xBB\xBF" "a|\n") + QByteArray("a|\0|x|\n", 7) + QByteArray("\0\n", 2),
                      QJsonArray{columna("1", {{"patron", "a"}})}));
    QCOMPARE(caso.libro.readLine(), 6);
    QCOMPARE(caso.libro.readLine(), 7);
    QCOMPARE(caso.libro.readLine(), 2);
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(compacta(caso.control.errores), QStringList{QStringLiteral("040@3:0")});
}

// Values that share their length and both ends, that repeat far apart, or that are too long to be remembered, each
// get their own verdict from pattern, length and table, and reach the validator as their own text.
void TestKovLibro::rememberedChecksFollowEveryValue()
{
    const QByteArray cabeza = "AAAAAAAA";
    const QByteArray cola = "ZZZZZZZZ";
    QByteArray libro;
    QStringList esperados;
    QStringList permitidos;
    for (int i = 0; i < 300; ++i) {
        const int k = (i * 37) % 120;
        QByteArray valor = cabeza + QByteArray::number(k).rightJustified(3, '0') + cola;
        if (k % 5 == 0)
            valor += QByteArray(20, 'L'); // beyond what is remembered, and past the length pattern
        if (k % 7 == 0)
            valor.replace(8, 1, "x"); // fails the pattern
        if (k % 3 == 0 && !permitidos.contains(QString::fromLatin1(valor)))
            permitidos.append(QString::fromLatin1(valor));
        libro += valor + "|" + valor + "|\n";
        const int fila = i + 1;
        if (k % 7 == 0)
            esperados.append(QStringLiteral("003@%1:1").arg(fila));
        else if (k % 5 == 0)
            esperados.append(QStringLiteral("004@%1:1").arg(fila));
        else if (k % 3 != 0)
            esperados.append(QStringLiteral("006@%1:1").arg(fila));
    }
    const QJsonArray columnas{columna("&30", {{"patron", "A{8}[0-9]{3}Z{8}L*"}, {"parametro", "T"}}),
                              columna("0")};
    Caso caso;
    QVERIFY(caso.abre(libro, columnas,
                      {{"funcion", "tstIguales"},
                       {"parametros", QJsonArray{QJsonObject{{"codigo", "T"}, {"valor", permitidos.join(',')}}}}}));
    QCOMPARE(caso.lee(), esperados);
}

// A book without line ends is not held in memory whole: past 16 MiB reading stops as on a failed read.
void TestKovLibro::overlongLineEndsReading()
{
    Caso caso;
    QByteArray libro = "a|\n";
    libro += QByteArray(16 * 1024 * 1024 + 1, 'x');
    libro += "\nb|\n";
    QVERIFY(caso.abre(libro, columnasLibres(1)));
    QCOMPARE(caso.libro.readLine(), 3);
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(caso.libro.getNumLinea(), qint64(1));

    Caso limite;
    QByteArray justo = QByteArray(16 * 1024 * 1024 - 2, 'y') + "|\nb|\n";
    QVERIFY(limite.abre(justo, columnasLibres(1)));
    QCOMPARE(limite.libro.readLine(), 16 * 1024 * 1024);
    QCOMPARE(limite.libro.readLine(), 3);
}

// The line that crosses 1001 errors is finished, then error 10 closes the list.
void TestKovLibro::errorLimit()
{
    QByteArray libro;
    for (int i = 0; i < 333; ++i)
        libro += "x|x|x|a|a|\n";
    libro += "x|x|x|1|1|\nnever|read|\n";
    QJsonArray columnas;
    for (int i = 0; i < 5; ++i)
        columnas.append(columna("0", {{"patron", i < 3 ? "[0-9]" : "[a-z]"}}));
    Caso caso;
    QVERIFY(caso.abre(libro, columnas));
    for (int i = 0; i < 333; ++i)
        QVERIFY(caso.libro.readLine() > 0);
    QCOMPARE(caso.libro.getNumErrores(), 999);
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(caso.control.errores.size(), 1005);
    QCOMPARE(caso.libro.getNumErrores(), 1005);
    QCOMPARE(compacta(caso.control.errores.at(1003)), QStringLiteral("003@334:5"));
    QCOMPARE(compacta(caso.control.errores.last()), QStringLiteral("010@334:0"));
    QCOMPARE(caso.libro.readLine(), 0);
    QCOMPARE(caso.libro.getNumLinea(), qint64(334));
}

void TestKovLibro::oneLineKeepsAtMostAThousandErrors_data()
{
    QTest::addColumn<QByteArray>("libro");
    QTest::addColumn<QString>("funcion");
    QTest::addColumn<int>("lineasLeidas");
    QTest::addColumn<QStringList>("cuenta");

    // 3001 fields on every line: one layout column and up to 3000 extended ones, which fail on a "/".
    const auto linea = [](int malos) {
        return "a|" + QByteArray("/|").repeated(malos) + QByteArray("b|").repeated(3000 - malos) + '\n';
    };
    QTest::newRow("extended fields of one line") << linea(3000) << QString() << 0
                                                 << QStringList{"003=1000", "010=1"};
    QTest::newRow("a thousand errors do not stop the book")
        << linea(1000) + linea(0) << QString() << 2 << QStringList{"003=1000", "010=0"};
    QTest::newRow("after a thousand errors")
        << linea(1000) + linea(3000) + linea(0) << QString() << 1 << QStringList{"003=2000", "010=1"};
    QTest::newRow("record validator") << QByteArray("M|\nx|\n") << QStringLiteral("tstMuchos") << 0
                                      << QStringList{"061=1000", "010=1"};
}

// A line that crosses the error limit keeps at most 1000 of its own errors, so the list stays bounded whatever the
// line holds; it still stops the book with error 10.
void TestKovLibro::oneLineKeepsAtMostAThousandErrors()
{
    QFETCH(QByteArray, libro);
    QFETCH(QString, funcion);
    QFETCH(int, lineasLeidas);
    QFETCH(QStringList, cuenta);

    Caso caso;
    QVERIFY(caso.abre(libro, columnasLibres(1), {{"nextendidas", 3001}, {"funcion", funcion}}));
    int leidas = 0;
    while (caso.libro.readLine() > 0)
        ++leidas;
    QCOMPARE(leidas, lineasLeidas);
    QStringList codigos;
    for (const QVariant &e : caso.control.errores)
        codigos.append(e.toMap().value(QStringLiteral("cod")).toString());
    QStringList vistos;
    for (const QString &par : cuenta) {
        const QString cod = par.left(3);
        vistos.append(cod + QLatin1Char('=') + QString::number(codigos.count(cod)));
    }
    QCOMPARE(vistos, cuenta);
    QCOMPARE(caso.libro.getNumErrores(), codigos.size());
    if (codigos.contains(QStringLiteral("010")))
        QCOMPARE(codigos.last(), QStringLiteral("010"));
}

// The validator gets the six record parameters afresh on every line; a line it asks not to count lowers the line
// counter before its errors are recorded, so they carry the lowered number.
void TestKovLibro::recordParametersAndUncountedLines()
{
    Caso caso;
    QVERIFY(caso.abre("A|\nN|\nB|\n", columnasLibres(1),
                      {{"funcion", "tstParametros"}, {"generateDetail", 2}, {"generateQVR", 1}, {"tipoEnvioRcRvi", 3}}));
    QCOMPARE(caso.lee(), QStringList{"056@1:0"});
    QCOMPARE(caso.libro.getNumLinea(), qint64(2));

    QCOMPARE(parametrosVistos.keys(), (QStringList{"generateDetail", "generateQVR", "path", "periodo", "ruc",
                                                   "tipoEnvioRcRvi"}));
    QCOMPARE(parametrosVistos.value(QStringLiteral("periodo")), QVariant(kPeriodo));
    QCOMPARE(parametrosVistos.value(QStringLiteral("path")), QVariant(caso.book));
    QCOMPARE(parametrosVistos.value(QStringLiteral("ruc")), QVariant(kRuc));
    const QList<QPair<QString, int>> enteros{{"generateDetail", 2}, {"generateQVR", 1}, {"tipoEnvioRcRvi", 3}};
    for (const auto &e : enteros) {
        const QVariant v = parametrosVistos.value(e.first);
        QCOMPARE(v.userType(), int(QMetaType::Int));
        QCOMPARE(v.toInt(), e.second);
    }
}

// The validator runs only on clean lines; its errors stay at their own column (0 for the line), its totals merge
// by name and its counters add up.
void TestKovLibro::recordStepMergesTotals()
{
    Caso caso;
    QVERIFY(caso.abre("A|10.5|\nE|1|\nT|2.25|\n|x|\n",
                      QJsonArray{columna("0", {{"obligatorio", true}}), columna("0")}, {{"funcion", "tstTotales"}}));
    QVERIFY(caso.libro.readLine() > 0);
    QCOMPARE(valorDe(caso.control.getResumen(), QStringLiteral("cnt_reg_e1")), QStringLiteral("1.000"));
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("cdp_cnt_01")), QStringLiteral("1"));
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("mto_agr")), QStringLiteral("100.000"));
    QCOMPARE(valorDe(caso.control.getCasillas(), QStringLiteral("107")), QStringLiteral("-2.500"));
    QVERIFY(caso.libro.readLine() > 0);
    QCOMPARE(valorDe(caso.control.getResumen(), QStringLiteral("cnt_reg_e1")), QStringLiteral("2"));
    caso.lee();
    QCOMPARE(compacta(caso.control.errores), (QStringList{"055@2:0", "666@3:2", "002@4:1"}));
    QCOMPARE(caso.control.errores.at(1).toMap().value(QStringLiteral("des")).toString(), QStringLiteral("texto libre"));
    QVERIFY(!caso.control.errores.at(0).toMap().contains(QStringLiteral("des")));
    QCOMPARE(valorDe(caso.control.getResumen(), QStringLiteral("cnt_reg_e1")), QStringLiteral("3"));
    QCOMPARE(valorDe(caso.control.getResumen(), QStringLiteral("mto_total")), QStringLiteral("13.750"));
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("cdp_cnt_01")), QStringLiteral("3"));
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("mto_agr")), QStringLiteral("300.000"));
    QCOMPARE(valorDe(caso.control.getCasillas(), QStringLiteral("107")), QStringLiteral("-7.500"));
    QCOMPARE(caso.libro.getNumEstado7(), 3);
    QCOMPARE(caso.libro.getNumLinea(), qint64(4));
}

// Each line hands the validator its own texts, also when a value repeats and a validator wrote over the list.
void TestKovLibro::validatorSeesEveryLineAfresh()
{
    Caso caso;
    QVERIFY(caso.abre("a|x|\nb|x|\na|x|\n", columnasLibres(2), {{"funcion", "tstEscribe"}}));
    QCOMPARE(caso.lee(), QStringList());
}

void TestKovLibro::mergeRules()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    caso.libro.addError(7, 12, 3);
    caso.libro.addError(44, 0, 0);
    KovRespuesta r;
    r.addError(QStringLiteral("m"), 5);
    r.addError(28);
    caso.libro.addError(r, 9, 4);
    QCOMPARE(compacta(caso.control.errores), (QStringList{"007@12:3", "044@0:0", "666@9:5", "028@9:4"}));
    QCOMPARE(caso.libro.getNumErrores(), 4);

    KovRespuesta a;
    a.addAcumulador(QStringLiteral("Mto"), 1);
    a.addAcumulador(QStringLiteral("mto"), 2);
    a.addAcumulador(QStringLiteral("mto"), 10.5);
    caso.libro.addAcumulador(a);
    QCOMPARE(atribs(caso.control.getResumen()), (QStringList{"Mto", "mto"}));
    QCOMPARE(valorDe(caso.control.getResumen(), QStringLiteral("mto")), QStringLiteral("12.500"));

    // Aggregates and boxes write a "cdp_cnt" count without decimals from its first entry on.
    KovRespuesta cajas;
    cajas.addAgregado(QStringLiteral("cdp_cnt_x"), 1);
    cajas.addAgregado(QStringLiteral("mto_x"), 100);
    cajas.addCasillas(QStringLiteral("cdp_cnt_y"), 1);
    cajas.addCasillas(QStringLiteral("107"), 2.5);
    caso.libro.addAgregador(cajas);
    caso.libro.addCasillas(cajas);
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("cdp_cnt_x")), QStringLiteral("1"));
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("mto_x")), QStringLiteral("100.000"));
    QCOMPARE(valorDe(caso.control.getCasillas(), QStringLiteral("cdp_cnt_y")), QStringLiteral("1"));
    QCOMPARE(valorDe(caso.control.getCasillas(), QStringLiteral("107")), QStringLiteral("2.500"));
    caso.libro.addAgregador(cajas);
    caso.libro.addCasillas(cajas);
    QCOMPARE(valorDe(caso.control.getAgregado(), QStringLiteral("cdp_cnt_x")), QStringLiteral("2"));
    QCOMPARE(valorDe(caso.control.getCasillas(), QStringLiteral("cdp_cnt_y")), QStringLiteral("2"));
    QCOMPARE(valorDe(caso.control.getCasillas(), QStringLiteral("107")), QStringLiteral("5.000"));
}

// Records that report their totals in changing orders, repeat a name, bring new names in between, or name one
// per-period key by two splits of it, merge each total by its name: the lists are those of the text merges.
void TestKovLibro::mergesFindNamesInAnyOrder()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    const QStringList nombres{"mto_a", "Mto_a", "cnt_reg_e1", "cnt_reg_e2", "cdp_cnt_01", "cdp_mto_01", "107",
                              "100", "a__b", "a", "mto_z"};
    const QStringList periodos{"20240100", "c", "b__c", "20231200"};
    const QList<double> montos{0.0, 1.0, 10.5, -2.25, 0.0625, -0.0001, 2.5, 1e20, -1e20, 0.001, 123456.789};
    std::mt19937 azar(1977);
    auto uno = [&azar](int n) { return int(azar() % unsigned(n)); };

    ListaDeTextos resumen{{}, {}, QStringLiteral("cnt_reg"), false};
    ListaDeTextos agregado{{}, {}, QStringLiteral("cdp_cnt"), true};
    ListaDeTextos casillas{{}, {}, QStringLiteral("cdp_cnt"), true};
    ListaDeTextos periodosTexto{{}, {}, QString(), false};
    QStringList orden = nombres;
    for (int registro = 0; registro < 400; ++registro) {
        // Mostly the previous record's order; now and then a name moves, is left out or comes twice.
        if (uno(4) == 0)
            orden.swapItemsAt(uno(orden.size()), uno(orden.size()));
        QStringList deEste = orden;
        if (uno(3) == 0)
            deEste.removeAt(uno(deEste.size()));
        if (uno(3) == 0)
            deEste.insert(uno(deEste.size()), nombres.at(uno(nombres.size())));

        KovRespuesta r;
        for (const QString &nombre : deEste) {
            const double v = montos.at(uno(montos.size()));
            r.addAcumulador(nombre, v);
            r.addAgregado(nombre, v);
            r.addCasillas(nombre, v);
            resumen.fusiona(nombre, KovRespuesta::textoValor(v));
            agregado.fusiona(nombre, KovRespuesta::textoValor(v));
            casillas.fusiona(nombre, KovRespuesta::textoValor(v));
            if (uno(4) == 0) {
                const QString periodo = periodos.at(uno(periodos.size()));
                r.addPerAcumulador(nombre, periodo, v);
                periodosTexto.fusionaPeriodo(nombre + QStringLiteral("__") + periodo, KovRespuesta::textoValor(v));
            }
        }
        caso.libro.addAcumulador(r);
        if (r.hasPerAcumuladores())
            caso.libro.addPerAcumulador(r);
        caso.libro.addAgregador(r);
        caso.libro.addCasillas(r);
        if (registro % 50 == 0 || registro == 399) {
            QCOMPARE(entradas(caso.control.getResumen()), resumen.entradas());
            QCOMPARE(entradas(caso.control.getAgregado()), agregado.entradas());
            QCOMPARE(entradas(caso.control.getCasillas()), casillas.entradas());
            QCOMPARE(entradas(caso.control.getAuxResumen()), periodosTexto.entradas());
        }
    }
    // "a" with "b__c" and "a__b" with "c" are one key.
    QVERIFY(periodosTexto.nombres.contains(QStringLiteral("a__b__c")));
    QCOMPARE(periodosTexto.nombres.count(QStringLiteral("a__b__c")), 1);
}

// Folded as they arrive, the per-period totals give the summary entry of the documented example; the list keeps
// one element per name and period however many records report.
void TestKovLibro::perPeriodFold()
{
    Caso caso;
    QByteArray libro = "e8|20240100|10.5|\ne9|20240200|4|\ne8|20240300|5|\ne8|20240100|1.25|\n";
    for (int i = 0; i < 200; ++i)
        libro += "e9|20240200|0.001|\n";
    QVERIFY(caso.abre(libro, columnasLibres(3), {{"funcion", "tstPeriodos"}}));
    QCOMPARE(caso.lee(), QStringList());
    QCOMPARE(caso.control.getAuxResumen().size(), 3);
    caso.termina();
    const QStringList nombres = atribs(caso.control.resumen);
    QCOMPARE(nombres, (QStringList{"cod_hash", "e8", "e9", "cod_hash_det", "cnt_reg_det", "cnt_tam_det"}));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("e8")), QStringLiteral("20240100=11.750_20240300=5.000"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("e9")), QStringLiteral("20240200=4.200"));
}

void TestKovLibro::resultFilesOfCleanBook_data()
{
    QTest::addColumn<int>("generateDetail");
    QTest::addColumn<int>("generateQVR");

    QTest::newRow("detail and boxes") << 1 << 1;
    QTest::newRow("detail only") << 1 << 0;
    QTest::newRow("flags count only as 1") << 2 << 2;
}

void TestKovLibro::resultFilesOfCleanBook()
{
    QFETCH(int, generateDetail);
    QFETCH(int, generateQVR);

    Caso caso;
    const QByteArray libro = "A|10.5|\nB|1|\n";
    QVERIFY(caso.abre(libro,
                      QJsonArray{columna("0"), columna("0", {{"acumulador", true}, {"descripcion", "mto_col"}})},
                      {{"funcion", "tstTotales"}, {"generateDetail", generateDetail}, {"generateQVR", generateQVR}}));
    QCOMPARE(caso.lee(), QStringList());
    caso.termina();
    QCOMPARE(caso.libro.getNumErrores(), 0);

    const QString prefijo = QStringLiteral("LE") + kRuc + kPeriodo + kCodigo;
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(libro, QCryptographicHash::Sha1).toHex());
    QCOMPARE(caso.libro.getNameFileDetail(), prefijo + QStringLiteral("00111199.txt"));
    QCOMPARE(leeArchivo(caso.libro.getPathWork() + caso.libro.getNameFileDetail()), libro);

    QCOMPARE(atribs(caso.control.resumen),
             (QStringList{"cnt_reg_e1", "mto_total", "mto_col", "cod_hash", "mto_per", "cod_hash_det", "cnt_reg_det",
                          "cnt_tam_det"}));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("mto_col")), QStringLiteral("11.500"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash")), hash);
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash_det")), hash);
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("mto_per")), kPeriodo + QStringLiteral("=2.500"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cnt_reg_det")), QStringLiteral("2"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cnt_tam_det")), QString::number(libro.size()));

    // Boxes: rounded to whole numbers; listed boxes below zero become the text "0".
    const QVariantMap c107 = caso.control.casillas.at(0).toMap();
    QCOMPARE(c107.value(QStringLiteral("valor")), QVariant(QStringLiteral("0")));
    QCOMPARE(caso.control.casillas.at(1).toMap().value(QStringLiteral("valor")).toDouble(), -5.0);
    QCOMPARE(caso.control.casillas.at(2).toMap().value(QStringLiteral("valor")), QVariant(QStringLiteral("0")));
    QCOMPARE(caso.control.casillas.at(3).toMap().value(QStringLiteral("valor")).toDouble(), 2469.0);

    const QString work = caso.libro.getPathWork();
    const QString resumen = prefijo + QStringLiteral("00011198.txt");
    if (generateDetail == 1) {
        QCOMPARE(caso.libro.getNameFileResumen(), resumen);
        QCOMPARE(caso.libro.getNameFileAgregado(), prefijo + QStringLiteral("00111197.txt"));
        const QByteArray agregado = leeArchivo(work + caso.libro.getNameFileAgregado());
        QCOMPARE(agregado, QByteArray("{\n    \"agregado\": [\n        {\n            \"atrib\": \"cdp_cnt_01\",\n"
                                      "            \"valor\": \"2\"\n        },\n        {\n"
                                      "            \"atrib\": \"mto_agr\",\n            \"valor\": \"200.000\"\n"
                                      "        }\n    ]\n}\n"));
        const QByteArray textoResumen = leeArchivo(work + resumen);
        QVERIFY(textoResumen.startsWith("{\n    \"resumen\": [\n        {\n            \"atrib\": \"cnt_reg_e1\",\n"
                                        "            \"valor\": \"2\"\n        },"));
        QVERIFY(textoResumen.contains("\"valor\": \"" + hash.toLatin1() + "\""));
    } else {
        QVERIFY(caso.libro.getNameFileResumen().isEmpty());
        QVERIFY(caso.libro.getNameFileAgregado().isEmpty());
        QVERIFY(!QFileInfo::exists(work + resumen));
    }
    if (generateQVR == 1) {
        QCOMPARE(caso.libro.getNameFileCasillas(), prefijo + QStringLiteral("00111196.txt"));
        QCOMPARE(leeArchivo(work + caso.libro.getNameFileCasillas()),
                 QByteArray("{\n    \"casillas\": [\n        {\n            \"atrib\": \"107\",\n"
                            "            \"valor\": \"0\"\n        },\n        {\n            \"atrib\": \"102\",\n"
                            "            \"valor\": -5\n        },\n        {\n            \"atrib\": \"100\",\n"
                            "            \"valor\": \"0\"\n        },\n        {\n            \"atrib\": \"200\",\n"
                            "            \"valor\": 2469\n        }\n    ]\n}\n"));
    } else {
        QVERIFY(caso.libro.getNameFileCasillas().isEmpty());
    }
}

// The book hash follows a book changed after the copy; the detail hash is of the bytes this job copied, whatever
// stands under the copy's name meanwhile (another job's copy, say), and those bytes are what the name gets.
void TestKovLibro::detailHashIsOfTheBytesCopied()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1), {{"generateDetail", 0}, {"generateQVR", 0}}));
    QCOMPARE(caso.lee(), QStringList());
    QVERIFY(caso.libro.copyDetail());
    caso.escribeLibro("b|\n");
    const QString copia = caso.libro.getPathWork() + caso.libro.getNameFileDetail();
    QFile otra(copia);
    QVERIFY(otra.open(QIODevice::WriteOnly | QIODevice::Append));
    otra.write("c|\n");
    otra.close();
    caso.libro.closeHandles();
    caso.libro.generaResumen();
    const auto sha1 = [](const QByteArray &texto) {
        return QString::fromLatin1(QCryptographicHash::hash(texto, QCryptographicHash::Sha1).toHex());
    };
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash")), sha1("b|\n"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash_det")), sha1("a|\n"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cnt_tam_det")), QStringLiteral("3"));
    QCOMPARE(leeArchivo(copia), QByteArray("a|\n"));
}

// A book that has not changed for a while is hashed while it is copied; the result is the file's own hash.
void TestKovLibro::hashesOfBookUnchangedForLong()
{
    const QString estable = QStringLiteral(TESTS_DATA_DIR "/libro-estable.txt");
    const QByteArray contenido = leeArchivo(estable);
    QCOMPARE(contenido, QByteArray("A|10.5|\nB|1|\n"));
    Caso caso;
    QVERIFY(caso.libro.parse(codifica(caso.peticion(columnasLibres(2), {{"path", estable}}))));
    caso.libro.setControl(&caso.control);
    QCOMPARE(caso.lee(), QStringList());
    caso.termina();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(contenido, QCryptographicHash::Sha1).toHex());
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash")), hash);
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash_det")), hash);
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cnt_tam_det")), QString::number(contenido.size()));
    QCOMPARE(leeArchivo(caso.libro.getPathWork() + caso.libro.getNameFileDetail()), contenido);
}

// A book that fails to read when the summary hashes it gets no hash, rather than the hash of what was read before
// the failure.
void TestKovLibro::bookThatCannotBeReadForItsHash()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    QCOMPARE(caso.lee(), QStringList());
    QVERIFY(caso.libro.copyDetail());
    QVERIFY(QFile::remove(caso.book));
    // A regular file whose first read fails.
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), caso.book));
    caso.libro.closeHandles();
    caso.libro.generaResumen();
    QCOMPARE(compacta(caso.control.errores), QStringList());
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash")), QString());
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash_det")),
             QString::fromLatin1(QCryptographicHash::hash("a|\n", QCryptographicHash::Sha1).toHex()));
}

// A book swapped for a FIFO during the job is never opened for the copy: it would wait for a writer forever.
void TestKovLibro::bookSwappedForFifo()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    QCOMPARE(caso.lee(), QStringList());
    QVERIFY(QFile::remove(caso.book));
    QCOMPARE(::mkfifo(QFile::encodeName(caso.book).constData(), 0600), 0);
    QVERIFY(!caso.libro.copyDetail());
    QCOMPARE(compacta(caso.control.errores), QStringList{QStringLiteral("999@0:0")});
    QVERIFY(caso.libro.getNameFileDetail().isEmpty());
}

void TestKovLibro::bookWithErrorsWritesNothing()
{
    Caso caso;
    QVERIFY(caso.abre("E|2|\n", QJsonArray{columna("0"), columna("0")}, {{"funcion", "tstTotales"}}));
    QCOMPARE(caso.lee(), QStringList{"055@1:0"});
    caso.termina();
    QCOMPARE(atribs(caso.control.resumen), (QStringList{"cnt_reg_e1", "mto_total"}));
    QVERIFY(caso.libro.getNameFileResumen().isEmpty());
    QVERIFY(caso.libro.getNameFileAgregado().isEmpty());
    QVERIFY(caso.libro.getNameFileCasillas().isEmpty());
    QVERIFY(QDir(caso.libro.getPathWork()).entryList(QDir::Files).isEmpty());
    // Boxes are still rounded and clamped.
    QCOMPARE(caso.control.casillas.at(0).toMap().value(QStringLiteral("valor")), QVariant(QStringLiteral("0")));
    const QVariant cero = caso.control.casillas.at(2).toMap().value(QStringLiteral("valor"));
    QCOMPARE(cero.userType(), int(QMetaType::Double));
    QCOMPARE(QJsonDocument::fromVariant(QVariantMap{{"v", cero}}).toJson(QJsonDocument::Compact), QByteArray("{\"v\":0}"));
}

// A result file left by an earlier job is replaced, never extended; a link planted under a name is replaced too,
// and what it points at is left alone.
void TestKovLibro::resultFilesReplaced()
{
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    const QString work = caso.libro.getPathWork();
    const QString prefijo = QStringLiteral("LE") + kRuc + kPeriodo + kCodigo;
    for (const QString &nombre : {QStringLiteral("00011198.txt"), QStringLiteral("00111197.txt"),
                                  QStringLiteral("00111199.txt")}) {
        QFile viejo(work + prefijo + nombre);
        QVERIFY(viejo.open(QIODevice::WriteOnly));
        viejo.write(QByteArray(5000, 'z'));
    }
    const QString victima = caso.dir.path() + QStringLiteral("/victim.txt");
    QFile archivoVictima(victima);
    QVERIFY(archivoVictima.open(QIODevice::WriteOnly));
    archivoVictima.write("untouched");
    archivoVictima.close();
    QVERIFY(QFile::link(victima, work + prefijo + QStringLiteral("00111196.txt")));
    caso.lee();
    caso.termina();
    QCOMPARE(leeArchivo(victima), QByteArray("untouched"));
    QVERIFY(!QFileInfo(work + prefijo + QStringLiteral("00111196.txt")).isSymLink());
    QCOMPARE(leeArchivo(work + prefijo + QStringLiteral("00111196.txt")), QByteArray("{\n    \"casillas\": [\n    ]\n}\n"));
    QCOMPARE(leeArchivo(work + prefijo + QStringLiteral("00111197.txt")), QByteArray("{\n    \"agregado\": [\n    ]\n}\n"));
    QCOMPARE(leeArchivo(work + prefijo + QStringLiteral("00111199.txt")), QByteArray("a|\n"));
    QVERIFY(!leeArchivo(work + prefijo + QStringLiteral("00011198.txt")).contains('z'));
}

void TestKovLibro::unwritableResultFile_data()
{
    QTest::addColumn<QString>("final");
    QTest::addColumn<bool>("hashes");
    // The copy fails before the summary, which then adds no hashes; a JSON file fails after.
    QTest::newRow("detail") << QStringLiteral("00111199.txt") << false;
    QTest::newRow("summary") << QStringLiteral("00011198.txt") << true;
    QTest::newRow("aggregate") << QStringLiteral("00111197.txt") << true;
    QTest::newRow("boxes") << QStringLiteral("00111196.txt") << true;
}

// A result file that cannot be written (a directory stands in its place, as good as a full disk here) counts as
// error 999 and fails the job's whole set: no name is kept and none of its files is left, the temporary ones
// included. A file that an earlier job left under another of the names stays as it was.
void TestKovLibro::unwritableResultFile()
{
    QFETCH(QString, final);
    QFETCH(bool, hashes);
    Caso caso;
    QVERIFY(caso.abre("a|\n", columnasLibres(1)));
    const QString work = caso.libro.getPathWork();
    const QString prefijo = QStringLiteral("LE") + kRuc + kPeriodo + kCodigo;
    const QString bloqueado = prefijo + final;
    QVERIFY(QDir().mkpath(work + bloqueado + QStringLiteral("/keep")));
    const QString anterior = prefijo + (final == QLatin1String("00111199.txt") ? QStringLiteral("00011198.txt")
                                                                                : QStringLiteral("00111199.txt"));
    QFile viejo(work + anterior);
    QVERIFY(viejo.open(QIODevice::WriteOnly));
    viejo.write("earlier job");
    viejo.close();

    caso.lee();
    caso.termina();
    QCOMPARE(compacta(caso.control.errores), QStringList{QStringLiteral("999@0:0")});
    QVERIFY(caso.libro.getNameFileDetail().isEmpty());
    QVERIFY(caso.libro.getNameFileResumen().isEmpty());
    QVERIFY(caso.libro.getNameFileAgregado().isEmpty());
    QVERIFY(caso.libro.getNameFileCasillas().isEmpty());
    QCOMPARE(atribs(caso.control.resumen).contains(QStringLiteral("cod_hash")), hashes);
    QStringList restos = QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    restos.sort();
    QStringList esperados{anterior, bloqueado};
    esperados.sort();
    QCOMPARE(restos, esperados);
    QCOMPARE(leeArchivo(work + anterior), QByteArray("earlier job"));
}

void TestKovLibro::pdfJob()
{
    Caso caso;
    const QByteArray pdf("%PDF-1.4 binary \0 content", 25);
    QVERIFY(caso.abre(pdf, columnasLibres(1), {{"isFilePDF", 1}}));
    QVERIFY(caso.libro.isFilePDF());
    caso.libro.setNumLinea(1);
    caso.libro.completaInfoPdf();
    QCOMPARE(caso.libro.getNameFileDetail(), caso.book.right(37));
    QVERIFY(caso.libro.copyDetail());
    caso.libro.closeHandles();
    caso.libro.generaResumen();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(pdf, QCryptographicHash::Sha1).toHex());
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash")), hash);
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cod_hash_det")), hash);
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cnt_reg_det")), QStringLiteral("0"));
    QCOMPARE(valorDe(caso.control.resumen, QStringLiteral("cnt_tam_det")), QStringLiteral("25"));
    QCOMPARE(leeArchivo(caso.libro.getPathWork() + caso.libro.getNameFileDetail()), pdf);
}

// The last 37 characters of a PDF path may climb out of the work folder: the copy is then refused.
void TestKovLibro::pdfNameLeavingBase()
{
    Caso caso;
    caso.book = caso.dir.path() + QStringLiteral("/b.pdf");
    caso.escribeLibro("%PDF");
    const QString hondo = QStringLiteral("/d/d/d/d/d/d/d/d/d/d/d/d");
    QVERIFY(QDir().mkpath(caso.dir.path() + hondo));
    const QString trepa = caso.dir.path() + hondo + QStringLiteral("/../../../../../../../../../../../..")
                          + caso.book.mid(caso.dir.path().size());
    QVERIFY(caso.libro.parse(codifica(caso.peticion(columnasLibres(1), {{"isFilePDF", 1}, {"path", trepa}}))));
    caso.libro.setControl(&caso.control);
    caso.libro.completaInfoPdf();
    QVERIFY(caso.libro.getNameFileDetail().contains(QLatin1String("/../")));
    QVERIFY(!caso.libro.copyDetail());
    QCOMPARE(compacta(caso.control.errores), QStringList{QStringLiteral("999@0:0")});
    QVERIFY(caso.libro.getNameFileDetail().isEmpty());
}

void TestKovLibro::enListaExact()
{
    const QStringList lista{QStringLiteral("100"), QStringLiteral("107")};
    QVERIFY(enLista(QStringLiteral("107"), lista));
    QVERIFY(!enLista(QStringLiteral("10"), lista));
    QVERIFY(!enLista(QStringLiteral("107 "), lista));
    QVERIFY(!enLista(QStringLiteral("100"), QStringList()));
}

// The key index lives in the temporary folder, named by the time of day ("HHmmss"), the ticket and ".idx"; closing
// the book deletes it.
void TestKovLibro::keyIndexFileLifetime()
{
    Caso caso;
    const QString ticket = QStringLiteral("idx%1").arg(QCoreApplication::applicationPid());
    caso.libro.setTicket(ticket);
    QVERIFY(caso.abre("a|\na|\n", QJsonArray{columna("0", {{"indice", true}})}));
    const QDir temporal(QDir::tempPath());
    const QStringList filtro{QStringLiteral("*") + ticket + QStringLiteral(".idx")};
    const QStringList archivos = temporal.entryList(filtro, QDir::Files);
    QCOMPARE(archivos.size(), 1);
    QCOMPARE(archivos.at(0).size(), 6 + ticket.size() + 4);
    QVERIFY(QTime::fromString(archivos.at(0).left(6), QStringLiteral("HHmmss")).isValid());
    QCOMPARE(caso.lee(), QStringList{"008@2:0"});
    QVERIFY(caso.libro.closeHandles());
    QVERIFY(temporal.entryList(filtro, QDir::Files).isEmpty());
}

void TestKovLibro::indexesOfEndedJobsGo_data()
{
    columnasDeBarrido();

    QTest::newRow("left by an ended job") << QStringLiteral("2359591.idx") << Planta::Archivo << false;
    QTest::newRow("long ticket") << QStringLiteral("000000123456001.idx") << Planta::Archivo << false;
    QTest::newRow("no ticket") << QStringLiteral("235959.idx") << Planta::Archivo << true;
    QTest::newRow("not a time of day") << QStringLiteral("2400001.idx") << Planta::Archivo << true;
    QTest::newRow("lettered ticket") << QStringLiteral("235959t1.idx") << Planta::Archivo << true;
    QTest::newRow("another ending") << QStringLiteral("2359591.idx.old") << Planta::Archivo << true;
    filasQueQuedan(QStringLiteral("2359591.idx"));
}

// The sweep the service makes at start-up takes only what no open index holds: an index open here, or in any other
// program, stays and goes on working; once closed, it goes.
void TestKovLibro::indexesOfEndedJobsGo()
{
    QFETCH(QString, nombre);
    QFETCH(Planta, tipo);
    QFETCH(bool, queda);
    if (!puedePlantar(tipo))
        QSKIP("only root can make another user's file");

    QTemporaryDir dir;
    QVERIFY(planta(dir.path(), nombre, tipo));
    KovBerkeley abierto;
    const QString vivo = dir.filePath(QStringLiteral("1200001.idx"));
    QVERIFY(abierto.open(vivo));

    QCOMPARE(KovLibro::barreIndicesAbandonados(dir.path()), queda ? 0 : 1);
    QCOMPARE(sigue(dir.path(), nombre, tipo), queda);
    QVERIFY(QFileInfo::exists(vivo));
    abierto.addKey(QStringLiteral("A"));
    QVERIFY(abierto.insert());

    abierto.close();
    QCOMPARE(KovLibro::barreIndicesAbandonados(dir.path()), 1);
    QVERIFY(!QFileInfo::exists(vivo));
}

// Paths reach the file system as UTF-8 and lines are read as UTF-8 even when Qt's locale codec is another one, as
// it is on a machine whose locale is not UTF-8.
void TestKovLibro::utf8NamesWhateverTheLocale()
{
    struct Restaura
    {
        QTextCodec *codec = QTextCodec::codecForLocale();
        ~Restaura() { QTextCodec::setCodecForLocale(codec); }
    } restaura;
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));

    QTemporaryDir dir;
    const QByteArray base = dir.path().toUtf8() + "/base-\xC3\xB1";
    const QByteArray libro = dir.path().toUtf8() + "/libro-\xC3\xA9-001111.txt";
    QCOMPARE(::mkdir(base.constData(), 0700), 0);
    const QByteArray lineas = "\xC3\xB1|10|\n";
    const int fd = ::open(libro.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, lineas.constData(), size_t(lineas.size())), ssize_t(lineas.size()));
    ::close(fd);

    KovControl control;
    KovLibro engine;
    engine.setTicket(QStringLiteral("utf%1").arg(QCoreApplication::applicationPid()));
    const QJsonArray columnas{columna("1", {{"patron", "\\x00F1"}}),
                              columna("0", {{"acumulador", true}, {"descripcion", QString::fromUtf8("a\xC3\xB1o")}})};
    QJsonObject peticion{{"codigo", kCodigo}, {"ruc", kRuc}, {"periodo", kPeriodo}, {"ncolumnas", 2},
                         {"nextendidas", 2}, {"generateDetail", 1}, {"columnas", columnas}};
    peticion.insert(QStringLiteral("path"), QString::fromUtf8(libro));
    peticion.insert(QStringLiteral("pathHacolKov"), QString::fromUtf8(base));
    QVERIFY(engine.parse(codifica(peticion)));
    engine.setControl(&control);
    while (engine.readLine() > 0) {
    }
    QVERIFY(engine.copyDetail());
    engine.closeHandles();
    engine.generaResumen();
    QCOMPARE(compacta(control.errores), QStringList());

    const QByteArray work = base + '/' + kRuc.toUtf8() + '/' + kPeriodo.toUtf8() + "080000/";
    const QByteArray prefijo = "LE" + kRuc.toUtf8() + kPeriodo.toUtf8() + kCodigo.toUtf8();
    struct stat estado;
    QCOMPARE(::stat((work + prefijo + "00111199.txt").constData(), &estado), 0);
    QCOMPARE(qint64(estado.st_size), qint64(lineas.size()));
    QCOMPARE(::stat((work + prefijo + "-0011198.txt").constData(), &estado), 0);
    QCOMPARE(QString::fromUtf8(work), engine.getPathWork());
    const int resumen = ::open((work + prefijo + "-0011198.txt").constData(), O_RDONLY);
    QVERIFY(resumen >= 0);
    QByteArray texto(int(estado.st_size), '\0');
    const ssize_t leidos = ::read(resumen, texto.data(), size_t(texto.size()));
    ::close(resumen);
    QCOMPARE(qint64(leidos), qint64(texto.size()));
    QVERIFY(texto.contains("\"atrib\": \"a\xC3\xB1o\""));
}

QTEST_GUILESS_MAIN(TestKovLibro)
#include "tst_kovlibro.moc"
