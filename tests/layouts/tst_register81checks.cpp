#include "kovrules.h"
#include "purchaseregisters.h"
#include "register81fixture.h"

#include <QtTest>

namespace {

const QString kEstadoMal = QStringLiteral("666@41:Indicador del estado es incorrecto");
const QString kMesInformado =
    QStringLiteral("666@5:La fecha debe ser menor o igual al mes siguiente del periodo informado");
const QString kMesCampo1 =
    QStringLiteral("666@5:La fecha debe ser menor o igual al mes siguiente del periodo señalado en el campo 1");
const QString kEmision1 = QStringLiteral("666@4:Fecha de emisión debe corresponder al periodo (Estado 1).");
const QString kEmision5 =
    QStringLiteral("666@4:Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 5).");
const QString kEmision6 =
    QStringLiteral("666@4:Fecha de emisión está fuera de los doce meses anteriores al periodo (Estado 6).");
const QString kEmision7 =
    QStringLiteral("666@4:Fecha de emisión debe ser menor a los doce meses anteriores al periodo (Estado 7).");
const QString kDuaMinimo = QStringLiteral("666@8:El año de emisión de la DUA debe ser mayor a 1981");
const QString kDuaPeriodo = QStringLiteral("666@8:El año DUA debe ser menor o igual al año del periodo informado.");
const QString kTipoEstado = QStringLiteral("666@6:No puede consignar este tipo de comprobante para el estado");
const QString kSubLibro =
    QStringLiteral("666@6:No puede consignar este tipo de comprobante para el sub libro seleccionado");

// A voucher of type 07 that names a clean referenced invoice.
const QString kNotaCredito = QStringLiteral("6=07|26=10/03/2020|27=01|28=F001|30=100|");

QString une(const QStringList &partes)
{
    return partes.join(QStringLiteral("; "));
}

} // namespace

// The record checks of the main purchase register, which both variants make alike.
class TestRegister81Checks : public QObject
{
    Q_OBJECT

private slots:
    void hallazgos_data();
    void hallazgos();
    void listas();
    void estado7();
    void agregados_data();
    void agregados();
    void columnasSinLeer();
    void registroIncompleto_data();
    void registroIncompleto();
    void registrados();
};

