// The frame that the general books' validators share, seen through the withholdings book: period check and
// the date checks it gates, field rules, totals, state counts and the detail line.

#include "generalbooks.h"
#include "generalfixture.h"
#include "kovrules.h"

#include <QtTest>

namespace {

// Period January 2024, a dated withholding to a company (RUC), 100.50 gross and 3.00 withheld, state 1.
const QString base = QStringLiteral("20240100|CUO1|M1|15/01/2024|6|20100070970|Proveedor|100.50|3.00|1");

} // namespace

class TestWithholdings : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder();
    void narrowOrMissingInput();
    void registered();
    void frameTable_data();
    void frameTable();
};

void TestWithholdings::record_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("errores");
    QTest::addColumn<QString>("sumas");

    const QString completo = QStringLiteral("mto_bruto_t1=100.5; mto_reten_t=3");
    QTest::newRow("state 1") << "" << "" << completo + "; cnt_reg_e1=1";
    QTest::newRow("state 8 counts 8") << "1=20231200|4=15/12/2023|10=8" << "" << completo + "; cnt_reg_e8=1";
    QTest::newRow("state 9 counts 9") << "1=20231200|4=15/12/2023|10=9" << "" << completo + "; cnt_reg_e9=1";
    QTest::newRow("state 5 counts nowhere") << "10=5" << "" << completo;
    // "01" is state 1 for the period rule, so a later month fails it, yet it is counted under no state.
    QTest::newRow("state 01") << "1=20240200|4=31/02/2024|10=01" << "16@1" << completo;
    QTest::newRow("failed period skips the date, not the rest")
        << "1=20240200|4=xx|6=123|8=0" << "16@1; 34@6; 666@8:Si consigna cero debe ser 0.00"
        << "mto_reten_t=3; cnt_reg_e1=1";
    QTest::newRow("state 8 of the book's own month") << "4=31/02/2024|10=8" << "17@1"
                                                     << completo + "; cnt_reg_e8=1";
    QTest::newRow("date after the month") << "4=01/02/2024" << "19@4" << completo + "; cnt_reg_e1=1";
    QTest::newRow("date before the month") << "4=31/12/2023" << "" << completo + "; cnt_reg_e1=1";
    QTest::newRow("not a date") << "4=31/02/2024" << "13@4" << completo + "; cnt_reg_e1=1";
    QTest::newRow("day in the record period") << "1=20240115" << "20@1" << completo + "; cnt_reg_e1=1";
    QTest::newRow("DNI too short") << "5=1|6=1234567" << "53@6" << completo + "; cnt_reg_e1=1";
    QTest::newRow("no document type") << "5=-|6=abc" << "" << completo + "; cnt_reg_e1=1";
    QTest::newRow("zero written 0") << "8=0" << "666@8:Si consigna cero debe ser 0.00"
                                    << "mto_reten_t=3; cnt_reg_e1=1";
    QTest::newRow("zero written 0.00") << "8=0.00|9=0.00" << "" << "cnt_reg_e1=1";
    QTest::newRow("zero written -0.00") << "9=-0.00" << "666@9:Si consigna cero debe ser 0.00"
                                        << "mto_bruto_t1=100.5; cnt_reg_e1=1";
    QTest::newRow("empty withheld amount") << "9=" << "" << "mto_bruto_t1=100.5; cnt_reg_e1=1";
    // Only the zero rule rejects a text that is not a number; the total takes it as 0.
    QTest::newRow("amount that is not a number") << "8=abc" << "666@8:Si consigna cero debe ser 0.00"
                                                 << "mto_reten_t=3; cnt_reg_e1=1";
    QTest::newRow("every finding, in step order") << "4=xx|6=123|8=0|9=0.0"
                                                  << "13@4; 34@6; 666@8:Si consigna cero debe ser 0.00; "
                                                     "666@9:Si consigna cero debe ser 0.00"
                                                  << "cnt_reg_e1=1";
    // The date is held against the record's own month, not the book's.
    QTest::newRow("state 8 date after the record's month") << "1=20231200|10=8" << "19@4"
                                                            << completo + "; cnt_reg_e8=1";
    QTest::newRow("negative amounts keep their sign") << "8=-20.25|9=-1.00" << ""
                                                      << "mto_bruto_t1=-20.25; mto_reten_t=-1; cnt_reg_e1=1";
}

