#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "salesvoucher.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <vector>

namespace {

// The sales register layouts put type, series and number in columns 6 to 8 and the state in column 34 (14.1)
// or 25 (14.2); the second number column is 9.
const int kTipo = 6;
const int kSerie = 7;
const int kNumero = 8;
const int kNumero2 = 9;
const int kColumnas = 34;

int columnaEstado(const QString &libro)
{
    return libro == QLatin1String("140200") ? 25 : 34;
}

QList<KovColumna> registro(const QString &libro, const QString &estado, const QString &tipo, const QString &serie,
                           const QString &numero, const QString &numero2 = QString())
{
    QList<KovColumna> cols;
    for (int i = 0; i < kColumnas; ++i)
        cols.append(KovColumna());
    cols[columnaEstado(libro) - 1].setData(estado);
    cols[kTipo - 1].setData(tipo);
    cols[kSerie - 1].setData(serie);
    cols[kNumero - 1].setData(numero);
    cols[kNumero2 - 1].setData(numero2);
    return cols;
}

// "cod@col", with ":text" for a worded finding, in the order added.
QStringList errores(const KovRespuesta &resp)
{
    QStringList out;
    for (const ErrorRespuesta &e : resp.getErrores()) {
        QString s = QStringLiteral("%1@%2").arg(e.value(QStringLiteral("cod")).toInt())
                        .arg(e.value(QStringLiteral("col")).toInt());
        if (e.contains(QStringLiteral("des")))
            s += QLatin1Char(':') + e.value(QStringLiteral("des")).toString();
        out << s;
    }
    return out;
}

const QString SUBLIBRO = QStringLiteral("666@6:No puede consignar este tipo de comprobante para el sub libro seleccionado");
const QString ESTADO = QStringLiteral("666@6:No puede consignar este tipo de comprobante para el estado");
const QString TIPO = QStringLiteral("666@6:Tipo de comprobante no valido para ventas");

QString veces(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

} // namespace

class tst_SalesVoucher : public QObject
{
    Q_OBJECT

private slots:
    void firstCallsFromSeveralThreads();
    void rule_data();
    void rule();
    void resultCountsOnlyThisCall();
    void columnNumbersOutsideTheList_data();
    void columnNumbersOutsideTheList();
    void everyTypeCode_data();
    void everyTypeCode();
    void oneCharacterSeries_data();
    void oneCharacterSeries();
};

// Runs first, so the constant lists are built while several jobs call the rule at once.
void tst_SalesVoucher::firstCallsFromSeveralThreads()
{
    std::atomic<int> wrong(0);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back(QThread::create([&wrong]() {
            for (int i = 0; i < 200; ++i) {
                QList<KovColumna> bueno = registro("140100", "2", "56", "0001", "12345678901");
                QList<KovColumna> malo = registro("140100", "2", "49", "", "1");
                KovRespuesta resp;
                if (!checkIndTipSerNumVentas(&resp, &bueno, 34, kTipo, kSerie, kNumero, "140100")
                    || checkIndTipSerNumVentas(&resp, &malo, 34, kTipo, kSerie, kNumero, "140100")
                    || errores(resp) != QStringList{ESTADO})
                    ++wrong;
            }
        }));
    }
    for (auto &t : threads)
        t->start();
    for (auto &t : threads)
        QVERIFY(t->wait(60000));
    QCOMPARE(wrong.load(), 0);
}