void TestRegister81Checks::hallazgos_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<QString>("esperados");

    const QString marzo = QStringLiteral("20200300");
    QTest::newRow("clean record") << "" << marzo << "";

    // State and period.
    QTest::newRow("state 8 refused, checks go on")
        << "41=8|31=xx" << marzo << une({kEstadoMal, "13@31", kTipoEstado});
    QTest::newRow("state 5 refused") << "41=5" << marzo << kEstadoMal;
    QTest::newRow("state 5 with a period of another month")
        << "41=5|1=20200200" << marzo << une({kEstadoMal, "23@1", kEmision5});
    QTest::newRow("state 07 is no state 7") << "41=07" << marzo << kEmision7;
    QTest::newRow("state 9 needs an earlier period") << "41=9" << marzo << "18@1";
    QTest::newRow("state 9 of an earlier period")
        << "41=9|1=20200100|4=15/01/2020" << marzo << "";
    QTest::newRow("period of another month, state 1")
        << "1=20200200" << marzo << une({"16@1", "666@4:Fecha de emisión debe corresponder al periodo (Estado 1)."});
    QTest::newRow("period of another month, state 0") << "41=0|1=20200400|4=15/04/2020" << marzo << "55@1";
    QTest::newRow("period of another month, state 6") << "41=6|1=20200400|4=15/03/2020" << marzo << "56@1";
    QTest::newRow("period of another month, state 7") << "41=7|1=20200400|4=15/01/2018" << marzo << "57@1";
    QTest::newRow("state that is no number reads 0") << "41=X|1=20200400" << marzo << "55@1";
    QTest::newRow("period month 13") << "1=20201300" << marzo << une({"41@1", kEmision1});
    QTest::newRow("period with a day") << "1=20200315" << marzo << "20@1";
    QTest::newRow("period year 1901") << "1=19010300" << marzo << une({"38@1", kEmision1});
    QTest::newRow("missing book period") << "" << "" << "16@1";

    // Dates against the record period.
    QTest::newRow("issue date not a date") << "4=31/02/2020" << marzo << une({"13@4", kEmision1});
    QTest::newRow("issue date of the next month") << "4=01/04/2020" << marzo << une({"19@4", kEmision1});
    QTest::newRow("issue date, state 6 in the period")
        << "41=6" << marzo << kEmision6;
    QTest::newRow("type 14 without column 5") << "6=14|5=" << marzo << "25@5";
    QTest::newRow("type 14 with the empty date") << "6=14|5=01/01/0001" << marzo << "25@5";
    QTest::newRow("type 14 without column 5, period refused")
        << "6=14|5=|1=20200200|4=15/02/2020" << marzo << une({"16@1", "25@5"});
    QTest::newRow("type 14, column 5 in the next month") << "6=14|5=30/04/2020" << marzo << "";
    QTest::newRow("column 5 not a date") << "5=xx" << marzo << une({"13@5", kMesInformado, "13@5", kMesCampo1});
    QTest::newRow("column 5 two months on") << "5=01/05/2020" << marzo << une({kMesInformado, kMesCampo1});
    QTest::newRow("column 5 empty date on another type") << "5=01/01/0001" << marzo << "";
    QTest::newRow("column 5 after the month after the record period")
        << "41=9|1=20200100|4=15/01/2020|5=15/03/2020" << marzo << kMesCampo1;
    QTest::newRow("column 5 not judged when the period is refused")
        << "1=20200200|4=15/02/2020|5=xx" << marzo << "16@1";
    QTest::newRow("column 5 of blanks on another type") << "5=   " << marzo << "";
    QTest::newRow("column 31 of blanks is tested") << "31= " << marzo << "13@31";
    QTest::newRow("date checks in order, period accepted")
        << "6=14|4=xx|5=xx|31=xx" << marzo
        << une({"13@4", "13@5", kMesInformado, "13@5", kMesCampo1, "13@31", kEmision1});
    QTest::newRow("date checks in order, period refused")
        << "6=14|5=|31=xx|1=20200200|4=15/02/2020" << marzo << une({"16@1", "25@5", "13@31"});
    QTest::newRow("column 26 required for type 07")
        << kNotaCredito + "26=" << marzo << "25@26";
    QTest::newRow("column 26 empty date for type 88")
        << kNotaCredito + "6=88|26=01/01/0001" << marzo << "25@26";
    QTest::newRow("column 26 of the next month") << kNotaCredito + "26=01/04/2020" << marzo << "19@26";
    QTest::newRow("column 26 not read for type 01") << "26=xx" << marzo << "";
    QTest::newRow("column 31 not a date") << "31=xx" << marzo << "13@31";
    QTest::newRow("column 31 two months on") << "31=01/05/2020" << marzo << "45@31";
    QTest::newRow("column 31 in the next month") << "31=30/04/2020" << marzo << "";
    QTest::newRow("column 26 before 31 with the period accepted")
        << kNotaCredito + "26=|31=xx" << marzo << une({"25@26", "13@31"});
    QTest::newRow("column 31 before 26 with the period refused")
        << kNotaCredito + "26=|31=xx|1=20200200|4=15/02/2020" << marzo << une({"16@1", "13@31", "25@26"});

    // Voucher type, series and number.
    QTest::newRow("type outside the sub-book") << "6=09|10=5" << marzo << une({kSubLibro, "5@10"});
    QTest::newRow("second number on an invoice") << "10=0" << marzo << "5@10";
    QTest::newRow("type 12, no second number") << "6=12" << marzo << "";
    QTest::newRow("type 12, second number judged by the voucher rule")
        << "6=12|10=-5" << marzo << une({"36@10", "5@10"});
    QTest::newRow("type 12, second number") << "6=12|10=77" << marzo << "";
    QTest::newRow("type 12, first call failed: no second call")
        << "6=12|7=|10=-5" << marzo << une({"51@7", "36@10"});
    QTest::newRow("DUA year 1981") << "6=50|7=118|8=1981" << marzo << kDuaMinimo;
    QTest::newRow("DUA year 1982") << "6=50|7=118|8=1982" << marzo << "";
    QTest::newRow("DUA year of the period") << "6=50|7=118|8=2020" << marzo << "";
    QTest::newRow("DUA year after the period") << "6=50|7=118|8=2021" << marzo << kDuaPeriodo;
    QTest::newRow("DUA year empty") << "6=50|7=118|8=" << marzo << kDuaMinimo;
    QTest::newRow("DUA year letters") << "6=50|7=118|8=AB" << marzo << kDuaMinimo;
    QTest::newRow("DUA takes no second number") << "6=50|7=118|8=2020|10=1" << marzo << "5@10";
    QTest::newRow("DUA year after the record period")
        << "41=9|1=20191200|4=15/12/2019|6=52|7=118|8=2020" << marzo << kDuaPeriodo;
    QTest::newRow("DUA year without a book period")
        << "6=50|7=118|8=2020" << "" << une({"16@1", kDuaPeriodo});
    QTest::newRow("type 51 has no DUA year rule") << "6=51|7=118|8=1900" << marzo << "";

    // Supplier document.
    QTest::newRow("supplier missing") << "11=|12=|13=" << marzo << une({"25@11", "25@12", "25@13"});
    QTest::newRow("supplier number a dash") << "12=-" << marzo << une({"25@12", "34@12"});
    QTest::newRow("supplier type missing") << "11=|12=12345678" << marzo << "25@11";
    QTest::newRow("supplier type a dash is present") << "11=-|12=-" << marzo << "25@12";
    QTest::newRow("supplier name a dash") << "13=-" << marzo << "25@13";
    QTest::newRow("bad taxpayer number") << "12=20100070971" << marzo << "34@12";
    QTest::newRow("optional supplier left out") << "6=12|11=|12=|13=" << marzo << "";
    QTest::newRow("optional supplier checked when given") << "6=12|11=1|12=1234567|13=" << marzo << "53@12";

    // Signs of the taxes, exchange rate.
    QTest::newRow("negative base, positive tax") << "14=-100.00|15=18.00" << marzo << "30@15";
    QTest::newRow("positive base, negative tax") << "15=-18.00" << marzo << "28@15";
    QTest::newRow("zero base, negative tax") << "16=0.00|17=-1.00" << marzo << "28@17";
    QTest::newRow("negative base, zero tax") << "18=-5.00|19=0.00" << marzo << "";
    QTest::newRow("base not a number") << "18=abc|19=-1" << marzo << "28@19";
    // A base that reads 0 (nan, inf, out of range) takes the rule of positive bases.
    QTest::newRow("base nan reads 0") << "14=nan|15=-1" << marzo << "28@15";
    QTest::newRow("base NaN reads 0") << "16=NaN|17=-5" << marzo << "28@17";
    QTest::newRow("base -inf reads 0") << "18=-inf|19=1" << marzo << "";
    QTest::newRow("base -inf reads 0, negative tax") << "18=-inf|19=-1" << marzo << "28@19";
    QTest::newRow("base inf reads 0") << "14=inf|15=-1" << marzo << "28@15";
    QTest::newRow("base -1e-400 reads 0") << "16=-1e-400|17=-1" << marzo << "28@17";
    QTest::newRow("every pair wrong")
        << "14=-1|15=1|16=1|17=-1|18=-1|19=1" << marzo << une({"30@15", "28@17", "30@19"});
    QTest::newRow("no exchange rate") << "25=|24=USD" << marzo << "";
    QTest::newRow("negative exchange rate") << "25=-3.5" << marzo << "37@25";
    QTest::newRow("zero exchange rate") << "25=0.000" << marzo << "";

    // Referenced voucher and columns 29, 32, 33.
    QTest::newRow("credit note, clean") << kNotaCredito << marzo << "";
    QTest::newRow("credit note without a reference")
        << kNotaCredito + "27=-|28=00|30=-" << marzo << une({"25@27", "25@28", "25@30"});
    QTest::newRow("credit note with a reference series 00")
        << kNotaCredito + "28=00" << marzo << une({"25@28", "4@28"});
    QTest::newRow("credit note with a reference of no type")
        << kNotaCredito + "27=XX" << marzo << "666@27:Tipo de comprobante no valido";
    QTest::newRow("reference DUA needs column 29") << "27=50|29=-" << marzo << "25@29";
    QTest::newRow("reference DUA with column 29") << "27=52|29=2019" << marzo << "";
    QTest::newRow("column 32 negative whole") << "32=-5" << marzo << "36@32";
    QTest::newRow("column 32 negative decimal") << "32=-5.00" << marzo << "";
    QTest::newRow("column 32 a dash") << "32=-" << marzo << "";
    QTest::newRow("column 33 is 1") << "33=1" << marzo << "";
    QTest::newRow("column 33 is 0") << "33=0" << marzo << "5@33";
    QTest::newRow("column 33 is 11") << "33=11" << marzo << "5@33";

    // Every phase reports, in phase order, whatever the earlier ones found.
    QTest::newRow("phases in order")
        << "41=8|10=1|11=|33=0|36=X" << marzo << une({kEstadoMal, kTipoEstado, "5@10", "25@11", "5@33", "5@36"});
}