void TestWithholdings::record()
{
    QFETCH(QString, cambios);
    QFETCH(QString, errores);
    QFETCH(QString, sumas);

    QList<KovColumna> cols = registro(cambiar(campos(base), cambios));
    ParametrosRegistro params = parametros(QStringLiteral("20240100"));
    const KovRespuesta resp = f040100(&cols, &params);
    QCOMPARE(::errores(resp), errores);
    QCOMPARE(::sumas(resp), sumas);
    QCOMPARE(resp.getTotalLineDetail(), 1);
    QCOMPARE(resp.getEstado1Debe(), 0.0);
    QCOMPARE(resp.getEstado1Haber(), 0.0);
    // The validator reads the line; it never changes it.
    QCOMPARE(cols.at(7).getData(), cambiar(campos(base), cambios).at(7));
}

void TestWithholdings::summaryOrder()
{
    // Whatever the state, the first record names every total, the three counts included, in this order.
    for (const QString &estado : { QStringLiteral("1"), QStringLiteral("5") }) {
        QList<KovColumna> cols = registro(cambiar(campos(base), QStringLiteral("10=") + estado));
        ParametrosRegistro params = parametros(QStringLiteral("20240100"));
        QCOMPARE(nombres(f040100(&cols, &params)),
                 QStringLiteral("mto_bruto_t1,mto_reten_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9"));
    }
}

void TestWithholdings::narrowOrMissingInput()
{
    // A layout narrower than the validator's state column, no parameters, or no list at all: the missing
    // texts read as empty, nothing is read past the list.
    QList<KovColumna> cols = registro(campos(QStringLiteral("20240100|CUO1|M1")));
    ParametrosRegistro vacios;
    const KovRespuesta corta = f040100(&cols, &vacios);
    QCOMPARE(errores(corta), QStringLiteral("13@4"));
    QCOMPARE(corta.getTotalLineDetail(), 1);

    const KovRespuesta nada = f040100(nullptr, nullptr);
    QCOMPARE(errores(nada), QStringLiteral("38@1"));
    QCOMPARE(nombres(nada), QStringLiteral("mto_bruto_t1,mto_reten_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9"));
}

void TestWithholdings::registered()
{
    KovRules rules;
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f040100")) == &f040100);
    QCOMPARE(rules.getColumnaEstado(QStringLiteral("f040100")), 10);
}

// The table of all 42 validators: each name is registered with its state column, each validator counts the
// state it reads from that column, and its period check has the flags of its row, seen through the errors
// that five record periods raise at column 1 under a book period of January 2024.
void TestWithholdings::frameTable_data()
{
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<int>("estado");
    QTest::addColumn<QStringList>("periodos");

    // Record periods 20240100, 20240115, 20240000 and 20090000 in state 5, then 20240115 in state 1.
    const QString menor = QStringLiteral("666@1:El periodo no puede ser menor al 2010");
    const QStringList mensual = { "", "20@1", "41@1", "41@1", "20@1" };
    const QStringList diario = { "21@1", "", "21@1", "21@1", "16@1" };
    const QStringList sinDia = { "21@1", "", "21@1", "21@1", "" };
    const QStringList anual = { "31@1", "31@1", "", menor, "31@1" };
    const QStringList anualMensual = { "", "31@1", "29@1", menor, "31@1" };

    struct Fila
    {
        const char *nombres;
        int estado;
        const QStringList &periodos;
    };
    const Fila filas[] = {
        { "f010100", 19, mensual },
        { "f010200", 15, mensual },
        { "f030100", 5, diario },
        { "f030200", 8, diario },
        { "f030300 f030400 f030500", 9, diario },
        { "f030600 f030700 f030800", 12, diario },
        { "f030900", 9, diario },
        { "f031100", 10, diario },
        { "f031200", 9, diario },
        { "f031300", 10, diario },
        { "f031400", 8, diario },
        { "f031500", 12, diario },
        { "f031601", 6, diario },
        { "f031602", 8, diario },
        { "f031700", 19, diario },
        { "f031800 f032000 f032300 f032400 f032500", 5, diario },
        { "f031900", 16, diario },
        { "f040100", 10, mensual },
        { "f050100 f050200 f060100", 21, mensual },
        { "f050300 f050400", 8, sinDia },
        { "f070100", 36, anual },
        { "f070300", 15, anual },
        { "f070400", 11, anual },
        { "f090100", 22, mensual },
        { "f090200", 21, mensual },
        { "f100100", 6, anual },
        { "f100200", 8, anualMensual },
        { "f100300", 13, anual },
        { "f100400", 7, anual },
        { "f120100", 18, mensual },
        { "f130100", 26, mensual },
    };
    int total = 0;
    for (const Fila &f : filas) {
        for (const QString &nombre : QString::fromLatin1(f.nombres).split(QLatin1Char(' '))) {
            QTest::newRow(qPrintable(nombre)) << nombre << f.estado << f.periodos;
            ++total;
        }
    }
    QCOMPARE(total, 42);
}