void tst_SalesVoucher::rule_data()
{
    QTest::addColumn<QString>("libro");
    QTest::addColumn<QString>("estado");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("serie");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QStringList>("esperado");

    const QString L1 = QStringLiteral("140100");
    const QString L2 = QStringLiteral("140200");
    const QString OTRO = QStringLiteral("080100");
    auto row = [](const char *name, const QString &libro, const QString &estado, const QString &tipo,
                  const QString &serie, const QString &numero, const QStringList &esperado) {
        QTest::newRow(name) << libro << estado << tipo << serie << numero << esperado;
    };
    const QStringList ok;

    // Sub-book admission: the message stands alone, whatever later steps would find.
    row("141 admits 01", L1, "1", "01", "F001", "123", ok);
    row("141 refuses 02 alone", L1, "0", "02", "", "", {SUBLIBRO});
    row("142 refuses 04", L2, "1", "04", "E001", "1", {SUBLIBRO});
    row("142 admits 12", L2, "1", "12", "A", "1", ok);
    row("141 empty type", L1, "1", "", "F001", "1", {SUBLIBRO});
    row("141 type with trailing blank", L1, "1", "01 ", "F001", "1", {SUBLIBRO});
    row("141 type with leading blank", L1, "1", " 01", "F001", "1", {SUBLIBRO});
    row("141 one-character type", L1, "1", "1", "F001", "1", {SUBLIBRO});
    row("other book: 02 reaches the series stage", OTRO, "3", "02", "F001", "1", {TIPO});
    row("empty book: 02 reaches the state test", "", "1", "02", "F001", "1", {ESTADO});
    row("book with blank: no sub-book test", "140100 ", "", "02", "F001", "1", {TIPO});

    // State admission.
    row("state 0 refuses 01 before 51 and 52", L1, "0", "01", "", "", {ESTADO});
    row("state 0 admits 23", L1, "0", "23", "1", "1", ok);
    row("state 2 refuses 06", L1, "2", "06", "0001", "1", {ESTADO});
    row("state 2 refuses 49", L1, "2", "49", "", "1", {ESTADO});
    row("state 2 admits 00", L1, "2", "00", "", "1", ok);
    row("state 8 admits 06", L1, "8", "06", "0001", "1", ok);
    row("state 9 admits 49", L1, "9", "49", "", "1", ok);
    row("142 state 0 admits 00", L2, "0", "00", "", "1", ok);
    row("142 state 0 refuses 01", L2, "0", "01", "F001", "1", {ESTADO});
    row("142 state 2 admits 12", L2, "2", "12", "A", "1", ok);
    row("state with blank selects no list", "", " 1", "02", "F001", "1", {TIPO});
    row("state 01 selects no list", "", "01", "02", "F001", "1", {TIPO});
    row("empty state selects no list", "", "", "02", "F001", "1", {TIPO});

    // Presence of series and number.
    row("01 blank series", L1, "1", "01", "   ", "123", {"51@7"});
    row("01 empty series and number", L1, "1", "01", "", "", {"51@7", "52@8"});
    row("00 needs no series", L1, "1", "00", "", "123", ok);
    row("00 blank number", L1, "1", "00", "", "   ", {"52@8"});
    row("96 may leave its number empty", OTRO, "", "96", "", "", {TIPO});

    // Types 01 03 04 07 08: four characters, leading letter and fixed series.
    row("01 E001", L1, "1", "01", "E001", "1", ok);
    row("01 F and any three", L1, "1", "01", "F-X9", "1", ok);
    row("01 lower-case f", L1, "1", "01", "f001", "1", ok);
    row("01 four digits", L1, "1", "01", "0001", "1", ok);
    row("01 EB01", L1, "1", "01", "EB01", "1", {"5@7"});
    row("01 B001", L1, "1", "01", "B001", "1", {"5@7"});
    row("01 lower-case e001", L1, "1", "01", "e001", "1", {"5@7"});
    // Lengths count characters, not bytes: "Ñ001" is four characters, judged by its first letter.
    row("01 letter outside ASCII", L1, "1", "01", QString::fromUtf8("Ñ001"), "1", {"5@7"});
    row("01 E002 one error only", L1, "1", "01", "E002", "1", {"5@7"});
    row("03 EB01", L1, "1", "03", "EB01", "1", ok);
    row("03 lower-case b", L1, "1", "03", "b001", "1", ok);
    row("03 E001", L1, "1", "03", "E001", "1", {"5@7"});
    row("03 F001", L1, "1", "03", "F001", "1", {"5@7"});
    row("03 minus and digits", L1, "1", "03", "-001", "1", {"5@7"});
    row("04 E001", L1, "1", "04", "E001", "1", ok);
    row("04 1234", L1, "1", "04", "1234", "1", ok);
    row("04 EB01", L1, "1", "04", "EB01", "1", {"5@7"});
    row("04 B001", L1, "1", "04", "B001", "1", {"5@7"});
    row("07 EB01", L1, "1", "07", "EB01", "1", ok);
    row("07 B001", L1, "1", "07", "B001", "1", ok);
    row("07 f123", L1, "1", "07", "f123", "1", ok);
    row("07 E002", L1, "1", "07", "E002", "1", {"5@7"});
    row("08 e001", L1, "1", "08", "e001", "1", {"5@7"});
    row("08 A001", L1, "1", "08", "A001", "1", {"5@7"});
    row("01 leading blank", L1, "1", "01", " 001", "1", {"5@7"});
    row("01 three characters skip the number length", L1, "1", "01", "001", "123456789", {"4@7"});
    row("01 five characters", L1, "1", "01", "E0001", "1", {"4@7"});
    row("01 series with trailing blank", L1, "1", "01", "E001 ", "1", {"4@7"});
    row("01 number of 8", L1, "1", "01", "F001", "12345678", ok);
    row("01 number of 9", L1, "1", "01", "F001", "123456789", {"4@8"});
    row("01 bad series hides number length", L1, "1", "01", "B001", "123456789", {"5@7"});
    row("01 bad series then number check", L1, "1", "01", "EB01", "0", {"5@7", "5@8"});

    // Types 23 and 25.
    row("23 one digit, number of 7", L1, "1", "23", "1", "1234567", ok);
    row("25 four digits", L1, "1", "25", "1234", "1", ok);
    row("23 five digits", L1, "1", "23", "12345", "1", {"4@7"});
    row("23 five letters", L1, "1", "23", "ABCDE", "1", {"4@7"});
    row("25 letter", L1, "1", "25", "A1", "1", {"5@7"});
    row("23 leading blank and three digits", L1, "1", "23", " 123", "1", {"5@7"});
    row("23 leading blank and four digits", L1, "1", "23", " 1234", "1", {"4@7"});
    row("23 number of 8", L1, "1", "23", "1", "12345678", {"4@8"});
    row("23 series then number check", L1, "1", "23", "AB", "ABC", {"5@7", "3@8"});
    row("25 both lengths then number", L1, "1", "25", "ABCDE", "123456789", {"4@7", "4@8"});

    // The 26-type group.
    row("12 series of 20 of anything", L1, "1", "12", "AB-12 .x/ 3456789012", "1", ok);
    row("12 series of 21", L1, "1", "12", veces('A', 21), "1", {"4@7"});
    row("12 series of 20 outside ASCII", L1, "1", "12", QString(20, QChar(0x00D1)), "1", ok);
    row("12 series of 21 outside ASCII", L1, "1", "12", QString(21, QChar(0x00D1)), "1", {"4@7"});
    row("11 number of 15", L1, "1", "11", "", veces('1', 15), ok);
    row("11 number of 14", L1, "1", "11", "", veces('1', 14), {"4@8"});
    row("11 number of 16", L1, "1", "11", veces('S', 20), veces('1', 16), {"4@8"});
    row("13 number of 20", L1, "1", "13", "", veces('1', 20), ok);
    row("13 number of 21", L1, "1", "13", "", veces('1', 21), {"4@8"});
    row("88 series and number of 21", L1, "1", "88", veces(' ', 21), veces('9', 21), {"4@7", "4@8"});

    // Types 05 and 55.
    row("05 series 3", L1, "1", "05", "3", "1", ok);
    row("55 series 3", L1, "1", "55", "3", "1", {"5@7"});
    row("55 series 5", L1, "1", "55", "5", "1", ok);
    row("05 series 0", L1, "1", "05", "0", "1", {"5@7"});
    row("05 series 6", L1, "1", "05", "6", "1", {"5@7"});
    row("05 letter", L1, "1", "05", "A", "1", {"5@7"});
    row("05 two digits", L1, "1", "05", "12", "1", {"4@7"});
    row("55 blank and digit", L1, "1", "55", " 1", "1", {"4@7"});
    row("55 number of 11", L1, "1", "55", "1", veces('1', 11), ok);
    row("55 number of 12", L1, "1", "55", "1", veces('1', 12), {"4@8"});
    row("05 bad series and long number", L1, "1", "05", "9", veces('1', 12), {"5@7", "4@8"});

    // Types 06 34 35 36 48 56.
    row("06 0001", L1, "1", "06", "0001", "1", ok);
    row("06 four zeros", L1, "1", "06", "0000", "1", {"5@7"});
    row("48 four zeros", L1, "1", "48", "0000", "1", {"5@7"});
    row("56 four zeros", L1, "1", "56", "0000", "1", {"5@7"});
    row("34 four zeros", L1, "1", "34", "0000", "1", ok);
    row("35 four zeros", L1, "1", "35", "0000", "1", ok);
    row("36 four zeros", L1, "1", "36", "0000", "1", ok);
    row("34 three digits", L1, "1", "34", "123", "1", {"4@7"});
    row("35 three letters skip the digit test", L1, "1", "35", "ABC", "1", {"4@7"});
    row("36 five digits", L1, "1", "36", "12345", "1", {"4@7"});
    row("35 letter", L1, "1", "35", "12A4", "1", {"5@7"});
    row("48 leading blank", L1, "1", "48", " 123", "1", {"5@7"});
    row("56 minus sign", L1, "1", "56", "-001", "1", {"5@7"});
    row("56 number of 11", L1, "1", "56", "0001", veces('1', 11), ok);
    row("56 number of 12", L1, "1", "56", "0001", veces('1', 12), {"4@8"});
    row("06 number of 8", L1, "1", "06", "0001", veces('1', 8), ok);
    row("06 number of 9", L1, "1", "06", "0001", veces('1', 9), {"4@8"});
    row("36 number of 8", L1, "1", "36", "0001", veces('1', 8), ok);
    row("36 number of 9", L1, "1", "36", "0001", veces('1', 9), {"4@8"});
    row("34 number of 7", L1, "1", "34", "0001", veces('1', 7), ok);
    row("35 number of 7", L1, "1", "35", "0001", veces('1', 7), ok);
    row("35 number of 8", L1, "1", "35", "0001", veces('1', 8), {"4@8"});
    row("48 number of 7", L1, "1", "48", "0001", veces('1', 7), ok);
    row("48 number of 8", L1, "1", "48", "0001", veces('1', 8), {"4@8"});
    row("34 blanks count in the number", L1, "1", "34", "0001", " 1234567", {"4@8", "3@8"});
    row("06 zeros and long number", L1, "1", "06", "0000", veces('1', 9), {"5@7", "4@8"});

    // A type in no group: the message, then the number checks by the type's lists.
    row("99 letters", OTRO, "", "99", "", "ABC", {TIPO, "3@8"});
    row("10 digits only", OTRO, "", "10", "X", "A1", {TIPO, "5@8"});
    row("22 zero is digits", OTRO, "", "22", "X", "0", {TIPO});
    row("46 minus", OTRO, "", "46", "X", "-1", {TIPO, "5@8"});
    row("31 anything", OTRO, "", "31", "X", "ABC", {TIPO});
    row("97 not above zero", OTRO, "", "97", "", "-0", {TIPO, "5@8"});

    // Number checks of the types outside every number list, and of the ten-type list.
    row("01 leading zeros", L1, "1", "01", "F001", "00012345", ok);
    row("01 zero", L1, "1", "01", "F001", "0", {"5@8"});
    row("01 zeros", L1, "1", "01", "F001", "0000", {"5@8"});
    row("01 letter inside", L1, "1", "01", "F001", "12A4", {"3@8"});
    row("01 negative", L1, "1", "01", "F001", "-5", {"3@8"});
    row("01 decimal", L1, "1", "01", "F001", "1.5", {"3@8"});
    row("01 blank before digits", L1, "1", "01", "F001", " 12", {"3@8"});
    row("12 negative", L1, "1", "12", "A", "-3", {"5@8"});
    row("12 zero", L1, "1", "12", "A", "0", {"5@8"});
    row("12 minus zero", L1, "1", "12", "A", "-0", {"5@8"});
    row("12 positive", L1, "1", "12", "A", "15", ok);
    row("12 letters and minus", L1, "1", "12", "A", "ABC-1", ok);
    row("12 series-like", L1, "1", "12", "A", "F001-2", ok);
    row("12 plus sign", L1, "1", "12", "A", "+5", ok);
    row("00 zero", L1, "1", "00", "", "0", ok);
    row("00 negative", L1, "1", "00", "", "-1", ok);
    row("00 letters", L1, "1", "00", "", "ABC", ok);

    // Numbers far beyond a double keep their sign and their zeros.
    row("01 huge number is above zero", L1, "1", "01", "F001", "1" + veces('0', 400), {"4@8"});
    row("01 huge zeros are not", L1, "1", "01", "F001", veces('0', 401), {"4@8", "5@8"});
    row("12 huge negative", L1, "1", "12", "A", "-1" + veces('0', 400), {"4@8", "5@8"});
    row("99 huge number", OTRO, "", "99", "", veces('9', 400), {TIPO});
}

