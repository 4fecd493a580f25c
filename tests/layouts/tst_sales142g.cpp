// The general totals, box "100" and aggregates of the sales register 14.2, called directly on one record
// per case.
#include "sales142fixture.h"
#include "salesregisters.h"

#include <QtTest>

class TestSales142g : public QObject
{
    Q_OBJECT

private slots:
    void entryOrder();
    void totals_data();
    void totals();
    void flags_data();
    void flags();
};

// Every record names the same eleven keys, in the order the summary will list them.
void TestSales142g::entryOrder()
{
    QList<KovColumna> cols = registro142(QStringLiteral("23=1|24=1|15=2.50"));
    ParametrosRegistro p = parametros142(0, 0);
    QCOMPARE(entradas81(f140200g(&cols, &p).getAcumuladores()),
             QStringLiteral("cnt_error1=0.000; cnt_ind_cancel=0.000; cnt_error1=1.000; cnt_ind_cancel=1.000; "
                            "mto_bi_og=0.000; mto_igv=0.000; mto_otros=0.000; mto_imp=0.000; "
                            "mto_bi_og=100.000; mto_igv=18.000; mto_otros=2.500; mto_imp=118.000; "
                            "cnt_reg_e0=0.000; cnt_reg_e1=0.000; cnt_reg_e2=0.000; cnt_reg_e8=0.000; "
                            "cnt_reg_e9=0.000; cnt_reg_e1=1.000"));

    QList<KovColumna> otro = registro142(QStringLiteral("25=5"));
    QCOMPARE(nombres(f140200g(&otro, &p)), nombres(f140200g(&cols, &p)));
}

void TestSales142g::totals_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("sumas");
    QTest::addColumn<QString>("casillas");
    QTest::addColumn<QString>("agregados");

    QTest::newRow("state 1 invoice") << "" << "mto_bi_og=100; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                     << "100=100.000" << "cdp_cnt_01_1=1.000; cdp_mto_01_1=118.000";
    QTest::newRow("state 1, negative base") << "13=-50.00"
                                            << "mto_bi_og=-50; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                            << "100=-50.000" << "cdp_cnt_01_1=1.000; cdp_mto_01_1=118.000";
    QTest::newRow("state 1, amounts not numbers") << "13=abc|14=|16=1,5" << "cnt_reg_e1=1" << "100=0.000"
                                                  << "cdp_cnt_01_1=1.000; cdp_mto_01_1=0.000";
    QTest::newRow("state 0") << "25=0|6=00" << "cnt_reg_e0=1" << ""
                             << "cdp_cnt_00_0=1.000; cdp_mto_00_0=118.000";
    QTest::newRow("state 2") << "25=2" << "cnt_reg_e2=1" << "" << "cdp_cnt_01_2=1.000; cdp_mto_01_2=118.000";
    QTest::newRow("state 8") << "25=8|1=20190100" << "cnt_reg_e8=1" << ""
                             << "cdp_cnt_01_8=1.000; cdp_mto_01_8=118.000";
    QTest::newRow("state 9") << "25=9|1=20190100" << "cnt_reg_e9=1" << ""
                             << "cdp_cnt_01_9=1.000; cdp_mto_01_9=118.000";
    QTest::newRow("state 5 counts nowhere") << "25=5" << "" << "" << "cdp_cnt_01_5=1.000; cdp_mto_01_5=118.000";
    QTest::newRow("state 01 counts nowhere") << "25=01" << "" << ""
                                             << "cdp_cnt_01_01=1.000; cdp_mto_01_01=118.000";
    QTest::newRow("empty state") << "25=" << "" << "" << "cdp_cnt_01_=1.000; cdp_mto_01_=118.000";
    QTest::newRow("empty type") << "6=" << "mto_bi_og=100; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                << "100=100.000" << "cdp_cnt__1=1.000; cdp_mto__1=118.000";
    QTest::newRow("type 1 is not 01") << "6=1" << "mto_bi_og=100; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                      << "100=100.000" << "cdp_cnt_1_1=1.000; cdp_mto_1_1=118.000";
    QTest::newRow("credit note 07") << "6=07|13=150.00|16=59.00"
                                    << "mto_bi_og=150; mto_igv=18; mto_imp=59; cnt_reg_e1=1" << "100=-150.000"
                                    << "cdp_cnt_07_1=1.000; cdp_mto_07_1=59.000";
    QTest::newRow("credit note 07 written negative") << "6=07|13=-150.00|16=-59.00"
                                                     << "mto_bi_og=-150; mto_igv=18; mto_imp=-59; cnt_reg_e1=1"
                                                     << "100=-150.000"
                                                     << "cdp_cnt_07_1=1.000; cdp_mto_07_1=-59.000";
    QTest::newRow("credit note 87") << "6=87|13=150.00" << "mto_bi_og=150; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                    << "100=-150.000" << "cdp_cnt_87_1=1.000; cdp_mto_87_1=118.000";
    QTest::newRow("credit note of zero") << "6=07|13=0.00" << "mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                         << "100=0.000" << "cdp_cnt_07_1=1.000; cdp_mto_07_1=118.000";
    QTest::newRow("debit note 08 as written") << "6=08|13=150.00"
                                              << "mto_bi_og=150; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                              << "100=150.000" << "cdp_cnt_08_1=1.000; cdp_mto_08_1=118.000";
    QTest::newRow("debit note 88 as written") << "6=88|13=-150.00"
                                              << "mto_bi_og=-150; mto_igv=18; mto_imp=118; cnt_reg_e1=1"
                                              << "100=-150.000" << "cdp_cnt_88_1=1.000; cdp_mto_88_1=118.000";
    QTest::newRow("record with errors keeps its totals") << "1=20190200|23=1|24=7"
                                                         << "cnt_error1=1; mto_bi_og=100; mto_igv=18; "
                                                            "mto_imp=118; cnt_reg_e1=1"
                                                         << "100=100.000"
                                                         << "cdp_cnt_01_1=1.000; cdp_mto_01_1=118.000";
}

