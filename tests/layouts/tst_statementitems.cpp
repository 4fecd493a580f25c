// Statement items of book 03: the item-code rule, the section totals chosen by code lists, the items books'
// state-1 total, and book 032300's bare period checks.

#include "generalbooks.h"
#include "generalfixture.h"

#include <QtTest>

namespace {

// 29 February 2024; the test file name's opportunity code "04" asks for a month's last day.
const QString periodoLibro = QStringLiteral("20240229");
const QString balance = QStringLiteral("20240229|01|1D020T|1500.00|1");
const QString flujo = QStringLiteral("20240229|01|3D02ST|-200.00|1");
const QString resultados = QStringLiteral("20240229|01|2E2101|300.00|1");
const QString rubro = QStringLiteral("20240229|x|y|75.00|1");

} // namespace

class TestStatementItems : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void summaryOrder_data();
    void summaryOrder();
    void periodChecksOnly_data();
    void periodChecksOnly();
};

void TestStatementItems::record_data()
{
    columnasCaso();

    const auto b = [](const char *c, const char *codigo = "04") -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f030100"), balance, periodoLibro, QLatin1String(codigo));
    };
    b("030100 asset") << "" << "" << "mto_activo_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_activo_t=1500"
                      << "0/0";
    b("030100 liability") << "3=1F3101" << ""
                          << "mto_pasivo_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_pasivo_t=1500" << "0/0";
    b("030100 equity of a state 8 record") << "1=20240131|3=1T07ST|4=-5.00|5=8" << ""
                                           << "mto_patrimonio_t1=-5; mto_total_t=-5; cnt_reg_e8=1; "
                                              "mto_patrimonio_t=-5"
                                           << "0/0";
    b("030100 code of another statement") << "3=2D07ST" << "29@3" << "mto_total_t=1500; cnt_reg_e1=1" << "0/0";
    b("030100 empty code") << "3=" << "29@3" << "mto_total_t=1500; cnt_reg_e1=1" << "0/0";
    b("030100 other column 2") << "2=02|3=2D07ST" << "" << "mto_total_t=1500; cnt_reg_e1=1" << "0/0";
    b("030100 column 2 of one digit") << "2=1|3=" << "" << "mto_total_t=1500; cnt_reg_e1=1" << "0/0";
    b("030100 lower case") << "3=1d020t" << "" << "mto_total_t=1500; cnt_reg_e1=1" << "0/0";
    b("030100 amount not a number") << "4=abc" << "" << "cnt_reg_e1=1" << "0/0";
    b("030100 opportunity broken", "01") << "" << "27@1"
                                         << "mto_activo_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_activo_t=1500"
                                         << "0/0";
    b("030100 failed period, no opportunity", "01") << "1=20240228|3=" << "16@1; 29@3"
                                                    << "mto_total_t=1500; cnt_reg_e1=1" << "0/0";
    b("030100 month period") << "1=20240200" << "21@1"
                             << "mto_activo_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_activo_t=1500" << "0/0";

    const auto f = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f031800"), flujo, periodoLibro);
    };
    f("031800 investing") << "" << "" << "mto_total_t=-200; cnt_reg_e1=1; mto_ctas_ivers=-200" << "0/0";
    f("031800 operating") << "3=3I01ST" << "" << "mto_total_t=-200; cnt_reg_e1=1; mto_ctas_oper=-200" << "0/0";
    f("031800 financing") << "3=3I02ST" << "" << "mto_total_t=-200; cnt_reg_e1=1; mto_ctas_financ=-200" << "0/0";
    f("031800 code of the balance sheet") << "3=1D020T" << "29@3" << "mto_total_t=-200; cnt_reg_e1=1" << "0/0";
    f("031800 empty code") << "3=" << "29@3" << "mto_total_t=-200; cnt_reg_e1=1" << "0/0";
    f("031800 state 9") << "1=20240131|5=9" << "" << "mto_total_t=-200; cnt_reg_e9=1; mto_ctas_ivers=-200"
                        << "0/0";

    const auto r = [](const char *c) -> QTestData & {
        return caso(QLatin1String(c), QStringLiteral("f032000"), resultados, periodoLibro);
    };
    r("032000 net profit") << "" << "" << "mto_total_t=300; cnt_reg_e1=1; mto_utilidad_neta=300" << "0/0";
    r("032000 code in no list") << "3=2X" << "" << "mto_total_t=300; cnt_reg_e1=1" << "0/0";
    r("032000 code of another statement") << "3=1E" << "29@3" << "mto_total_t=300; cnt_reg_e1=1" << "0/0";
    r("032000 empty code") << "3=" << "29@3" << "mto_total_t=300; cnt_reg_e1=1" << "0/0";

    // Every code of every list feeds its section's totals, and those only.
    struct Lista
    {
        const char *nombre;
        const QString &base;
        const char *codigos;
        const char *sumas;
    };
    const Lista listas[] = {
        { "f030100", balance, "1D020T 1F2001 1E02ST 1C020T 1I020T 1T020T",
          "mto_activo_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_activo_t=1500" },
        { "f030100", balance, "1D040T 1F3101 1E0501 1C040T 1I040T 1T050T",
          "mto_pasivo_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_pasivo_t=1500" },
        { "f030100", balance, "1D07ST 1F3306 1E0901 1C07ST 1I07ST 1T07ST",
          "mto_patrimonio_t1=1500; mto_total_t=1500; cnt_reg_e1=1; mto_patrimonio_t=1500" },
        { "f031800", flujo, "3D01ST 3F0501 3E0301 3C01ST 3I01ST", "mto_total_t=-200; cnt_reg_e1=1; mto_ctas_oper=-200" },
        { "f031800", flujo, "3D02ST 3F0701 3E0408 3C02ST", "mto_total_t=-200; cnt_reg_e1=1; mto_ctas_ivers=-200" },
        { "f031800", flujo, "3D03ST 3F0901 3E0507 3C03ST 3I02ST",
          "mto_total_t=-200; cnt_reg_e1=1; mto_ctas_financ=-200" },
        { "f032000", resultados, "2D07ST 2F1901 2E2101 2C07ST 2I06ST 2T05ST",
          "mto_total_t=300; cnt_reg_e1=1; mto_utilidad_neta=300" },
    };
    for (const Lista &l : listas) {
        const QString n = QLatin1String(l.nombre);
        for (const QString &codigo : QString::fromLatin1(l.codigos).split(QLatin1Char(' '))) {
            caso(n + QStringLiteral(" code ") + codigo, n, l.base, periodoLibro)
                << QStringLiteral("3=") + codigo << "" << QString::fromLatin1(l.sumas) << "0/0";
        }
    }

    for (const char *nombre : { "f032400", "f032500" }) {
        const QString n = QLatin1String(nombre);
        const auto i = [&n](const char *c) -> QTestData & {
            return caso(n + QLatin1Char(' ') + QLatin1String(c), n, rubro, periodoLibro);
        };
        i("state 1") << "" << "" << "mto_rubro=75; cnt_reg_e1=1" << "0/0";
        i("state 8") << "1=20240131|5=8" << "" << "cnt_reg_e8=1" << "0/0";
        // "01" is state 1 to the period rule only.
        i("state 01") << "5=01" << "" << "" << "0/0";
        i("failed period keeps the amount") << "1=20240228" << "16@1" << "mto_rubro=75; cnt_reg_e1=1" << "0/0";
    }
}

