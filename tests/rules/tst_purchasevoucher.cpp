#include "firstuse.h"
#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "purchasevoucher.h"

#include <QtTest>

namespace {

// Column positions of the main purchase register's record.
const int kColumnas = 41;
const int kEstado = 41;
const int kTipo = 6;
const int kSerie = 7;
const int kNumero = 9;

const QString kSubLibro = QStringLiteral("666@6:No puede consignar este tipo de comprobante para el sub libro seleccionado");
const QString kEstadoNo = QStringLiteral("666@6:No puede consignar este tipo de comprobante para el estado");
const QString kSinGrupo = QStringLiteral("666@6:Tipo de comprobante no valido para compras");

QList<KovColumna> registro(const QString &estado, const QString &tipo, const QString &serie, const QString &numero)
{
    QList<KovColumna> cols;
    for (int i = 0; i < kColumnas; ++i)
        cols << KovColumna();
    cols[kEstado - 1].setData(estado);
    cols[kTipo - 1].setData(tipo);
    cols[kSerie - 1].setData(serie);
    cols[kNumero - 1].setData(numero);
    return cols;
}

// "cod@col", or "666@col:text" for a worded finding, in the order reported.
QStringList errores(const KovRespuesta &resp)
{
    QStringList lista;
    const QList<ErrorRespuesta> entradas = resp.getErrores();
    for (const ErrorRespuesta &e : entradas) {
        QString texto = QStringLiteral("%1@%2").arg(e.value(QStringLiteral("cod")).toInt())
                            .arg(e.value(QStringLiteral("col")).toInt());
        if (e.contains(QStringLiteral("des")))
            texto += QLatin1Char(':') + e.value(QStringLiteral("des")).toString();
        lista << texto;
    }
    return lista;
}

void fila(const char *nombre, const QString &libro, const QString &estado, const QString &tipo,
          const QString &serie, const QString &numero, const QStringList &esperados)
{
    QTest::newRow(nombre) << libro << estado << tipo << serie << numero << esperados;
}

// Every voucher type "00" to "99" whose call, with the other fields fixed, reports (or, with `sin`, does not
// report) the finding `hallazgo`.
QStringList tiposCon(const QString &libro, const QString &estado, const QString &serie, const QString &numero,
                     const QString &hallazgo, bool sin)
{
    QStringList tipos;
    for (int n = 0; n < 100; ++n) {
        const QString tipo = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
        QList<KovColumna> cols = registro(estado, tipo, serie, numero);
        KovRespuesta resp;
        checkIndTipSerNumCompras(&resp, &cols, kEstado, kTipo, kSerie, kNumero, libro);
        if (errores(resp).contains(hallazgo) != sin)
            tipos << tipo;
    }
    return tipos;
}

const QStringList kLibro81 = {
    "00", "01", "02", "03", "04", "05", "06", "07", "08", "10", "11", "12", "13", "14", "15", "16", "17", "18",
    "19", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "32", "34", "35", "36", "37", "42", "43",
    "44", "45", "46", "48", "49", "50", "51", "52", "53", "54", "55", "56", "87", "88", "89", "96",
};
const QStringList kLibro83 = {
    "00", "01", "03", "05", "06", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "22", "23", "24",
    "26", "27", "28", "29", "30", "32", "36", "37", "42", "43", "45", "46", "50", "51", "52", "53", "54", "55",
    "56", "87", "88", "96",
};
const QStringList kEstado09 = {
    "00", "01", "02", "03", "04", "05", "06", "07", "08", "10", "11", "12", "13", "14", "15", "16", "17", "18",
    "19", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "32", "34", "35", "36", "37", "42", "43",
    "44", "45", "46", "48", "49", "50", "51", "52", "53", "54", "55", "56", "87", "88", "89", "91", "96", "97",
    "98",
};
const QStringList kEstado167 = {
    "00", "01", "04", "05", "06", "07", "08", "11", "12", "13", "14", "15", "16", "17", "18", "23", "24", "25",
    "26", "27", "28", "29", "30", "32", "34", "35", "36", "37", "42", "43", "46", "48", "50", "51", "52", "53",
    "54", "55", "56", "87", "88", "89", "96",
};
const QStringList kSoloSinDocumento = { "00", "91", "97", "98" };

// Each group's types with a series the group accepts and the longest number each type takes.
struct TipoDeGrupo {
    const char *tipo;
    const char *serie;
    int numeroMaximo;
};
const TipoDeGrupo kTiposDeGrupo[] = {
    { "01", "F001", 8 }, { "02", "E001", 8 }, { "03", "B001", 8 }, { "04", "E001", 8 }, { "07", "F001", 8 },
    { "08", "B001", 8 },
    { "23", "123", 7 }, { "25", "1", 7 }, { "48", "1234", 7 }, { "89", "0", 7 },
    { "00", "X", 20 }, { "11", "X", 15 }, { "12", "X", 20 }, { "13", "X", 20 }, { "14", "X", 20 },
    { "15", "X", 20 }, { "16", "X", 20 }, { "17", "X", 20 }, { "18", "X", 20 }, { "19", "X", 20 },
    { "21", "X", 20 }, { "24", "X", 20 }, { "26", "X", 20 }, { "27", "X", 20 }, { "28", "X", 20 },
    { "29", "X", 20 }, { "30", "X", 20 }, { "32", "X", 20 }, { "37", "X", 20 }, { "42", "X", 20 },
    { "43", "X", 20 }, { "44", "X", 20 }, { "45", "X", 20 }, { "49", "X", 20 }, { "87", "X", 20 },
    { "88", "X", 20 }, { "91", "X", 20 }, { "96", "X", 20 }, { "97", "X", 20 }, { "98", "X", 20 },
    { "50", "019", 6 }, { "51", "028", 6 }, { "52", "046", 6 }, { "53", "055", 6 }, { "54", "965", 20 },
    { "05", "4", 11 }, { "55", "2", 11 },
    { "10", "1683", 20 }, { "22", "0820", 20 }, { "46", "1234", 20 },
    { "06", "0001", 8 }, { "34", "0000", 7 }, { "35", "1234", 7 }, { "36", "0001", 8 }, { "56", "9999", 11 },
};

} // namespace