void tst_SalesVoucher::rule()
{
    QFETCH(QString, libro);
    QFETCH(QString, estado);
    QFETCH(QString, tipo);
    QFETCH(QString, serie);
    QFETCH(QString, numero);
    QFETCH(QStringList, esperado);

    QList<KovColumna> cols = registro(libro, estado, tipo, serie, numero);
    KovRespuesta resp;
    const bool pasa =
        checkIndTipSerNumVentas(&resp, &cols, columnaEstado(libro), kTipo, kSerie, kNumero, libro);
    QCOMPARE(errores(resp), esperado);
    QCOMPARE(pasa, esperado.isEmpty());
    QCOMPARE(resp.getNumErrores(), esperado.size());
}

// Errors already in the result do not count, and the second-number call adds after the first.
void tst_SalesVoucher::resultCountsOnlyThisCall()
{
    QList<KovColumna> cols = registro("140100", "1", "03", "B001", "12", "0");
    KovRespuesta resp;
    resp.addError(3, 1);

    QVERIFY(checkIndTipSerNumVentas(&resp, &cols, 34, kTipo, kSerie, kNumero, "140100"));
    QCOMPARE(errores(resp), QStringList{"3@1"});

    QVERIFY(!checkIndTipSerNumVentas(&resp, &cols, 34, kTipo, kSerie, kNumero2, "140100"));
    QCOMPARE(errores(resp), (QStringList{"3@1", "5@9"}));
}

