#include "fieldchecks.h"
#include "registrosprueba.h"

#include <QtTest>

namespace {

typedef bool (*CheckCampo)(KovRespuesta *, QList<KovColumna> *, int);

struct ReglaCampo {
    const char *nombre;
    CheckCampo check;
};

const ReglaCampo reglasCampo[] = {
    {"checkPositivo", checkPositivo},
    {"checkNegativo", checkNegativo},
    {"checkSoloPositivo", checkSoloPositivo},
    {"checkTipoCambio", checkTipoCambio},
    {"checkPorcentaje", checkPorcentaje},
    {"checkPositivoEnCadena", checkPositivoEnCadena},
    {"checkCeroDecimal", checkCeroDecimal},
    {"checkLongitudSerie", checkLongitudSerie},
    {"checkLongitudSerieExtendido", checkLongitudSerieExtendido},
};

CheckCampo reglaCampo(const QString &nombre)
{
    for (const ReglaCampo &regla : reglasCampo) {
        if (nombre == QLatin1String(regla.nombre))
            return regla.check;
    }
    return nullptr;
}

const QString ceroDecimal = QStringLiteral("666@2:Si consigna cero debe ser 0.00");

} // namespace

class TestFieldChecks : public QObject
{
    Q_OBJECT

private slots:
    void campo_data();
    void campo();
    void listas_data();
    void listas();
    void obligatorio_data();
    void obligatorio();
    void longitudConLimite_data();
    void longitudConLimite();
    void montos_data();
    void montos();
    void tipoDocumento_data();
    void tipoDocumento();
    void buscarLetra_data();
    void buscarLetra();
    void correlativo();
    void columnaFueraDeLista();
    void errorSeAgrega();
};