class TestPurchaseVoucher : public QObject
{
    Q_OBJECT

private slots:
    // Runs first, so that the threads race on the very first use of the rule's lists.
    void firstUseFromManyThreads();
    void rule_data();
    void rule();
    void columnsOutsideTheList();
    void resultCountsOnlyThisCall();
    void everyTypeThroughTheLists_data();
    void everyTypeThroughTheLists();
    void numberLimitOfEveryGroupType_data();
    void numberLimitOfEveryGroupType();
};

void TestPurchaseVoucher::firstUseFromManyThreads()
{
    QVERIFY(todosLosHilos([] {
        QList<KovColumna> bien = registro("1", "01", "F001", "123");
        QList<KovColumna> mal = registro("8", "01", "F001", "123");
        KovRespuesta resp;
        return checkIndTipSerNumCompras(&resp, &bien, kEstado, kTipo, kSerie, kNumero, "080100")
            && !checkIndTipSerNumCompras(&resp, &mal, kEstado, kTipo, kSerie, kNumero, "080100")
            && errores(resp) == QStringList { kEstadoNo };
    }));
}

void TestPurchaseVoucher::rule_data()
{
    QTest::addColumn<QString>("libro");
    QTest::addColumn<QString>("estado");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("serie");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QStringList>("esperados");

    const QString b81 = "080100", b82 = "080200", b83 = "080300", otro = "140100";
    const QStringList ok;
    const QString digitos400 = QString(400, QLatin1Char('9'));

    // Sub-book gate: one message, nothing else looked at.
    fila("sub 8.2 refuses 01 even with nothing else", b82, "1", "01", "", "", { kSubLibro });
    fila("sub 8.1 refuses 91", b81, "0", "91", "", "5", { kSubLibro });
    fila("sub 8.3 refuses 02", b83, "0", "02", "E001", "123", { kSubLibro });
    fila("sub 8.3 takes 01", b83, "0", "01", "F001", "123", ok);
    fila("sub 8.2 takes 91", b82, "0", "91", "", "5", ok);
    fila("sub gate before state gate", b82, "8", "01", "", "", { kSubLibro });
    fila("sub code with blank is no purchase book", "080100 ", "0", "91", "", "5", ok);
    fila("sub other book, state still applies", otro, "8", "01", "F001", "1", { kEstadoNo });

    // State gate.
    fila("state 1 refuses 02", b81, "1", "02", "E001", "1", { kEstadoNo });
    fila("state 6 refuses 03", b81, "6", "03", "B001", "1", { kEstadoNo });
    fila("state 7 takes 01", b81, "7", "01", "F001", "1", ok);
    fila("state 8 refuses 01", b81, "8", "01", "F001", "1", { kEstadoNo });
    fila("state 8 takes 91", b82, "8", "91", "", "5", ok);
    fila("state 9 takes 89", b81, "9", "89", "123", "1234567", ok);
    fila("state 0 refuses 09", otro, "0", "09", "0001", "1", { kEstadoNo });
    fila("state 5 not tested", b81, "5", "02", "E001", "1", ok);
    fila("state 2 not tested", otro, "2", "91", "", "5", ok);
    fila("state with blank not tested", b81, " 1", "02", "E001", "1", ok);

    // Presence.
    fila("01 empty series", b81, "1", "01", "", "123", { "51@7" });
    fila("01 blank series and empty number", b81, "1", "01", "   ", "", { "51@7", "52@9" });
    fila("01 blank number", b81, "1", "01", "F001", "  ", { "52@9" });
    fila("11 needs no series", b81, "1", "11", "", "5", ok);
    fila("11 blank series", b81, "1", "11", "  ", "5", ok);
    fila("96 needs no number", b81, "1", "96", "", "", ok);
    fila("00 needs a number", b81, "0", "00", "", "", { "52@9" });
    fila("everything empty", otro, "", "", "", "", { "52@9" });

    // Group 1: 01 02 03 04 07 08.
    fila("01 F001 padded number", b81, "1", "01", "F001", "00001234", ok);
    fila("01 lower-case f", b81, "1", "01", "f001", "1", ok);
    fila("01 E001", b81, "1", "01", "E001", "1", ok);
    fila("01 E002", b81, "1", "01", "E002", "1", { "5@7" });
    fila("01 B001", b81, "1", "01", "B001", "1", { "5@7" });
    fila("01 EB01", b81, "1", "01", "EB01", "1", { "5@7" });
    fila("01 0001", b81, "1", "01", "0001", "1", ok);
    fila("01 00A1", b81, "1", "01", "00A1", "1", { "5@7" });
    fila("01 leading blank", b81, "1", "01", " F01", "1", { "5@7" });
    fila("01 F01", b81, "1", "01", "F01", "1", { "4@7" });
    // Lengths count characters: "Ñ001" is four of them (five bytes), so its first letter is judged, not its length.
    fila("01 letter outside ASCII", b81, "1", "01", QString::fromUtf8("Ñ001"), "1", { "5@7" });
    fila("01 F01 skips length, tail runs", b81, "1", "01", "F01", "12A345678", { "4@7", "3@9" });
    fila("01 B001 nine digits", b81, "1", "01", "B001", "123456789", { "5@7" });
    fila("01 F001 nine digits", b81, "1", "01", "F001", "123456789", { "4@9" });
    fila("01 F001 eight digits", b81, "1", "01", "F001", "12345678", ok);
    fila("01 number 12A", b81, "1", "01", "F001", "12A", { "3@9" });
    fila("01 number 0", b81, "1", "01", "F001", "0", { "5@9" });
    fila("01 number 00000000", b81, "1", "01", "F001", "00000000", { "5@9" });
    fila("01 number -1", b81, "1", "01", "F001", "-1", { "3@9" });
    fila("01 number 1.5", b81, "1", "01", "F001", "1.5", { "3@9" });
    fila("01 huge number is above zero", b81, "1", "01", "F001", digitos400, { "4@9" });
    fila("01 long zero-padded one is above zero", b81, "1", "01", "F001", QString(400, QLatin1Char('0')) + "1",
         { "4@9" });
    fila("03 B123", b81, "0", "03", "B123", "1", ok);
    fila("03 b123", b81, "0", "03", "b123", "1", ok);
    fila("03 EB01", b81, "0", "03", "EB01", "1", ok);
    fila("03 E001", b81, "0", "03", "E001", "1", { "5@7" });
    fila("03 F001", b81, "0", "03", "F001", "1", { "5@7" });
    fila("02 E001", b81, "0", "02", "E001", "1", ok);
    fila("02 F001", b81, "0", "02", "F001", "1", { "5@7" });
    fila("04 e001 is compared as written", b81, "1", "04", "e001", "1", { "5@7" });
    fila("04 1234", b81, "1", "04", "1234", "1", ok);
    fila("07 F0A1", b81, "1", "07", "F0A1", "1", ok);
    fila("07 B001", b81, "1", "07", "B001", "1", ok);
    fila("07 EB01", b81, "1", "07", "EB01", "1", ok);
    fila("07 E005", b81, "1", "07", "E005", "1", { "5@7" });
    fila("08 E001", b81, "1", "08", "E001", "1", ok);

    // Group 2: 23 25 48 89.
    fila("23 1234", b81, "1", "23", "1234", "1234567", ok);
    fila("23 12345", b81, "1", "23", "12345", "1", { "4@7" });
    fila("23 A12", b81, "1", "23", "A12", "1", { "5@7" });
    fila("23 eight digits", b81, "1", "23", "123", "12345678", { "4@9" });
    fila("25 series and number both wrong", b81, "1", "25", "A", "12345678", { "5@7", "4@9" });
    fila("48 number 12A", b81, "1", "48", "1", "12A", { "3@9" });

    // Group 3: the 30 types with a free series.
    fila("11 fifteen digits", b81, "1", "11", "", "123456789012345", ok);
    fila("11 sixteen digits", b81, "1", "11", "", "1234567890123456", { "4@9" });
    fila("12 twenty digits", b81, "1", "12", "A", "12345678901234567890", ok);
    fila("12 series of twenty characters outside ASCII", b81, "1", "12", QString(20, QChar(0x00D1)), "1", ok);
    fila("12 series of twenty-one characters outside ASCII", b81, "1", "12", QString(21, QChar(0x00D1)), "1",
         { "4@7" });
    fila("12 twenty-one digits", b81, "1", "12", "A", "123456789012345678901", { "4@9" });
    fila("00 twenty-char series", b81, "0", "00", "ABCDEFGHIJ0123456789", "X-1", ok);
    fila("00 twenty-one-char series", b81, "0", "00", "ABCDEFGHIJ01234567890", "1", { "4@7" });
    fila("14 number -5", b81, "1", "14", "A", "-5", { "5@9" });
    fila("14 number 0", b81, "1", "14", "A", "0", { "5@9" });
    fila("14 number -0", b81, "1", "14", "A", "-0", { "5@9" });
    fila("14 number ABC", b81, "1", "14", "A", "ABC", ok);
    fila("14 number +5", b81, "1", "14", "A", "+5", ok);
    fila("13 number 5.5", b81, "1", "13", "A", "5.5", ok);
    fila("14 huge positive", b81, "1", "14", "A", digitos400, { "4@9" });
    fila("14 huge negative", b81, "1", "14", "A", "-" + digitos400, { "4@9", "5@9" });
    fila("91 number -3", b82, "0", "91", "", "-3", { "5@9" });
    fila("16 number 12A", b81, "1", "16", "", "12A", { "3@9" });
    fila("16 number 0", b81, "1", "16", "", "0", { "5@9" });
    fila("96 empty number", b81, "1", "96", "", "", ok);

    // Group 4: 50 to 54.
    fila("50 019", b81, "1", "50", "019", "123456", ok);
    fila("50 020", b81, "1", "50", "020", "1", { "6@7" });
    fila("50 19", b81, "1", "50", "19", "1", { "4@7" });
    fila("50 A19", b81, "1", "50", "A19", "1", { "5@7" });
    fila("50 seven digits", b81, "1", "50", "019", "1234567", { "4@9" });
    fila("54 twenty digits", b81, "1", "54", "965", "12345678901234567890", ok);
    fila("54 twenty-one digits", b81, "1", "54", "965", "123456789012345678901", { "4@9" });
    fila("53 series and number wrong", b81, "1", "53", "020", "0", { "6@7", "5@9" });

    // Group 5: 05 55.
    fila("05 3", b81, "1", "05", "3", "1", ok);
    fila("05 5", b81, "1", "05", "5", "1", { "5@7" });
    fila("55 2", b81, "1", "55", "2", "12345678901", ok);
    fila("55 3", b81, "1", "55", "3", "1", { "5@7" });
    fila("55 12", b81, "1", "55", "12", "1", { "4@7" });
    fila("05 twelve digits", b81, "1", "05", "4", "123456789012", { "4@9" });

    // Group 6: 10 22 46.
    fila("10 1683", b81, "0", "10", "1683", "1", ok);
    fila("10 1684", b81, "0", "10", "1684", "1", { "5@7" });
    fila("10 168", b81, "0", "10", "168", "1", { "4@7" });
    fila("10 number 12A is 5", b81, "0", "10", "1683", "12A", { "5@9" });
    fila("10 number 0 is digits", b81, "0", "10", "1683", "0", ok);
    fila("10 twenty-one digits", b81, "0", "10", "1683", "123456789012345678901", { "4@9" });
    fila("22 0820", b81, "0", "22", "0820", "1", ok);
    fila("22 1683", b81, "0", "22", "1683", "1", { "5@7" });
    fila("46 12A4", b81, "1", "46", "12A4", "1", { "5@7" });
    fila("46 9999", b81, "1", "46", "9999", "1", ok);

    // Group 7: 06 34 35 36 56.
    fila("06 0000", b81, "1", "06", "0000", "1", { "5@7" });
    fila("06 0001", b81, "1", "06", "0001", "1", ok);
    fila("56 0000", b81, "1", "56", "0000", "1", { "5@7" });
    fila("34 0000", b81, "1", "34", "0000", "1", ok);
    fila("35 12A4", b81, "1", "35", "12A4", "1", { "5@7" });
    fila("36 123", b81, "1", "36", "123", "1", { "4@7" });
    fila("56 eleven digits", b81, "1", "56", "0001", "12345678901", ok);
    fila("56 twelve digits", b81, "1", "56", "0001", "123456789012", { "4@9" });
    fila("06 eight digits", b81, "1", "06", "0001", "12345678", ok);
    fila("06 nine digits", b81, "1", "06", "0001", "123456789", { "4@9" });
    fila("36 eight digits", b81, "1", "36", "0001", "12345678", ok);
    fila("35 eight digits", b81, "1", "35", "0001", "12345678", { "4@9" });
    fila("34 seven digits", b81, "1", "34", "0001", "1234567", ok);

    // No group; the tail still runs.
    fila("09 no group", otro, "5", "09", "0001", "1", { kSinGrupo });
    fila("09 no group, empty series", otro, "5", "09", "", "1", { "51@7" });
    fila("99 no group, general number rule", otro, "5", "99", "", "12A", { kSinGrupo, "3@9" });
}