void TestRegister81Checks::hallazgos()
{
    QFETCH(QString, cambios);
    QFETCH(QString, periodoLibro);
    QFETCH(QString, esperados);

    QList<KovColumna> cols = registro81(cambios);
    ParametrosRegistro parametros = parametros81(0, 0, periodoLibro);
    if (periodoLibro.isEmpty())
        parametros.remove(QStringLiteral("periodo"));
    const ParametrosRegistro antes = parametros;
    const KovRespuesta general = f080100g(&cols, &parametros);
    const KovRespuesta detallado = f080100d(&cols, &parametros);

    QCOMPARE(::errores(general), esperados);
    QCOMPARE(::errores(detallado), esperados);
    QCOMPARE(general.getNumErrores(), general.getErrores().size());
    QCOMPARE(parametros, antes);
}

// Every two-digit voucher type against the type lists of the record checks.
void TestRegister81Checks::listas()
{
    const QStringList opcional = {"00", "03", "05", "06", "07", "08", "11", "12", "13", "14", "15", "16", "18", "19",
                                  "22", "23", "26", "28", "30", "34", "35", "36", "37", "55", "56", "87", "88", "91",
                                  "97", "98"};
    const QStringList segundoNumero = {"00", "03", "05", "06", "07", "08", "11", "12", "13", "14", "15", "16", "18",
                                       "19", "23", "26", "28", "30", "34", "35", "36", "37", "55", "56", "87", "88"};
    const QStringList columna26 = {"07", "08", "87", "88", "97", "98"};
    const QStringList dua = {"50", "52"};
    ParametrosRegistro parametros = parametros81();
    for (int i = 0; i < 100; ++i) {
        const QString tipo = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        QList<KovColumna> cols = registro81(QStringLiteral("6=%1|8=1900|10=1|11=|12=|13=|26=").arg(tipo));
        for (FuncionRegistro f : {&f080100g, &f080100d}) {
            const QStringList hallados = ::errores(f(&cols, &parametros)).split(QStringLiteral("; "));
            QVERIFY2(hallados.contains(QStringLiteral("25@11")) != opcional.contains(tipo), qPrintable(tipo));
            QVERIFY2(hallados.contains(QStringLiteral("5@10")) != segundoNumero.contains(tipo), qPrintable(tipo));
            QVERIFY2(hallados.contains(QStringLiteral("25@26")) == columna26.contains(tipo), qPrintable(tipo));
            QVERIFY2(hallados.contains(kDuaMinimo) == dua.contains(tipo), qPrintable(tipo));
        }
    }
}