void tst_SalesVoucher::columnNumbersOutsideTheList_data()
{
    QTest::addColumn<int>("colEstado");
    QTest::addColumn<int>("colTipo");
    QTest::addColumn<int>("colNumero");
    QTest::addColumn<bool>("sinLista");
    QTest::addColumn<QStringList>("esperado");

    QTest::newRow("number past the end is blank") << 34 << kTipo << 35 << false << QStringList{"52@35"};
    QTest::newRow("type at zero is empty") << 34 << 0 << kNumero << false
                                           << QStringList{"666@0:No puede consignar este tipo de comprobante para "
                                                          "el sub libro seleccionado"};
    QTest::newRow("negative state selects no list") << -1 << kTipo << kNumero << false << QStringList();
    QTest::newRow("no list at all") << 34 << kTipo << kNumero << true << QStringList{SUBLIBRO};
}

void tst_SalesVoucher::columnNumbersOutsideTheList()
{
    QFETCH(int, colEstado);
    QFETCH(int, colTipo);
    QFETCH(int, colNumero);
    QFETCH(bool, sinLista);
    QFETCH(QStringList, esperado);

    // State 0 would refuse type 01; the negative state column shows it is never read.
    QList<KovColumna> cols = registro("140100", "0", "01", "F001", "1");
    if (colEstado == 34)
        cols[33].setData("1");
    KovRespuesta resp;
    const bool pasa = checkIndTipSerNumVentas(&resp, sinLista ? nullptr : &cols, colEstado, colTipo, kSerie,
                                              colNumero, "140100");
    QCOMPARE(errores(resp), esperado);
    QCOMPARE(pasa, esperado.isEmpty());

    // Without a result to add to, the call still answers.
    QCOMPARE(checkIndTipSerNumVentas(nullptr, sinLista ? nullptr : &cols, colEstado, colTipo, kSerie, colNumero,
                                     "140100"),
             pasa);
}