// Single-field checks; the field is column 2 of a three-column record, so a wrong column shows.
void TestFieldChecks::campo_data()
{
    QTest::addColumn<QString>("regla");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("esperados");
    QTest::addColumn<bool>("resultado");
    const QString nueves = QString(400, QLatin1Char('9'));

    QTest::newRow("positivo empty") << "checkPositivo" << "" << "" << true;
    QTest::newRow("positivo 0") << "checkPositivo" << "0" << "" << true;
    QTest::newRow("positivo 12.5") << "checkPositivo" << "12.5" << "" << true;
    QTest::newRow("positivo -0.01") << "checkPositivo" << "-0.01" << "28@2" << false;
    QTest::newRow("positivo -0") << "checkPositivo" << "-0" << "" << true;
    QTest::newRow("positivo abc") << "checkPositivo" << "abc" << "" << true;
    QTest::newRow("positivo overflow counts 0") << "checkPositivo" << QStringLiteral("-") + nueves << "" << true;
    QTest::newRow("positivo underflow counts 0") << "checkPositivo" << "-1e-400" << "" << true;

    QTest::newRow("negativo -3") << "checkNegativo" << "-3" << "" << true;
    QTest::newRow("negativo empty") << "checkNegativo" << "" << "" << true;
    QTest::newRow("negativo 0.01") << "checkNegativo" << "0.01" << "30@2" << false;
    QTest::newRow("negativo overflow counts 0") << "checkNegativo" << nueves << "" << true;
    QTest::newRow("negativo 24 digits") << "checkNegativo" << "123456789012345678901234" << "30@2" << false;

    QTest::newRow("solo positivo empty") << "checkSoloPositivo" << "" << "35@2" << false;
    QTest::newRow("solo positivo 0") << "checkSoloPositivo" << "0" << "35@2" << false;
    QTest::newRow("solo positivo -1") << "checkSoloPositivo" << "-1" << "35@2" << false;
    QTest::newRow("solo positivo 0.01") << "checkSoloPositivo" << "0.01" << "" << true;
    QTest::newRow("solo positivo overflow counts 0") << "checkSoloPositivo" << nueves << "35@2" << false;
    QTest::newRow("solo positivo underflow counts 0") << "checkSoloPositivo" << "1e-400" << "35@2" << false;
    QTest::newRow("solo positivo inf text") << "checkSoloPositivo" << "inf" << "35@2" << false;

    QTest::newRow("tipo cambio 3.725") << "checkTipoCambio" << "3.725" << "" << true;
    QTest::newRow("tipo cambio 0") << "checkTipoCambio" << "0" << "" << true;
    QTest::newRow("tipo cambio -1") << "checkTipoCambio" << "-1" << "37@2" << false;

    QTest::newRow("porcentaje 0") << "checkPorcentaje" << "0" << "" << true;
    QTest::newRow("porcentaje 100") << "checkPorcentaje" << "100" << "" << true;
    QTest::newRow("porcentaje 100.01") << "checkPorcentaje" << "100.01" << "33@2" << false;
    QTest::newRow("porcentaje -1") << "checkPorcentaje" << "-1" << "33@2" << false;
    QTest::newRow("porcentaje overflow counts 0") << "checkPorcentaje" << nueves << "" << true;
    QTest::newRow("porcentaje 1e400 counts 0") << "checkPorcentaje" << "1e400" << "" << true;
    QTest::newRow("porcentaje -inf counts 0") << "checkPorcentaje" << "-inf" << "" << true;
    QTest::newRow("porcentaje 1e300") << "checkPorcentaje" << "1e300" << "33@2" << false;

    QTest::newRow("en cadena -5") << "checkPositivoEnCadena" << "-5" << "36@2" << false;
    QTest::newRow("en cadena -0") << "checkPositivoEnCadena" << "-0" << "36@2" << false;
    QTest::newRow("en cadena -007") << "checkPositivoEnCadena" << "-007" << "36@2" << false;
    QTest::newRow("en cadena -5.00") << "checkPositivoEnCadena" << "-5.00" << "" << true;
    QTest::newRow("en cadena minus alone") << "checkPositivoEnCadena" << "-" << "" << true;
    QTest::newRow("en cadena 5") << "checkPositivoEnCadena" << "5" << "" << true;
    QTest::newRow("en cadena empty") << "checkPositivoEnCadena" << "" << "" << true;
    QTest::newRow("en cadena long") << "checkPositivoEnCadena" << QStringLiteral("-") + nueves << "36@2" << false;

    QTest::newRow("cero 0.00") << "checkCeroDecimal" << "0.00" << "" << true;
    QTest::newRow("cero 0.00 blanks") << "checkCeroDecimal" << " 0.00 " << "" << true;
    QTest::newRow("cero empty") << "checkCeroDecimal" << "" << "" << true;
    QTest::newRow("cero blanks") << "checkCeroDecimal" << "   " << "" << true;
    QTest::newRow("cero 15") << "checkCeroDecimal" << "15" << "" << true;
    QTest::newRow("cero -3.50") << "checkCeroDecimal" << "-3.50" << "" << true;
    QTest::newRow("cero 0") << "checkCeroDecimal" << "0" << ceroDecimal << false;
    QTest::newRow("cero 0.0") << "checkCeroDecimal" << "0.0" << ceroDecimal << false;
    QTest::newRow("cero -0.00") << "checkCeroDecimal" << "-0.00" << ceroDecimal << false;
    QTest::newRow("cero 0.000") << "checkCeroDecimal" << "0.000" << ceroDecimal << false;
    QTest::newRow("cero .00") << "checkCeroDecimal" << ".00" << ceroDecimal << false;
    QTest::newRow("cero 00") << "checkCeroDecimal" << "00" << ceroDecimal << false;
    QTest::newRow("cero -0") << "checkCeroDecimal" << "-0" << ceroDecimal << false;
    QTest::newRow("cero abc") << "checkCeroDecimal" << "abc" << ceroDecimal << false;
    QTest::newRow("cero overflow counts 0") << "checkCeroDecimal" << nueves << ceroDecimal << false;
    QTest::newRow("cero underflow counts 0") << "checkCeroDecimal" << "1e-400" << ceroDecimal << false;
    QTest::newRow("cero nan") << "checkCeroDecimal" << "nan" << ceroDecimal << false;
    QTest::newRow("cero smallest double") << "checkCeroDecimal" << "5e-324" << "" << true;

    QTest::newRow("serie 4") << "checkLongitudSerie" << "F001" << "" << true;
    QTest::newRow("serie 3") << "checkLongitudSerie" << "F01" << "26@2" << false;
    QTest::newRow("serie 5") << "checkLongitudSerie" << "F0001" << "26@2" << false;
    QTest::newRow("serie blanks count") << "checkLongitudSerie" << " F01" << "" << true;

    QTest::newRow("extendido 4") << "checkLongitudSerieExtendido" << "F001" << "" << true;
    QTest::newRow("extendido 6") << "checkLongitudSerieExtendido" << "F00101" << "" << true;
    QTest::newRow("extendido 5") << "checkLongitudSerieExtendido" << "F0001" << "42@2" << false;
    QTest::newRow("extendido empty") << "checkLongitudSerieExtendido" << "" << "42@2" << false;
}