void TestPurchaseVoucher::rule()
{
    QFETCH(QString, libro);
    QFETCH(QString, estado);
    QFETCH(QString, tipo);
    QFETCH(QString, serie);
    QFETCH(QString, numero);
    QFETCH(QStringList, esperados);

    QList<KovColumna> cols = registro(estado, tipo, serie, numero);
    KovRespuesta resp;
    const bool pasa = checkIndTipSerNumCompras(&resp, &cols, kEstado, kTipo, kSerie, kNumero, libro);
    QCOMPARE(errores(resp), esperados);
    QCOMPARE(pasa, esperados.isEmpty());
    QCOMPARE(cols.at(kSerie - 1).getData(), serie);
}

void TestPurchaseVoucher::columnsOutsideTheList()
{
    QList<KovColumna> cols = registro("1", "01", "F001", "123");
    KovRespuesta resp;
    QVERIFY(!checkIndTipSerNumCompras(&resp, &cols, kEstado, kTipo, kSerie, 50, "080100"));
    QCOMPARE(errores(resp), QStringList { "52@50" });

    cols = registro("1", "96", "", "");
    KovRespuesta opcional;
    QVERIFY(checkIndTipSerNumCompras(&opcional, &cols, kEstado, kTipo, kSerie, 0, "080100"));
    QCOMPARE(errores(opcional), QStringList());

    QList<KovColumna> vacia;
    KovRespuesta sinColumnas;
    QVERIFY(!checkIndTipSerNumCompras(&sinColumnas, &vacia, kEstado, kTipo, kSerie, kNumero, "080100"));
    QCOMPARE(errores(sinColumnas), QStringList { kSubLibro });
}