void tst_SalesVoucher::everyTypeCode_data()
{
    QTest::addColumn<QString>("libro");
    QTest::addColumn<QString>("estado");
    QTest::addColumn<QStringList>("sondas");
    QTest::addColumn<QString>("filtro");
    QTest::addColumn<QStringList>("clases");

    const QString OTRO = QStringLiteral("080100");
    const QStringList vacios{"|"};
    const QString admitidos141 = QStringLiteral("00 01 03 04 05 06 07 08 11 12 13 14 15 16 17 18 19 21 23 24 25 26 27 28 "
                                                "29 30 32 34 35 36 37 42 43 44 45 48 49 55 56 87 88");

    // Admission: which codes get the message, with no other list in the way.
    QTest::newRow("sub-book 140100") << "140100" << "" << vacios << "666"
                                     << QStringList{" = " + admitidos141, SUBLIBRO + " = *"};
    QTest::newRow("sub-book 140200") << "140200" << "" << vacios << "666"
                                     << QStringList{" = 00 01 03 07 08 12", SUBLIBRO + " = *"};
    QTest::newRow("state 0") << OTRO << "0" << vacios << "666"
                             << QStringList{" = 00 23 25 27 28 29 30 32 34 35 42 44 45 48 49 56", ESTADO + " = *"};
    for (const char *estado : {"1", "8", "9"}) {
        QTest::addRow("state %s", estado) << OTRO << estado << vacios << "666"
                                          << QStringList{" = " + admitidos141, ESTADO + " = *"};
    }
    QTest::newRow("state 2") << OTRO << "2" << vacios << "666"
                             << QStringList{" = 00 01 03 04 05 07 08 11 12 13 14 15 16 17 18 19 21 23 24 25 26 27 28 29 "
                                            "30 32 34 35 36 37 42 43 44 45 48 55 56 87 88",
                                            ESTADO + " = *"};

    // Series groups: series of one, two, five and three characters (the last with a number of twelve) tell
    // every group apart, type 11 by its number length.
    QTest::newRow("series groups")
        << OTRO << "" << QStringList{"1|1", "12|1", "12345|1", "123|123456789012"} << "todo"
        << QStringList{"4@7 / 4@7 / 4@7 / 4@7 = 01 03 04 07 08",
                       " /  / 4@7 / 4@8 = 23 25",
                       " /  /  /  = 00 12 13 14 15 16 17 18 19 21 24 26 27 28 29 30 32 37 42 43 44 45 49 87 88",
                       "4@8 / 4@8 / 4@8 / 4@8 = 11",
                       " / 4@7 / 4@7 / 4@7,4@8 = 05 55",
                       "4@7 / 4@7 / 4@7 / 4@7,4@8 = 06 34 35 36 48 56",
                       TIPO + " / " + TIPO + " / " + TIPO + " / " + TIPO + " = *"};

    // Number lists: letters, zero and a negative number, judged by the type alone.
    QTest::newRow("number lists")
        << OTRO << "" << QStringList{"X|A1", "X|0", "X|-1"} << "numero"
        << QStringList{"5@8 /  / 5@8 = 10 22 46",
                       " / 5@8 / 5@8 = 12 13 14 15 21 24 26 91 97 98",
                       " /  /  = 00 09 20 31 33 40 41 96",
                       "3@8 / 5@8 / 3@8 = *"};
}