void TestSales142g::totals()
{
    QFETCH(QString, cambios);
    QFETCH(QString, sumas);
    QFETCH(QString, casillas);
    QFETCH(QString, agregados);
    QList<KovColumna> cols = registro142(cambios);
    ParametrosRegistro p = parametros142(1, 1);
    const KovRespuesta r = f140200g(&cols, &p);
    QCOMPARE(::sumas(r), sumas);
    QCOMPARE(entradas81(r.getCasillas()), casillas);
    QCOMPARE(entradas81(r.getAgregados()), agregados);
    QCOMPARE(r.getTotalLineDetail(), 1);
    QVERIFY(!r.hasPerAcumuladores());
    QCOMPARE(r.getNumeroEstado7(), 0);
}

// Only the value 1 switches the box or the detail on; -1 stands for a parameter the request left out.
void TestSales142g::flags_data()
{
    QTest::addColumn<int>("qvr");
    QTest::addColumn<int>("detalle");
    QTest::addColumn<int>("casillas");
    QTest::addColumn<int>("agregados");

    QTest::newRow("both on") << 1 << 1 << 1 << 2;
    QTest::newRow("box only") << 1 << 0 << 1 << 0;
    QTest::newRow("detail only") << 0 << 1 << 0 << 2;
    QTest::newRow("2 is off") << 2 << 2 << 0 << 0;
    QTest::newRow("negative is off") << -5 << -5 << 0 << 0;
    QTest::newRow("absent is off") << -1 << -1 << 0 << 0;
}

void TestSales142g::flags()
{
    QFETCH(int, qvr);
    QFETCH(int, detalle);
    QFETCH(int, casillas);
    QFETCH(int, agregados);
    QList<KovColumna> cols = registro142(QString());
    ParametrosRegistro p = parametros142(qvr, detalle);
    if (qvr == -1)
        p.remove(QStringLiteral("generateQVR"));
    if (detalle == -1)
        p.remove(QStringLiteral("generateDetail"));
    const KovRespuesta r = f140200g(&cols, &p);
    QCOMPARE(r.getCasillas().size(), casillas);
    QCOMPARE(r.getAgregados().size(), agregados);
    QCOMPARE(r.getTotalLineDetail(), agregados / 2);
}

QTEST_APPLESS_MAIN(TestSales142g)
#include "tst_sales142g.moc"
