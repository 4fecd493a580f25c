// The record checks of the sales register 14.2, which both variants make alike: one record per case, called
// directly, every finding stated exactly (code@column, worded findings with their text) in the order made.
#include "kovrules.h"
#include "sales142fixture.h"
#include "salesregisters.h"

#include <QtTest>

namespace {

const char kMesInformado[] = "666@5:La fecha debe ser menor o igual al mes siguiente del periodo informado";
const char kMesCampo1[] = "666@5:La fecha debe ser menor o igual al mes siguiente del periodo señalado en el campo 1";
const char kInformado19[] = "666@19:La fecha debe ser menor o igual al periodo informado";
const char kCampo1_19[] = "666@19:La fecha debe ser menor o igual al periodo señalado en el campo 1";
const char kSubLibro[] = "666@6:No puede consignar este tipo de comprobante para el sub libro seleccionado";

QString une(std::initializer_list<const char *> partes)
{
    QStringList l;
    for (const char *p : partes)
        l.append(QString::fromUtf8(p));
    return l.join(QStringLiteral("; "));
}

// A credit note in March 2019 that names a sound modified invoice.
const QString kNota = QStringLiteral("6=07|19=10/03/2019|20=01|21=F001|22=100");

QString nota(const QString &mas)
{
    return kNota + QLatin1Char('|') + mas;
}

const FuncionRegistro kVariantes[] = {f140200g, f140200d};

} // namespace

class TestSales142Checks : public QObject
{
    Q_OBJECT

private slots:
    void registered();
    void findings_data();
    void findings();
    void typeLists_data();
    void typeLists();
    void shortRecordAndNoParameters();
};

void TestSales142Checks::registered()
{
    KovRules reglas;
    QVERIFY(reglas.getFuncionRegistro(QStringLiteral("f140200g")) == &f140200g);
    QVERIFY(reglas.getFuncionRegistro(QStringLiteral("f140200d")) == &f140200d);
    QCOMPARE(reglas.getColumnaEstado(QStringLiteral("f140200g")), 25);
    QCOMPARE(reglas.getColumnaEstado(QStringLiteral("f140200d")), 25);
}