// Every code from 00 to 99 goes through the rule with each probe record; codes that the probes answer alike
// form one class, so a code missing from a list, or put in the wrong one, shows.
void tst_SalesVoucher::everyTypeCode()
{
    QFETCH(QString, libro);
    QFETCH(QString, estado);
    QFETCH(QStringList, sondas);
    QFETCH(QString, filtro);
    QFETCH(QStringList, clases);

    QStringList todos;
    for (int i = 0; i < 100; ++i)
        todos << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));

    QMap<QString, QStringList> porFirma;
    for (const QString &tipo : todos) {
        QStringList firma;
        for (const QString &sonda : sondas) {
            const QStringList partes = sonda.split(QLatin1Char('|'));
            QList<KovColumna> cols = registro(libro, estado, tipo, partes.value(0), partes.value(1));
            KovRespuesta resp;
            checkIndTipSerNumVentas(&resp, &cols, columnaEstado(libro), kTipo, kSerie, kNumero, libro);
            QStringList vistos;
            for (const QString &e : errores(resp)) {
                const bool guarda = filtro == QLatin1String("todo")
                    || (filtro == QLatin1String("666") && e.startsWith(QLatin1String("666@")))
                    || (filtro == QLatin1String("numero") && (e == QLatin1String("3@8") || e == QLatin1String("5@8")));
                if (guarda)
                    vistos << e;
            }
            firma << vistos.join(QLatin1Char(','));
        }
        porFirma[firma.join(QStringLiteral(" / "))] << tipo;
    }
    QStringList obtenidas;
    for (auto it = porFirma.cbegin(); it != porFirma.cend(); ++it)
        obtenidas << it.key() + QStringLiteral(" = ") + it.value().join(QLatin1Char(' '));

    QStringList nombrados;
    for (const QString &clase : clases) {
        if (!clase.endsWith(QLatin1String(" = *")))
            nombrados += clase.section(QStringLiteral(" = "), -1).split(QLatin1Char(' '));
    }
    QStringList resto;
    for (const QString &tipo : todos) {
        if (!nombrados.contains(tipo))
            resto << tipo;
    }
    QStringList esperadas;
    for (QString clase : clases) {
        if (clase.endsWith(QLatin1String(" = *")))
            clase.replace(clase.size() - 1, 1, resto.join(QLatin1Char(' ')));
        esperadas << clase;
    }
    obtenidas.sort();
    esperadas.sort();
    QCOMPARE(obtenidas, esperadas);
}

void tst_SalesVoucher::oneCharacterSeries_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("admitidas");

    QTest::newRow("05") << "05" << "12345";
    QTest::newRow("55") << "55" << "125";
}

// Each one-character series on its own: only the type's own list passes.
void tst_SalesVoucher::oneCharacterSeries()
{
    QFETCH(QString, tipo);
    QFETCH(QString, admitidas);

    QString vistas;
    for (const QChar serie : QStringLiteral("0123456789AaEFB-.")) {
        QList<KovColumna> cols = registro("140100", "1", tipo, QString(serie), "1");
        KovRespuesta resp;
        if (checkIndTipSerNumVentas(&resp, &cols, 34, kTipo, kSerie, kNumero, "140100"))
            vistas += serie;
        else
            QCOMPARE(errores(resp), QStringList{"5@7"});
    }
    QCOMPARE(vistas, admitidas);
}

QTEST_APPLESS_MAIN(tst_SalesVoucher)
#include "tst_salesvoucher.moc"