void TestFieldChecks::campo()
{
    QFETCH(QString, regla);
    QFETCH(QString, texto);
    QFETCH(QString, esperados);
    QFETCH(bool, resultado);
    const CheckCampo check = reglaCampo(regla);
    QVERIFY(check);
    QList<KovColumna> cols = registro({QStringLiteral("x"), texto, QStringLiteral("y")});
    KovRespuesta resp;
    QCOMPARE(check(&resp, &cols, 2), resultado);
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(check(&previa, &cols, 2), resultado);
    QCOMPARE(errores(previa), conPrevia(esperados));
}

// Both list checks against the values 1, 8 and 9.
void TestFieldChecks::listas_data()
{
    QTest::addColumn<bool>("enLista");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("indicador in") << false << "8" << "";
    QTest::newRow("indicador out") << false << "2" << "14@2";
    QTest::newRow("indicador padded") << false << "01" << "14@2";
    QTest::newRow("indicador empty") << false << "" << "14@2";
    QTest::newRow("en lista in") << true << "9" << "";
    QTest::newRow("en lista out") << true << "0" << "29@2";
    QTest::newRow("en lista blank") << true << "9 " << "29@2";
}

void TestFieldChecks::listas()
{
    QFETCH(bool, enLista);
    QFETCH(QString, texto);
    QFETCH(QString, esperados);
    const QStringList valores = {QStringLiteral("1"), QStringLiteral("8"), QStringLiteral("9")};
    QList<KovColumna> cols = registro({QStringLiteral("x"), texto});
    KovRespuesta resp;
    const bool resultado = enLista ? checkEnLista(&resp, &cols, 2, valores) : checkIndicador(&resp, &cols, 2, valores);
    QCOMPARE(resultado, esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(enLista ? checkEnLista(&previa, &cols, 2, valores) : checkIndicador(&previa, &cols, 2, valores),
             esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

// checkObligatorio and checkDebeSerEsteValor: a field against a text the caller gives.
void TestFieldChecks::obligatorio_data()
{
    QTest::addColumn<bool>("debeSer");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("obligatorio empty, marker -") << false << "" << "-" << "25@2";
    QTest::newRow("obligatorio marker -") << false << "-" << "-" << "25@2";
    QTest::newRow("obligatorio blank, marker -") << false << " " << "-" << "";
    QTest::newRow("obligatorio 0, marker -") << false << "0" << "-" << "";
    QTest::newRow("obligatorio empty, no marker") << false << "" << "" << "25@2";
    QTest::newRow("obligatorio -, no marker") << false << "-" << "" << "";
    QTest::newRow("obligatorio date marker") << false << "01/01/0001" << "01/01/0001" << "25@2";
    QTest::newRow("debe ser equal") << true << "PEN" << "PEN" << "";
    QTest::newRow("debe ser case") << true << "pen" << "PEN" << "29@2";
    QTest::newRow("debe ser empty") << true << "" << "PEN" << "29@2";
}

void TestFieldChecks::obligatorio()
{
    QFETCH(bool, debeSer);
    QFETCH(QString, texto);
    QFETCH(QString, valor);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registro({QStringLiteral("x"), texto});
    KovRespuesta resp;
    const bool resultado = debeSer ? checkDebeSerEsteValor(&resp, &cols, 2, valor)
                                   : checkObligatorio(&resp, &cols, 2, valor);
    QCOMPARE(resultado, esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(debeSer ? checkDebeSerEsteValor(&previa, &cols, 2, valor) : checkObligatorio(&previa, &cols, 2, valor),
             esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestFieldChecks::longitudConLimite_data()
{
    QTest::addColumn<bool>("hasta");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("fijo 8 of 8") << false << "12345678" << 8 << "";
    QTest::newRow("fijo 7 of 8") << false << "1234567" << 8 << "666@2:La longitud del numero debe ser de 8";
    QTest::newRow("fijo 9 of 8") << false << "123456789" << 8 << "666@2:La longitud del numero debe ser de 8";
    QTest::newRow("hasta 3 of 4") << true << "F01" << 4 << "";
    QTest::newRow("hasta 4 of 4") << true << "F001" << 4 << "";
    QTest::newRow("hasta 5 of 4") << true << "F0001" << 4 << "26@2";
    QTest::newRow("hasta empty") << true << "" << 4 << "";
}

void TestFieldChecks::longitudConLimite()
{
    QFETCH(bool, hasta);
    QFETCH(QString, texto);
    QFETCH(int, n);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registro({QStringLiteral("x"), texto});
    KovRespuesta resp;
    const bool resultado = hasta ? checkLongitudSerieHasta(&resp, &cols, 2, n)
                                 : checkLongitudSerieFijo(&resp, &cols, 2, n);
    QCOMPARE(resultado, esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(hasta ? checkLongitudSerieHasta(&previa, &cols, 2, n) : checkLongitudSerieFijo(&previa, &cols, 2, n),
             esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

// The exclusive-amount checks read columns 2, 3 and 4 of a record.
void TestFieldChecks::montos_data()
{
    QTest::addColumn<QString>("regla");
    QTest::addColumn<QStringList>("montos");
    QTest::addColumn<QString>("esperados");
    QTest::addColumn<bool>("resultado");
    const QString nueves = QString(400, QLatin1Char('9'));
    QTest::newRow("excluyente first only") << "excluyente" << QStringList{"100.00", "0.00"} << "" << true;
    QTest::newRow("excluyente second only") << "excluyente" << QStringList{"", "-5"} << "" << true;
    QTest::newRow("excluyente both") << "excluyente" << QStringList{"100.00", "5"} << "15@3" << false;
    QTest::newRow("excluyente neither") << "excluyente" << QStringList{"0.00", ""} << "15@2; 15@3" << false;
    QTest::newRow("excluyente overflow counts 0") << "excluyente" << QStringList{nueves, "0"} << "15@2; 15@3" << false;
    QTest::newRow("excluyente underflow counts 0") << "excluyente" << QStringList{"1e-400", "5"} << "" << true;
    QTest::newRow("excepto inf counts 0") << "excepto" << QStringList{"inf", "5"} << "" << true;
    QTest::newRow("triple nan counts 0") << "triple" << QStringList{"nan", "-5", "0"} << "" << true;
    QTest::newRow("excepto neither") << "excepto" << QStringList{"0", "0"} << "" << true;
    QTest::newRow("excepto one") << "excepto" << QStringList{"0", "3"} << "" << true;
    QTest::newRow("excepto both") << "excepto" << QStringList{"1", "-3"} << "15@3" << false;
    QTest::newRow("triple first positive") << "triple" << QStringList{"50", "0", "0"} << "" << true;
    QTest::newRow("triple first negative") << "triple" << QStringList{"-50", "0", "0"} << "" << true;
    QTest::newRow("triple second negative") << "triple" << QStringList{"0", "-50", "0"} << "" << true;
    QTest::newRow("triple third negative") << "triple" << QStringList{"", "", "-0.01"} << "" << true;
    QTest::newRow("triple second positive") << "triple" << QStringList{"0", "50", "0"}
                                            << "666@3:El monto debe ser negativo" << false;
    QTest::newRow("triple third positive") << "triple" << QStringList{"0", "0", "50"}
                                           << "666@4:El monto debe ser negativo" << false;
    QTest::newRow("triple two filled") << "triple" << QStringList{"1", "1", "0"} << "15@2" << false;
    QTest::newRow("triple all filled") << "triple" << QStringList{"1", "-1", "-1"} << "15@2" << false;
    QTest::newRow("triple none") << "triple" << QStringList{"0", "0", "0"} << "15@2; 15@3; 15@4" << false;
}

void TestFieldChecks::montos()
{
    QFETCH(QString, regla);
    QFETCH(QStringList, montos);
    QFETCH(QString, esperados);
    QFETCH(bool, resultado);
    QList<KovColumna> cols = registro(QStringList{QStringLiteral("x")} + montos);
    const auto aplicar = [&](KovRespuesta *resp) {
        if (regla == QLatin1String("excluyente"))
            return checkMontoExcluyente(resp, &cols, 2, 3);
        if (regla == QLatin1String("excepto"))
            return checkMontoExcluyenteExcepto(resp, &cols, 2, 3);
        return checkTripleExcluyente(resp, &cols, 2, 3, 4);
    };
    KovRespuesta resp;
    QCOMPARE(aplicar(&resp), resultado);
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(aplicar(&previa), resultado);
    QCOMPARE(errores(previa), conPrevia(esperados));
}

// Type in column 1, number in column 3: every error lands at the number.
void TestFieldChecks::tipoDocumento_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("esperados");
    QTest::newRow("1 eight digits") << "1" << "12345678" << "";
    QTest::newRow("1 seven digits") << "1" << "1234567" << "53@3";
    QTest::newRow("1 nine digits") << "1" << "123456789" << "53@3";
    QTest::newRow("1 seven digits and a letter") << "1" << "1234567A" << "34@3";
    QTest::newRow("1 empty") << "1" << "" << "34@3";
    QTest::newRow("6 valid") << "6" << "12345678903" << "";
    QTest::newRow("6 last digit changed") << "6" << "12345678904" << "34@3";
    QTest::newRow("6 ten digits") << "6" << "1234567890" << "34@3";
    QTest::newRow("6 with a letter") << "6" << "1234567890A" << "34@3";
    QTest::newRow("A fifteen digits") << "A" << "123456789012345" << "";
    QTest::newRow("A fourteen digits") << "A" << "12345678901234" << "53@3";
    QTest::newRow("A letters") << "A" << "ABC" << "34@3";
    QTest::newRow("7 two letters ten digits") << "7" << "AB1234567890" << "";
    QTest::newRow("7 thirteen characters") << "7" << "AB12345678901" << "53@3";
    QTest::newRow("7 with a dash") << "7" << "AB-12345" << "54@3";
    QTest::newRow("4 twelve") << "4" << "abcdef123456" << "";
    QTest::newRow("4 thirteen") << "4" << "abcdef1234567" << "53@3";
    QTest::newRow("A sixteen digits") << "A" << "1234567890123456" << "53@3";
    QTest::newRow("4 empty") << "4" << "" << "54@3";
    QTest::newRow("0 fifteen letters") << "0" << "ABCDEFGHIJKLMNO" << "";
    QTest::newRow("0 sixteen letters") << "0" << "ABCDEFGHIJKLMNOP" << "53@3";
    QTest::newRow("0 accented letter") << "0" << QString::fromUtf8("ÑANDU") << "54@3";
    QTest::newRow("B anything") << "B" << "--" << "";
    QTest::newRow("a is not A") << "a" << "x" << "";
    QTest::newRow("empty type") << "" << "" << "";
    QTest::newRow("type with blank") << "1 " << "x" << "";
}

void TestFieldChecks::tipoDocumento()
{
    QFETCH(QString, tipo);
    QFETCH(QString, numero);
    QFETCH(QString, esperados);
    QList<KovColumna> cols = registro({tipo, QStringLiteral("x"), numero});
    KovRespuesta resp;
    QCOMPARE(checkTipoDocumento(&resp, &cols, 1, 3), esperados.isEmpty());
    QCOMPARE(errores(resp), esperados);
    KovRespuesta previa = respuestaPrevia();
    QCOMPARE(checkTipoDocumento(&previa, &cols, 1, 3), esperados.isEmpty());
    QCOMPARE(errores(previa), conPrevia(esperados));
}

void TestFieldChecks::buscarLetra_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("encontrada");
    QTest::newRow("digits") << "0001" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("upper") << "E001" << true;
    QTest::newRow("lower") << "e001" << true;
    QTest::newRow("letter at the end") << "0001z" << true;
}

void TestFieldChecks::buscarLetra()
{
    QFETCH(QString, texto);
    QFETCH(bool, encontrada);
    QList<KovColumna> cols = registro({texto});
    KovRespuesta resp;
    QCOMPARE(buscarLetraEnCadena(&resp, &cols, 1), encontrada);
    QVERIFY(!resp.hasErrores());
}

void TestFieldChecks::correlativo()
{
    KovColumna columna;
    KovRespuesta resp;
    const QStringList valores = {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("8"), QStringLiteral("9")};
    QList<bool> resultados;
    for (const QString &valor : valores) {
        columna.setData(valor);
        resultados.append(checkCorrelativo(&resp, 4, &columna));
    }
    QCOMPARE(resultados, (QList<bool>{true, true, false, true}));
    QCOMPARE(errores(resp), QStringLiteral("22@4"));
    QVERIFY(!columna.isCorrelativo());
    // The rule switches the sequence test off when done, even on a column whose layout had it on: the column's
    // own test then passes anything and leaves the reference (10) alone.
    columna.setEnabledCorrelativo(true);
    columna.setData(QStringLiteral("10"));
    QVERIFY(checkCorrelativo(&resp, 4, &columna));
    QVERIFY(!columna.isCorrelativo());
    columna.setData(QStringLiteral("50"));
    QVERIFY(columna.checkCorrelativo());
    QCOMPARE(columna.getAnterior(), QStringLiteral("10"));
    columna.setData(QStringLiteral("12"));
    QVERIFY(!checkCorrelativo(&resp, 4, &columna));
    QCOMPARE(errores(resp), QStringLiteral("22@4; 22@4"));
    QVERIFY(!columna.isCorrelativo());
    QVERIFY(checkCorrelativo(&resp, 4, nullptr));
}

// A column number outside the record reads as the empty text instead of reading past the list.
void TestFieldChecks::columnaFueraDeLista()
{
    QList<KovColumna> cols = registro({QStringLiteral("5")});
    KovRespuesta resp;
    QVERIFY(!checkObligatorio(&resp, &cols, 2, QString()));
    QVERIFY(checkPositivo(&resp, &cols, 0));
    QVERIFY(checkTipoDocumento(&resp, &cols, 7, 8));
    QVERIFY(checkMontoExcluyente(&resp, &cols, 1, 9));
    QVERIFY(!checkSoloPositivo(&resp, &cols, -3));
    QCOMPARE(errores(resp), QStringLiteral("25@2; 35@-3"));
}

// A check appends to what the record's result already holds and never clears it.
void TestFieldChecks::errorSeAgrega()
{
    QList<KovColumna> cols = registro({QString(), QStringLiteral("-1")});
    KovRespuesta resp;
    resp.addError(99, 9);
    QVERIFY(!checkObligatorio(&resp, &cols, 1, QString()));
    QVERIFY(!checkPositivo(&resp, &cols, 2));
    QCOMPARE(errores(resp), QStringLiteral("99@9; 25@1; 28@2"));
    QCOMPARE(resp.getNumErrores(), 3);
}

QTEST_APPLESS_MAIN(TestFieldChecks)
#include "tst_fieldchecks.moc"