void TestSales142Checks::findings_data()
{
    QTest::addColumn<QString>("cambios");
    QTest::addColumn<QString>("periodoLibro");
    QTest::addColumn<QString>("esperado");

    const QString marzo = QStringLiteral("20190300");
    QTest::newRow("sound invoice") << "" << marzo << "";
    QTest::newRow("sound credit note") << kNota << marzo << "";

    // "RER" regime.
    QTest::newRow("RER, M") << "2=RER|3=MYPE" << marzo << "";
    QTest::newRow("RER, lower-case m") << "2=RER|3=mype" << marzo << "";
    QTest::newRow("RER, other letter") << "2=RER|3=X" << marzo << "29@3";
    QTest::newRow("RER, empty") << "2=RER|3=" << marzo << "29@3";
    QTest::newRow("rer in lower case is no regime") << "2=rer|3=X" << marzo << "";

    // A refused period leaves only the presence duties.
    QTest::newRow("period refused, column 4 empty") << "1=20190200|4=" << marzo << "16@1; 25@4";
    QTest::newRow("period refused, column 4 no date") << "1=20190200|4=xx" << marzo << "16@1";
    QTest::newRow("period refused, column 4 late") << "1=20190200|4=01/06/2019" << marzo << "16@1";
    QTest::newRow("period refused, type 14 without column 5")
        << "1=20190200|6=14|5=" << marzo << une({"16@1", "25@5", kSubLibro});
    QTest::newRow("period refused, column 5 late not dated") << "1=20190200|5=01/09/2019" << marzo << "16@1";
    QTest::newRow("period refused, credit note date empty marker")
        << nota("1=20190200|19=01/01/0001") << marzo << "16@1; 25@19";
    QTest::newRow("period refused, credit note date late") << nota("1=20190200|19=01/01/2030") << marzo << "16@1";
    QTest::newRow("period malformed") << "1=20191300" << marzo << "41@1";
    QTest::newRow("state 02 is state 2 for the period") << "25=02|1=20190200" << marzo << "23@1";
    QTest::newRow("state 02 is not state 2 for column 4") << "25=02|4=" << marzo << "25@4";
    QTest::newRow("state 8 of an earlier period") << "25=8|1=20190100|4=15/01/2019" << marzo << "";
    QTest::newRow("state 8 of the book's period") << "25=8" << marzo << "17@1";
    QTest::newRow("period with a day part") << "1=20190315|4=01/06/2019" << marzo << "20@1";

    // Column 4.
    QTest::newRow("column 4 empty marker") << "4=01/01/0001" << marzo << "25@4";
    QTest::newRow("column 4 end of month") << "4=31/03/2019" << marzo << "";
    QTest::newRow("column 4 next month") << "4=01/04/2019" << marzo << "19@4";
    QTest::newRow("column 4 no date") << "4=31/02/2019" << marzo << "13@4";
    QTest::newRow("state 8: column 4 dated by its own period, not the book's")
        << "25=8|1=20190100|4=15/03/2019" << marzo << "19@4";
    QTest::newRow("state 2: columns 4, 5 and 19 free")
        << "25=2|4=|6=07|19=|20=|21=|22=" << marzo << "";
    QTest::newRow("state 2 with type 14: column 5 free") << "25=2|6=14|5=" << marzo << kSubLibro;
    QTest::newRow("state 2: a given column 5 is still dated") << "25=2|5=01/05/2019" << marzo
                                                             << une({kMesInformado, kMesCampo1});
    QTest::newRow("state not a number: form only, duties apply") << "25=X|4=" << marzo << "25@4";

    // Column 5.
    QTest::newRow("column 5 next month") << "5=30/04/2019" << marzo << "";
    QTest::newRow("column 5 two months on") << "5=01/05/2019" << marzo << une({kMesInformado, kMesCampo1});
    QTest::newRow("column 5 December into January")
        << "1=20191200|4=15/12/2019|5=31/01/2020" << "20191200" << "";
    QTest::newRow("column 5 December into February")
        << "1=20191200|4=15/12/2019|5=01/02/2020" << "20191200" << une({kMesInformado, kMesCampo1});
    QTest::newRow("column 5 against an earlier record period")
        << "25=8|1=20190100|4=15/01/2019|5=15/03/2019" << marzo << une({kMesCampo1});
    QTest::newRow("column 5 no date") << "5=31/02/2019" << marzo
                                      << une({"13@5", kMesInformado, "13@5", kMesCampo1});
    QTest::newRow("type 14, column 5 empty marker") << "6=14|5=01/01/0001" << marzo << une({"25@5", kSubLibro});
    QTest::newRow("type 14, column 5 late") << "6=14|5=01/05/2019" << marzo
                                            << une({kMesInformado, kMesCampo1, kSubLibro});

    // Column 19.
    QTest::newRow("credit note without date") << nota("19=") << marzo << "25@19";
    QTest::newRow("credit note date empty marker") << nota("19=01/01/0001") << marzo << "25@19";
    QTest::newRow("credit note dated next month") << nota("19=01/04/2019") << marzo
                                                  << une({kInformado19, kCampo1_19});
    QTest::newRow("credit note dated after the record period only")
        << nota("25=8|1=20190100|4=15/01/2019|19=15/03/2019") << marzo << une({kCampo1_19});
    QTest::newRow("credit note date no date") << nota("19=31/02/2023") << marzo << "13@19; 13@19";
    QTest::newRow("debit note without date") << nota("6=08|19=") << marzo << "25@19";
    QTest::newRow("type 87: date required, no modified voucher rule")
        << "6=87|19=|20=-|21=00|22=-" << marzo << une({"25@19", kSubLibro});
    QTest::newRow("type 88 dated late") << "6=88|19=01/04/2019" << marzo
                                        << une({kInformado19, kCampo1_19, kSubLibro});

    // Voucher and column 9.
    QTest::newRow("state 0 admits only 00")
        << "25=0" << marzo << "666@6:No puede consignar este tipo de comprobante para el estado";
    QTest::newRow("type 03, column 9 minus digits") << "6=03|7=B001|9=-15" << marzo << "36@9; 3@9";
    QTest::newRow("type 03, column 9 negative decimal") << "6=03|7=B001|9=-15.00" << marzo << "3@9";
    QTest::newRow("type 03, column 9 sound") << "6=03|7=B001|9=150" << marzo << "";
    QTest::newRow("type 03, first check failed: no second")
        << "6=03|7=|9=-15" << marzo << "51@7; 36@9";
    QTest::newRow("type 01, column 9 filled") << "6=01|9=100|10=|11=|12=" << marzo << "5@9";
    QTest::newRow("type 12, column 9 empty") << "6=12|7=B001|16=800" << marzo << "";
    QTest::newRow("type 87, column 9 filled: error 5") << "6=87|19=10/03/2019|9=5" << marzo
                                                       << une({kSubLibro, "5@9"});
    QTest::newRow("type 08, column 9 filled: error 5") << nota("6=08|9=5") << marzo << "5@9";

    // Customer document.
    QTest::newRow("type 03 below 700: optional") << "6=03|7=B001|16=699.99|10=|11=|12=" << marzo << "";
    QTest::newRow("type 03 at 700: required") << "6=03|7=B001|16=700.00|10=|11=|12=" << marzo
                                              << "25@10; 25@11; 25@12";
    QTest::newRow("type 03, empty total: optional") << "6=03|7=B001|16=|10=|11=|12=" << marzo << "";
    QTest::newRow("type 12 below 700: optional") << "6=12|7=B001|16=699.99|10=|11=|12=" << marzo << "";
    QTest::newRow("type 12 at 700: required") << "6=12|7=B001|16=700|10=|11=|12=" << marzo
                                              << "25@10; 25@11; 25@12";
    QTest::newRow("type 00: optional whatever the total") << "6=00|16=5000.00|10=|11=|12=" << marzo << "";
    QTest::newRow("credit note: required") << nota("10=|11=|12=") << marzo << "25@10; 25@11; 25@12";
    QTest::newRow("invoice with a positive base: required") << "13=0.01|10=|11=|12=" << marzo
                                                            << "25@10; 25@11; 25@12";
    QTest::newRow("type 03, negative total: optional") << "6=03|7=B001|16=-800.00|10=|11=|12=" << marzo << "";
    QTest::newRow("type 03, total nan reads 0: optional") << "6=03|7=B001|16=nan|10=|11=|12=" << marzo << "";
    QTest::newRow("type 03, total 1e400 reads 0: optional") << "6=03|7=B001|16=1e400|10=|11=|12=" << marzo << "";
    QTest::newRow("type 03, total inf reads 0: optional") << "6=03|7=B001|16=inf|10=|11=|12=" << marzo << "";
    QTest::newRow("type 01 small total: required") << "16=10.00|10=|11=|12=" << marzo << "25@10; 25@11; 25@12";
    QTest::newRow("required: number -") << "10=1|11=-" << marzo << "25@11; 34@11";
    QTest::newRow("required: type - passes") << "10=-|11=ABC" << marzo << "";
    QTest::newRow("required: DNI of 7 digits") << "10=1|11=1234567" << marzo << "53@11";
    QTest::newRow("required: bad RUC") << "10=6|11=20100070971" << marzo << "34@11";
    QTest::newRow("optional: empty number checked") << "25=2|10=6|11=" << marzo << "34@11";
    QTest::newRow("optional: only column 12") << "25=2|10=|11=|12=X" << marzo << "";

    // Currency and exchange rate.
    QTest::newRow("rate 0.000") << "18=0.000" << marzo << "25@18";
    QTest::newRow("rate 0.00") << "18=0.00" << marzo << "";
    QTest::newRow("rate 0") << "18=0" << marzo << "";
    QTest::newRow("rate without currency, negative") << "17=|18=-1.000" << marzo << "25@17; 37@18";
    QTest::newRow("negative rate") << "17=USD|18=-1.000" << marzo << "37@18";
    QTest::newRow("currency without rate") << "18=" << marzo << "25@18";
    QTest::newRow("neither") << "17=|18=" << marzo << "";

    // Modified voucher.
    QTest::newRow("modified voucher all empty markers") << nota("20=-|21=00|22=-") << marzo
                                                        << "25@20; 25@21; 25@22";
    QTest::newRow("modified voucher series 00 still checked") << nota("21=00") << marzo << "25@21; 4@21";
    QTest::newRow("modified voucher type unknown") << nota("20=XX") << marzo
                                                   << "666@20:Tipo de comprobante no valido";
    QTest::newRow("debit note checked too") << nota("6=08|22=") << marzo << "25@22; 52@22";
    QTest::newRow("credit note in state 2: no modified voucher rule")
        << nota("25=2|20=-|21=00|22=-") << marzo << "";
    QTest::newRow("invoice naming a modified voucher: no rule") << "20=XX|21=F001|22=1" << marzo << "";

    // Indicators.
    QTest::newRow("indicators 1") << "23=1|24=1" << marzo << "";
    QTest::newRow("indicator 0") << "23=0" << marzo << "5@23";
    QTest::newRow("indicator 2") << "23=2" << marzo << "5@23";
    QTest::newRow("indicator 01") << "24=01" << marzo << "5@24";

    QTest::newRow("every phase reports, in order")
        << "2=RER|3=X|1=20190200|4=|6=14|5=|9=1|10=|11=|12=-|17=|18=-1|23=9|24=9" << marzo
        << une({"29@3", "16@1", "25@4", "25@5", kSubLibro, "5@9", "25@17", "37@18", "5@23", "5@24"});
}