void TestRegister81Checks::estado7()
{
    ParametrosRegistro parametros = parametros81();
    QList<KovColumna> siete = registro81(QStringLiteral("41=7|4=15/01/2018"));
    QList<KovColumna> ceroSiete = registro81(QStringLiteral("41=07|4=15/01/2018"));
    QList<KovColumna> uno = registro81(QString());
    QCOMPARE(f080100g(&siete, &parametros).getNumeroEstado7(), 1);
    QCOMPARE(f080100d(&siete, &parametros).getNumeroEstado7(), 1);
    QCOMPARE(f080100d(&ceroSiete, &parametros).getNumeroEstado7(), 0);
    QCOMPARE(f080100g(&uno, &parametros).getNumeroEstado7(), 0);
}

void TestRegister81Checks::agregados_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QVariant>("detalle");
    QTest::addColumn<QString>("esperados");
    QTest::addColumn<int>("lineas");

    QTest::newRow("detail asked") << "" << QVariant(1) << "cdp_cnt_01_1=1.000; cdp_mto_01_1=118.000" << 1;
    QTest::newRow("detail not asked") << "" << QVariant(0) << "" << 0;
    QTest::newRow("detail 2") << "" << QVariant(2) << "" << 0;
    QTest::newRow("detail missing") << "" << QVariant() << "" << 0;
    QTest::newRow("state 8 record still counted")
        << "41=8" << QVariant(1) << "cdp_cnt_01_8=1.000; cdp_mto_01_8=118.000" << 1;
    QTest::newRow("failed voucher still counted")
        << "6=09|7=" << QVariant(1) << "cdp_cnt_09_1=1.000; cdp_mto_09_1=118.000" << 1;
    QTest::newRow("amount not a number") << "23=abc" << QVariant(1) << "cdp_cnt_01_1=1.000; cdp_mto_01_1=0.000" << 1;
    QTest::newRow("negative amount") << "23=-5.50" << QVariant(1) << "cdp_cnt_01_1=1.000; cdp_mto_01_1=-5.500" << 1;
    QTest::newRow("names as written") << "6=88|41=X" << QVariant(1) << "cdp_cnt_88_X=1.000; cdp_mto_88_X=118.000" << 1;
}