void TestPurchaseVoucher::resultCountsOnlyThisCall()
{
    // The caller's second call on the other number column, after the first one's findings are in.
    QList<KovColumna> cols = registro("1", "01", "F001", "123");
    cols[9].setData(QStringLiteral("12A"));
    KovRespuesta resp;
    resp.addError(3, 2);
    QVERIFY(checkIndTipSerNumCompras(&resp, &cols, kEstado, kTipo, kSerie, kNumero, "080100"));
    QVERIFY(!checkIndTipSerNumCompras(&resp, &cols, kEstado, kTipo, kSerie, 10, "080100"));
    QCOMPARE(errores(resp), (QStringList { "3@2", "3@10" }));
    QCOMPARE(resp.getNumErrores(), 2);
}

// Every type from "00" to "99" through each gate, the group chain and the number tail: a type added to or
// dropped from any list shows here.
void TestPurchaseVoucher::everyTypeThroughTheLists_data()
{
    QTest::addColumn<QString>("libro");
    QTest::addColumn<QString>("estado");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("hallazgo");
    QTest::addColumn<bool>("sin");
    QTest::addColumn<QStringList>("tipos");

    const QString otro = "140100";
    QStringList enGrupo;
    for (const TipoDeGrupo &t : kTiposDeGrupo)
        enGrupo << t.tipo;
    enGrupo.sort();
    const QStringList sinReglaGeneral = { "00", "09", "10", "12", "13", "14", "15", "20", "21", "22", "24",
                                          "26", "31", "33", "40", "41", "46", "91", "96", "97", "98" };
    QStringList conReglaGeneral;
    for (int n = 0; n < 100; ++n) {
        const QString tipo = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
        if (!sinReglaGeneral.contains(tipo))
            conReglaGeneral << tipo;
    }
    QStringList cero = conReglaGeneral
        + QStringList { "12", "13", "14", "15", "21", "24", "26", "91", "97", "98" };
    cero.sort();

    QTest::newRow("sub-book 8.1") << "080100" << "5" << "1" << kSubLibro << true << kLibro81;
    QTest::newRow("sub-book 8.2") << "080200" << "5" << "1" << kSubLibro << true << kSoloSinDocumento;
    QTest::newRow("sub-book 8.3") << "080300" << "5" << "1" << kSubLibro << true << kLibro83;
    QTest::newRow("state 0") << otro << "0" << "1" << kEstadoNo << true << kEstado09;
    QTest::newRow("state 1") << otro << "1" << "1" << kEstadoNo << true << kEstado167;
    QTest::newRow("state 6") << otro << "6" << "1" << kEstadoNo << true << kEstado167;
    QTest::newRow("state 7") << otro << "7" << "1" << kEstadoNo << true << kEstado167;
    QTest::newRow("state 8") << otro << "8" << "1" << kEstadoNo << true << kSoloSinDocumento;
    QTest::newRow("state 9") << otro << "9" << "1" << kEstadoNo << true << kEstado09;
    QTest::newRow("group chain") << otro << "5" << "1" << kSinGrupo << true << enGrupo;
    QTest::newRow("tail: number not digits") << otro << "5" << "A" << "3@9" << false << conReglaGeneral;
    QTest::newRow("tail: digits of 10 22 46") << otro << "5" << "A" << "5@9" << false
                                              << QStringList { "10", "22", "46" };
    QTest::newRow("tail: number zero") << otro << "5" << "0" << "5@9" << false << cero;
}