void TestSales142Checks::findings()
{
    QFETCH(QString, cambios);
    QFETCH(QString, periodoLibro);
    QFETCH(QString, esperado);
    for (FuncionRegistro f : kVariantes) {
        QList<KovColumna> cols = registro142(cambios);
        ParametrosRegistro p = parametros142(1, 1, periodoLibro);
        const ParametrosRegistro antes = p;
        const KovRespuesta r = f(&cols, &p);
        QCOMPARE(errores(r), esperado);
        QCOMPARE(r.getNumErrores(), r.getErrores().size());
        QCOMPARE(p, antes);
    }
}

// Every two-digit voucher type against the type lists of the record checks: a type dropped from a list, or one
// slipped into it (the other sales register keeps longer lists), shows as a duty gained or lost.
void TestSales142Checks::typeLists_data()
{
    QTest::addColumn<QString>("tipo");
    for (int i = 0; i < 100; ++i) {
        const QString tipo = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow(qPrintable(tipo)) << tipo;
    }
}

void TestSales142Checks::typeLists()
{
    QFETCH(QString, tipo);
    const QStringList segundoNumero = QStringLiteral("00 03 12").split(QLatin1Char(' '));
    const QStringList ventaMenor = QStringLiteral("03 12").split(QLatin1Char(' '));
    const QStringList fechaModificado = QStringLiteral("07 08 87 88").split(QLatin1Char(' '));
    const QStringList modificado = QStringLiteral("07 08").split(QLatin1Char(' '));
    const bool conDocumento = tipo != QLatin1String("00");
    for (FuncionRegistro f : kVariantes) {
        ParametrosRegistro p = parametros142(0, 0);
        auto marca = [&](const QString &cambios, const char *error) {
            QList<KovColumna> cols = registro142(QStringLiteral("6=") + tipo + QLatin1Char('|') + cambios);
            return (QStringLiteral("; ") + errores(f(&cols, &p)) + QStringLiteral("; "))
                .contains(QStringLiteral("; ") + QString::fromLatin1(error) + QStringLiteral("; "));
        };
        QCOMPARE(marca(QStringLiteral("10=|11=|12=|16=1000.00"), "25@10"), conDocumento);
        QCOMPARE(marca(QStringLiteral("10=|11=|12=|16=600.00"), "25@10"),
                 conDocumento && !ventaMenor.contains(tipo));
        QCOMPARE(marca(QStringLiteral("9=-1"), "36@9"), segundoNumero.contains(tipo));
        if (!segundoNumero.contains(tipo))
            QVERIFY(marca(QStringLiteral("9=-1"), "5@9"));
        QCOMPARE(marca(QStringLiteral("5="), "25@5"), tipo == QLatin1String("14"));
        QCOMPARE(marca(QStringLiteral("19=|20=|21=|22="), "25@19"), fechaModificado.contains(tipo));
        QCOMPARE(marca(QStringLiteral("19=|20=|21=|22="), "25@20"), modificado.contains(tipo));
        QCOMPARE(marca(QStringLiteral("19=|20=XX|21=F001|22=1"), "666@20:Tipo de comprobante no valido"),
                 modificado.contains(tipo));
    }
}

// A layout narrower than the record reads the missing columns as empty; no parameters read as none given.
void TestSales142Checks::shortRecordAndNoParameters()
{
    for (FuncionRegistro f : kVariantes) {
        QList<KovColumna> corta = registro(campos(QStringLiteral("20190300||")));
        QVERIFY(f(&corta, nullptr).getNumErrores() > 0);
        QList<KovColumna> vacia;
        ParametrosRegistro p = parametros142(1, 1);
        QCOMPARE(f(&vacia, &p).getTotalLineDetail(), 1);
        QCOMPARE(f(nullptr, &p).getTotalLineDetail(), 1);
    }
}

QTEST_APPLESS_MAIN(TestSales142Checks)
#include "tst_sales142checks.moc"