void TestRegister81Checks::agregados()
{
    QFETCH(QString, cambios);
    QFETCH(QVariant, detalle);
    QFETCH(QString, esperados);
    QFETCH(int, lineas);

    QList<KovColumna> cols = registro81(cambios);
    ParametrosRegistro parametros = parametros81();
    fijar81(&parametros, QStringLiteral("generateDetail"), detalle);
    for (FuncionRegistro f : {&f080100g, &f080100d}) {
        const KovRespuesta resp = f(&cols, &parametros);
        QCOMPARE(entradas81(resp.getAgregados()), esperados);
        QCOMPARE(resp.getTotalLineDetail(), lineas);
    }
    QCOMPARE(parametros.contains(QStringLiteral("generateDetail")), detalle.isValid());
}

void TestRegister81Checks::columnasSinLeer()
{
    ParametrosRegistro parametros = parametros81(1, 1);
    QList<KovColumna> base = registro81(QStringLiteral("6=07|26=|27=01|28=00"));
    QList<KovColumna> cambiado = registro81(QStringLiteral("6=07|26=|27=01|28=00|2=|3=x|34=-5|35=?|#=+4"));
    for (FuncionRegistro f : {&f080100g, &f080100d}) {
        const KovRespuesta a = f(&base, &parametros);
        const KovRespuesta b = f(&cambiado, &parametros);
        QCOMPARE(::errores(b), ::errores(a));
        QCOMPARE(entradas81(b.getAcumuladores()), entradas81(a.getAcumuladores()));
        QCOMPARE(entradas81(b.getCasillas()), entradas81(a.getCasillas()));
        QCOMPARE(entradas81(b.getAgregados()), entradas81(a.getAgregados()));
    }
    QCOMPARE(base.at(1).getData(), QStringLiteral("CUO-1"));

    // The general variant does not read the currency.
    QList<KovColumna> dolares = registro81(QStringLiteral("24=USD"));
    QList<KovColumna> soles = registro81(QString());
    const KovRespuesta a = f080100g(&soles, &parametros);
    const KovRespuesta b = f080100g(&dolares, &parametros);
    QCOMPARE(entradas81(b.getAcumuladores()), entradas81(a.getAcumuladores()));
    QCOMPARE(::errores(b), ::errores(a));
}

void TestRegister81Checks::registroIncompleto_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::newRow("ten columns") << "#=10";
    QTest::newRow("forty columns") << "#=40";
    QTest::newRow("no columns") << "#=0";
}

// The engine refuses such layouts; called anyway, the validators read missing columns as empty and never
// past the end of the list.
void TestRegister81Checks::registroIncompleto()
{
    QFETCH(QString, cambios);
    QList<KovColumna> cols = registro81(cambios);
    ParametrosRegistro parametros = parametros81(1, 1);
    const KovRespuesta general = f080100g(&cols, &parametros);
    const KovRespuesta detallado = f080100d(&cols, &parametros);
    QCOMPARE(::errores(detallado), ::errores(general));
    QVERIFY(f080100g(nullptr, nullptr).getNumErrores() > 0);
    QVERIFY(f080100d(nullptr, nullptr).getNumErrores() > 0);
}

void TestRegister81Checks::registrados()
{
    KovRules rules;
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f080100g")) == &f080100g);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("f080100d")) == &f080100d);
    QVERIFY(rules.getFuncionRegistro(QStringLiteral("F080100G")) == nullptr);
    QCOMPARE(rules.getColumnaEstado(QStringLiteral("f080100d")), 41);
}

QTEST_APPLESS_MAIN(TestRegister81Checks)
#include "tst_register81checks.moc"