void TestWithholdings::frameTable()
{
    QFETCH(QString, nombre);
    QFETCH(int, estado);
    QFETCH(QStringList, periodos);

    KovRules rules;
    const FuncionRegistro f = rules.getFuncionRegistro(nombre);
    QVERIFY(f);
    QCOMPARE(rules.getColumnaEstado(nombre), estado);

    // A line of exactly the state column's width, empty but for its period and state.
    const auto correr = [&](const QString &periodo, const QString &textoEstado, const QString &despues = QString()) {
        QStringList campos;
        for (int i = 0; i < estado; ++i)
            campos.append(QString());
        campos[0] = periodo;
        campos[estado - 1] = textoEstado;
        for (int i = 0; i < 3 && !despues.isNull(); ++i)
            campos.append(despues);
        QList<KovColumna> cols = registro(campos);
        ParametrosRegistro params = parametros(QStringLiteral("20240100"), rutaLibro(QStringLiteral("04")));
        return f(&cols, &params);
    };
    const auto enColumna1 = [](const KovRespuesta &resp) {
        KovRespuesta solo;
        for (const ErrorRespuesta &e : resp.getErrores()) {
            if (e.value(QStringLiteral("col")).toInt() != 1)
                continue;
            if (e.contains(QStringLiteral("des")))
                solo.addError(e.value(QStringLiteral("des")).toString(), 1);
            else
                solo.addError(e.value(QStringLiteral("cod")).toInt(), 1);
        }
        return errores(solo);
    };
    const QStringList probados = { "20240100", "20240115", "20240000", "20090000", "20240115" };
    for (int i = 0; i < probados.size(); ++i) {
        const QString textoEstado = i < 4 ? QStringLiteral("5") : QStringLiteral("1");
        QCOMPARE(enColumna1(correr(probados.at(i), textoEstado)), periodos.at(i));
    }

    // The state column is the last one read: fields after it change nothing.
    for (const QString &estadoProbado : { QStringLiteral("1"), QStringLiteral("5") }) {
        const KovRespuesta justa = correr(QStringLiteral("20240115"), estadoProbado);
        const KovRespuesta ancha = correr(QStringLiteral("20240115"), estadoProbado, QStringLiteral("0"));
        QCOMPARE(errores(ancha), errores(justa));
        QCOMPARE(nombres(ancha), nombres(justa));
        QCOMPARE(sumas(ancha), sumas(justa));
    }

    // The state is read from its column: "8" there counts under "cnt_reg_e8" (book 032300 counts nothing).
    const KovRespuesta ocho = correr(QStringLiteral("20231200"), QStringLiteral("8"));
    if (nombre == QLatin1String("f032300")) {
        QVERIFY(ocho.getAcumuladores().isEmpty());
    } else {
        QVERIFY2(sumas(ocho).contains(QStringLiteral("cnt_reg_e8=1")), qPrintable(sumas(ocho)));
        QVERIFY(!sumas(ocho).contains(QStringLiteral("cnt_reg_e1")));
    }
}

QTEST_GUILESS_MAIN(TestWithholdings)
#include "tst_withholdings.moc"