void TestPurchaseVoucher::everyTypeThroughTheLists()
{
    QFETCH(QString, libro);
    QFETCH(QString, estado);
    QFETCH(QString, numero);
    QFETCH(QString, hallazgo);
    QFETCH(bool, sin);
    QFETCH(QStringList, tipos);

    QCOMPARE(tiposCon(libro, estado, QStringLiteral("X"), numero, hallazgo, sin), tipos);
}

void TestPurchaseVoucher::numberLimitOfEveryGroupType_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("serie");
    QTest::addColumn<int>("numeroMaximo");

    for (const TipoDeGrupo &t : kTiposDeGrupo)
        QTest::newRow(t.tipo) << QString::fromLatin1(t.tipo) << QString::fromLatin1(t.serie) << t.numeroMaximo;
}

void TestPurchaseVoucher::numberLimitOfEveryGroupType()
{
    QFETCH(QString, tipo);
    QFETCH(QString, serie);
    QFETCH(int, numeroMaximo);

    QList<KovColumna> cols = registro("5", tipo, serie, QString(numeroMaximo, QLatin1Char('7')));
    KovRespuesta resp;
    QVERIFY(checkIndTipSerNumCompras(&resp, &cols, kEstado, kTipo, kSerie, kNumero, "140100"));
    QCOMPARE(errores(resp), QStringList());

    cols = registro("5", tipo, serie, QString(numeroMaximo + 1, QLatin1Char('7')));
    KovRespuesta largo;
    QVERIFY(!checkIndTipSerNumCompras(&largo, &cols, kEstado, kTipo, kSerie, kNumero, "140100"));
    QCOMPARE(errores(largo), QStringList { "4@9" });
}

QTEST_APPLESS_MAIN(TestPurchaseVoucher)
#include "tst_purchasevoucher.moc"