void TestStatementItems::record()
{
    comprobarCaso();
}

void TestStatementItems::summaryOrder_data()
{
    columnasOrden();
    QTest::newRow("030100") << "f030100" << balance << periodoLibro
                            << "mto_activo_t1,mto_pasivo_t1,mto_patrimonio_t1,mto_total_t,cnt_reg_e1,cnt_reg_e8,"
                               "cnt_reg_e9,mto_activo_t,mto_pasivo_t,mto_patrimonio_t";
    QTest::newRow("031800") << "f031800" << flujo << periodoLibro
                            << "mto_total_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_ctas_oper,mto_ctas_ivers,"
                               "mto_ctas_financ";
    QTest::newRow("032000") << "f032000" << resultados << periodoLibro
                            << "mto_total_t,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9,mto_utilidad_neta";
    QTest::newRow("032400") << "f032400" << rubro << periodoLibro << "mto_rubro,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
    QTest::newRow("032500") << "f032500" << rubro << periodoLibro << "mto_rubro,cnt_reg_e1,cnt_reg_e8,cnt_reg_e9";
}

void TestStatementItems::summaryOrder()
{
    comprobarOrden();
}

void TestStatementItems::periodChecksOnly_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("errores");

    QTest::newRow("passes") << "" << "04" << "";
    QTest::newRow("anything in the other columns") << "2=01|3=|4=0" << "04" << "";
    QTest::newRow("opportunity broken") << "" << "01" << "27@1";
    QTest::newRow("failed period, no opportunity") << "1=20240228" << "01" << "16@1";
    QTest::newRow("state 8 of the book's own day") << "5=8" << "04" << "17@1";
}

void TestStatementItems::periodChecksOnly()
{
    QFETCH(QString, cambios);
    QFETCH(QString, codigo);
    QFETCH(QString, errores);

    QVERIFY(KovRules().getFuncionRegistro(QStringLiteral("f032300")) == &f032300);
    const KovRespuesta resp = validarLinea(QStringLiteral("f032300"), rubro, cambios, periodoLibro, rutaLibro(codigo));
    QCOMPARE(::errores(resp), errores);
    QVERIFY(resp.getAcumuladores().isEmpty());
    QCOMPARE(resp.getTotalLineDetail(), 0);
}

QTEST_GUILESS_MAIN(TestStatementItems)
#include "tst_statementitems.moc"
