#include "kovcolumna.h"
#include "kovrespuesta.h"
#include "firstuse.h"
#include "othervoucher.h"
#include "registrosprueba.h"

#include <QtTest>

namespace {

// The voucher columns are kept apart, and away from column 1, so that a swapped column shows in the errors:
// the series errors read "@4", the number errors "@5".
const int kTipo = 2;
const int kSerie = 4;
const int kNumero = 5;

typedef bool (*ReglaComprobante)(KovRespuesta *, QList<KovColumna> *, int, int, int);

QList<KovColumna> voucher(const QString &tipo, const QString &serie, const QString &numero)
{
    return registro({QStringLiteral("x"), tipo, QStringLiteral("y"), serie, numero});
}

const QString kNoValido = QStringLiteral("666@2:Tipo de comprobante no valido");

QString digitos(int n, QChar relleno = QLatin1Char('1'))
{
    return QString(n, relleno);
}

void columnas()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("serie");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QStringList>("esperados");
}

void fila(const char *nombre, const char *tipo, const QString &serie, const QString &numero,
          const QStringList &esperados = QStringList())
{
    QTest::newRow(nombre) << QString::fromLatin1(tipo) << serie << numero << esperados;
}

void compruebaRegla(ReglaComprobante regla)
{
    QFETCH(QString, tipo);
    QFETCH(QString, serie);
    QFETCH(QString, numero);
    QFETCH(QStringList, esperados);

    QList<KovColumna> cols = voucher(tipo, serie, numero);
    KovRespuesta resp;
    const bool resultado = regla(&resp, &cols, kTipo, kSerie, kNumero);
    QCOMPARE(errores(resp), esperados.join(QStringLiteral("; ")));
    QCOMPARE(resultado, esperados.isEmpty());
    QCOMPARE(resp.getNumErrores(), esperados.size());
}

} // namespace

class TstOtherVoucher : public QObject
{
    Q_OBJECT

private slots:
    // First, so that the threads race on building the rules' fixed lists.
    void primerUsoDesdeVariosHilos();
    void otros_data();
    void otros() { compruebaRegla(checkCdpTipSerNumOtros); }
    void variante_data();
    void variante() { compruebaRegla(checkTipSerNum); }
    void tiposSinGrupo();
    void resultadoCuentaSoloEstaLlamada();
    void columnaFueraDeLaListaSeLeeVacia();
};

void TstOtherVoucher::otros_data()
{
    columnas();
    const QString n8 = QStringLiteral("12345678");
    const QString n9 = QStringLiteral("123456789");

    // Presence of series and number.
    fila("01 sin serie ni numero", "01", QString(), QString(), {"51@4", "52@5"});
    fila("01 serie en blanco", "01", QStringLiteral("  "), QStringLiteral("123"), {"51@4"});
    fila("01 numero en blanco", "01", QStringLiteral("0001"), QStringLiteral(" "), {"52@5"});
    fila("96 numero vacio", "96", QString(), QString());
    fila("00 serie vacia", "00", QString(), QStringLiteral("5"));
    fila("00 numero vacio", "00", QString(), QString(), {"52@5"});

    // Types 01 02 03 04 07 08.
    fila("01 F001", "01", QStringLiteral("F001"), QStringLiteral("123"));
    fila("01 f001", "01", QStringLiteral("f001"), QStringLiteral("123"));
    fila("01 E001", "01", QStringLiteral("E001"), QStringLiteral("1"));
    fila("01 e001", "01", QStringLiteral("e001"), QStringLiteral("1"), {"5@4"});
    fila("01 B001", "01", QStringLiteral("B001"), QStringLiteral("1"), {"5@4"});
    fila("01 E002 un error", "01", QStringLiteral("E002"), QStringLiteral("1"), {"5@4"});
    fila("02 E002 un error", "02", QStringLiteral("E002"), QStringLiteral("1"), {"5@4"});
    fila("02 F001", "02", QStringLiteral("F001"), QStringLiteral("1"), {"5@4"});
    fila("04 B001", "04", QStringLiteral("B001"), QStringLiteral("1"), {"5@4"});
    fila("03 EB01", "03", QStringLiteral("EB01"), QStringLiteral("1"));
    fila("03 B123", "03", QStringLiteral("B123"), QStringLiteral("1"));
    fila("03 E001", "03", QStringLiteral("E001"), QStringLiteral("1"), {"5@4"});
    fila("03 F001", "03", QStringLiteral("F001"), QStringLiteral("1"), {"5@4"});
    fila("07 E002", "07", QStringLiteral("E002"), QStringLiteral("1"), {"5@4"});
    fila("07 EB01", "07", QStringLiteral("EB01"), QStringLiteral("1"));
    fila("08 B002", "08", QStringLiteral("B002"), QStringLiteral("1"));
    fila("01 digitos", "01", QStringLiteral("0001"), n8);
    fila("01 numero 9", "01", QStringLiteral("0001"), n9, {"4@5"});
    fila("01 00A1 sin largo de numero", "01", QStringLiteral("00A1"), n9, {"5@4"});
    // Lengths count characters: "Ñ001" is four of them (five bytes), judged by its first letter.
    fila("01 letra fuera de ASCII", "01", QString::fromUtf8("Ñ001"), QStringLiteral("1"), {"5@4"});
    fila("01 blanco y digitos", "01", QStringLiteral(" 001"), QStringLiteral("1"), {"5@4"});
    fila("01 serie corta", "01", QStringLiteral("001"), n9, {"4@4"});
    fila("01 serie larga", "01", QStringLiteral("F0001"), QStringLiteral("0"), {"4@4", "5@5"});

    // Types 23 25.
    fila("23 1234", "23", QStringLiteral("1234"), QStringLiteral("1234567"));
    fila("25 un digito", "25", QStringLiteral("1"), QStringLiteral("1"));
    fila("23 12345", "23", QStringLiteral("12345"), QStringLiteral("1"), {"4@4"});
    fila("23 12A4", "23", QStringLiteral("12A4"), QStringLiteral("1"), {"5@4"});
    fila("23 serie y numero largos", "23", QStringLiteral("12345"), n8, {"4@4", "4@5"});

    // The thirty-type group.
    fila("11 numero 15", "11", QString(), digitos(15));
    fila("11 numero 14", "11", QString(), digitos(14), {"4@5"});
    fila("11 numero 16", "11", QString(), digitos(16), {"4@5"});
    fila("12 numero 20", "12", QStringLiteral("X"), digitos(20));
    fila("12 numero 21", "12", QStringLiteral("X"), digitos(21), {"4@5"});
    fila("91 serie 20", "91", digitos(20, QLatin1Char('A')), QStringLiteral("1"));
    fila("91 serie 20 fuera de ASCII", "91", digitos(20, QChar(0x00D1)), QStringLiteral("1"));
    fila("91 serie 21 fuera de ASCII", "91", digitos(21, QChar(0x00D1)), QStringLiteral("1"), {"4@4"});
    fila("00 serie y numero 21", "00", digitos(21), digitos(21), {"4@4", "4@5"});
    fila("16 numero cero", "16", QString(), QStringLiteral("0"), {"5@5"});

    // Types 05 55.
    fila("05 serie 3", "05", QStringLiteral("3"), digitos(11));
    fila("55 serie 3", "55", QStringLiteral("3"), QStringLiteral("1"), {"5@4"});
    fila("05 serie 12", "05", QStringLiteral("12"), QStringLiteral("1"), {"4@4"});
    fila("05 blanco y 1", "05", QStringLiteral(" 1"), QStringLiteral("1"), {"4@4"});
    fila("55 numero 12", "55", QStringLiteral("1"), digitos(12), {"4@5"});

    // Types 10 22 46: digits only, no value test.
    fila("10 1683 numero cero", "10", QStringLiteral("1683"), QStringLiteral("000"));
    fila("22 0820", "22", QStringLiteral("0820"), QStringLiteral("1"));
    fila("10 0820", "10", QStringLiteral("0820"), QStringLiteral("1"), {"5@4"});
    fila("22 1683", "22", QStringLiteral("1683"), QStringLiteral("1"), {"5@4"});
    fila("46 0001 numero 20", "46", QStringLiteral("0001"), digitos(20));
    fila("46 A001", "46", QStringLiteral("A001"), QStringLiteral("1"), {"5@4"});
    fila("46 001", "46", QStringLiteral("001"), QStringLiteral("1"), {"4@4"});
    fila("10 1684 numero 21", "10", QStringLiteral("1684"), digitos(21), {"5@4", "4@5"});
    fila("10 numero con guion", "10", QStringLiteral("1683"), QStringLiteral("12-3"), {"5@5"});

    // Types 06 34 35 36 48 56 89.
    fila("06 0001 numero 8", "06", QStringLiteral("0001"), n8);
    fila("06 0000", "06", QStringLiteral("0000"), QStringLiteral("1"), {"5@4"});
    fila("48 0000", "48", QStringLiteral("0000"), QStringLiteral("1"), {"5@4"});
    fila("89 0000", "89", QStringLiteral("0000"), QStringLiteral("1"), {"5@4"});
    fila("56 0000", "56", QStringLiteral("0000"), QStringLiteral("1"), {"5@4"});
    fila("34 0000", "34", QStringLiteral("0000"), QStringLiteral("1234567"));
    fila("36 0000 numero 8", "36", QStringLiteral("0000"), n8);
    fila("35 letra", "35", QStringLiteral("12A4"), QStringLiteral("1"), {"5@4"});
    fila("34 numero 8", "34", QStringLiteral("0001"), n8, {"4@5"});
    fila("56 numero 11", "56", QStringLiteral("0001"), digitos(11));
    fila("56 cinco digitos numero 12", "56", QStringLiteral("12345"), digitos(12), {"4@4", "4@5"});
    fila("06 0000 numero 9", "06", QStringLiteral("0000"), n9, {"5@4", "4@5"});
    fila("06 digitos y blanco", "06", QStringLiteral("123 "), QStringLiteral("1"), {"5@4"});

    // Types 50 to 54: a code of table 11.
    fila("50 019", "50", QStringLiteral("019"), QStringLiteral("123456"));
    fila("50 300", "50", QStringLiteral("300"), QStringLiteral("1"), {"6@4"});
    fila("50 19", "50", QStringLiteral("19"), QStringLiteral("1"), {"4@4"});
    fila("51 1A9", "51", QStringLiteral("1A9"), QStringLiteral("1"), {"5@4"});
    fila("50 digitos y blanco", "50", QStringLiteral("019 "), QStringLiteral("1"), {"4@4"});
    fila("53 numero 7", "53", QStringLiteral("965"), QStringLiteral("1234567"), {"4@5"});
    fila("54 numero 20", "54", QStringLiteral("965"), digitos(20));
    fila("54 numero 21", "54", QStringLiteral("965"), digitos(21), {"4@5"});

    // Types 09 20 31 33 40 41: any four characters, no number test.
    fila("41 letras", "41", QStringLiteral("ABCD"), n8);
    fila("09 digitos y blanco", "09", QStringLiteral("123 "), QStringLiteral("ABC"));
    fila("09 numero 9", "09", QStringLiteral("ABCD"), n9, {"4@5"});
    fila("20 serie 3", "20", QStringLiteral("ABC"), QStringLiteral("0"), {"4@4"});

    // Common number rules.
    fila("01 ceros a la izquierda", "01", QStringLiteral("0001"), QStringLiteral("0000123"));
    fila("01 numero 000", "01", QStringLiteral("0001"), QStringLiteral("000"), {"5@5"});
    fila("01 numero 12A", "01", QStringLiteral("0001"), QStringLiteral("12A"), {"3@5"});
    fila("12 ABC-1", "12", QStringLiteral("X"), QStringLiteral("ABC-1"));
    fila("12 +7", "12", QStringLiteral("X"), QStringLiteral("+7"));
    fila("12 -7", "12", QStringLiteral("X"), QStringLiteral("-7"), {"5@5"});
    fila("12 cero", "12", QStringLiteral("X"), QStringLiteral("0"), {"5@5"});
    fila("96 texto", "96", QString(), QStringLiteral("A B"));

    // Types in no group.
    fila("99", "99", QStringLiteral("X"), QStringLiteral("15"), {kNoValido});
    fila("un digito", "1", QStringLiteral("0001"), QStringLiteral("ABC"), {kNoValido, "3@5"});
    fila("01 con blanco", " 01", QStringLiteral("E001"), QStringLiteral("0"), {kNoValido, "5@5"});
    fila("05 con blanco", "05 ", QStringLiteral("1"), QStringLiteral("1"), {kNoValido});

    // Numbers longer than a double keeps are judged by their digits.
    fila("01 numero de 40 cifras", "01", QStringLiteral("0001"), QStringLiteral("1") + digitos(39, QLatin1Char('0')),
         {"4@5"});
    fila("01 numero de 400 ceros", "01", QStringLiteral("0001"), digitos(400, QLatin1Char('0')),
         {"4@5", "5@5"});
    fila("12 negativo de 40 cifras", "12", QStringLiteral("X"), QStringLiteral("-") + digitos(40), {"4@5", "5@5"});
    fila("12 positivo de 400 cifras", "12", QStringLiteral("X"), digitos(400, QLatin1Char('9')), {"4@5"});
}

void TstOtherVoucher::variante_data()
{
    columnas();
    const QString n7 = QStringLiteral("1234567");
    const QString n8 = QStringLiteral("12345678");

    // Types 01 02 03 04 06 07 08; no presence errors in this variant.
    fila("07 serie 3", "07", QStringLiteral("001"), QStringLiteral("1"), {"4@4"});
    fila("07 serie 5 numero 8", "07", QStringLiteral("00012"), n8, {"4@4", "4@5"});
    fila("01 F1234 numero 8", "01", QStringLiteral("F1234"), n8, {"4@4"});
    fila("01 sin serie numero 7", "01", QString(), n7, {"4@4"});
    fila("01 sin serie numero 8", "01", QString(), n8, {"4@4", "4@5"});
    fila("01 f001", "01", QStringLiteral("f001"), n8);
    fila("01 F123", "01", QStringLiteral("F123"), QStringLiteral("1"));
    fila("01 E001", "01", QStringLiteral("E001"), n8);
    fila("01 e001", "01", QStringLiteral("e001"), QStringLiteral("1"), {"5@4"});
    fila("01 b123", "01", QStringLiteral("b123"), QStringLiteral("1"), {"5@4"});
    fila("01 blanco y digitos", "01", QStringLiteral(" 001"), QStringLiteral("1"), {"5@4"});
    fila("02 E001 numero 8", "02", QStringLiteral("E001"), n8, {"4@5"});
    fila("02 F001", "02", QStringLiteral("F001"), QStringLiteral("1"), {"5@4"});
    fila("02 e001", "02", QStringLiteral("e001"), QStringLiteral("1"), {"5@4"});
    fila("03 E001 numero 8", "03", QStringLiteral("E001"), n8, {"5@4"});
    fila("03 E002 un error", "03", QStringLiteral("E002"), QStringLiteral("1"), {"5@4"});
    fila("03 B001", "03", QStringLiteral("B001"), QStringLiteral("1"));
    fila("04 F001", "04", QStringLiteral("F001"), QStringLiteral("1"), {"5@4"});
    fila("06 e001", "06", QStringLiteral("e001"), n8, {"5@4"});
    fila("06 0001 numero 8", "06", QStringLiteral("0001"), n8);
    fila("06 0001 numero 9", "06", QStringLiteral("0001"), QStringLiteral("123456789"), {"4@5"});
    fila("07 0A12", "07", QStringLiteral("0A12"), QStringLiteral("1"), {"5@4"});
    fila("07 0001 numero 8", "07", QStringLiteral("0001"), n8, {"4@5"});
    fila("07 B001 numero 8", "07", QStringLiteral("B001"), n8);
    fila("08 e001", "08", QStringLiteral("e001"), QStringLiteral("1"), {"5@4"});
    fila("07 numero con blanco", "07", QStringLiteral("0001"), QStringLiteral(" 1234567"), {"4@5"});

    // Types 23 25.
    fila("25 un digito", "25", QStringLiteral("1"), QStringLiteral("1"));
    fila("23 sin serie", "23", QString(), QStringLiteral("1"), {"5@4"});
    fila("23 12A", "23", QStringLiteral("12A"), n7, {"5@4"});
    fila("23 serie 5 numero 8", "23", QStringLiteral("12345"), n8, {"4@4", "4@5"});

    // The twenty-nine-type group.
    fila("12 serie 21", "12", digitos(21), QStringLiteral("1"), {"4@4"});
    fila("12 todo vacio", "12", QString(), QString(), {"5@5"});
    fila("00 todo vacio", "00", QString(), QString());
    fila("11 numero 15", "11", QString(), digitos(15));
    fila("11 numero 14", "11", QString(), digitos(14), {"4@5"});
    fila("11 numero 16", "11", QString(), digitos(16), {"4@5"});
    fila("98 numero 21", "98", QString(), digitos(21), {"4@5"});

    // Types 05 55.
    fila("05 serie 4", "05", QStringLiteral("4"), digitos(11));
    fila("55 serie 4", "55", QStringLiteral("4"), QStringLiteral("1"), {"5@4"});
    fila("05 serie 01", "05", QStringLiteral("01"), QStringLiteral("1"), {"4@4"});
    fila("05 sin serie", "05", QString(), QStringLiteral("1"), {"4@4"});
    fila("55 serie 12 numero 12", "55", QStringLiteral("12"), digitos(12), {"4@4", "4@5"});

    // Types 50 to 54, with no code table here.
    fila("50 300 numero 6", "50", QStringLiteral("300"), QStringLiteral("123456"));
    fila("50 12A", "50", QStringLiteral("12A"), QStringLiteral("1"), {"5@4"});
    fila("50 0012 numero 7", "50", QStringLiteral("0012"), n7, {"4@4", "4@5"});
    fila("54 numero 20", "54", QStringLiteral("123"), digitos(20));
    fila("54 numero 21", "54", QStringLiteral("123"), digitos(21), {"4@5"});

    // Types 10 22 46.
    fila("10 1683", "10", QStringLiteral("1683"), digitos(20));
    fila("10 1684", "10", QStringLiteral("1684"), QStringLiteral("1"), {"5@4"});
    fila("10 E001", "10", QStringLiteral("E001"), QStringLiteral("1"), {"5@4"});
    fila("10 168", "10", QStringLiteral("168"), QStringLiteral("1"), {"4@4"});
    fila("10 numero cero", "10", QStringLiteral("1683"), QStringLiteral("0"), {"5@5"});
    fila("22 0820", "22", QStringLiteral("0820"), QStringLiteral("1"));
    fila("22 1683", "22", QStringLiteral("1683"), QStringLiteral("1"), {"5@4"});
    fila("46 0001", "46", QStringLiteral("0001"), QStringLiteral("1"));
    fila("46 A001 numero 21", "46", QStringLiteral("A001"), digitos(21), {"5@4", "4@5"});

    // Types 34 35 36 48 56 89.
    fila("56 0000", "56", QStringLiteral("0000"), QStringLiteral("1"), {"5@4"});
    fila("56 0001 numero 11", "56", QStringLiteral("0001"), digitos(11));
    fila("56 numero 12", "56", QStringLiteral("0001"), digitos(12), {"4@5"});
    fila("48 0000", "48", QStringLiteral("0000"), n7);
    fila("36 numero 8", "36", QStringLiteral("1234"), n8);
    fila("36 numero 9", "36", QStringLiteral("1234"), QStringLiteral("123456789"), {"4@5"});
    fila("34 numero 8", "34", QStringLiteral("1234"), n8, {"4@5"});
    fila("89 letra", "89", QStringLiteral("12A4"), QStringLiteral("1"), {"5@4"});
    fila("34 serie 2 numero cero", "34", QStringLiteral("12"), QStringLiteral("0"), {"4@4", "5@5"});

    // Types in no group.
    fila("09 numero cero", "09", QStringLiteral("X"), QStringLiteral("0"), {kNoValido, "5@5"});
    fila("09 numero 15", "09", QStringLiteral("X"), QStringLiteral("15"), {kNoValido});
    fila("91", "91", QString(), QStringLiteral("1"), {kNoValido});
    fila("01 con blanco", " 01", QStringLiteral("0001"), QStringLiteral("1"), {kNoValido});

    // The common tail reads the number's value.
    fila("12 000", "12", QString(), QStringLiteral("000"), {"5@5"});
    fila("12 -3", "12", QString(), QStringLiteral("-3"), {"5@5"});
    fila("12 texto", "12", QString(), QStringLiteral("ABC"), {"5@5"});
    fila("12 0.5", "12", QString(), QStringLiteral("0.5"));
    fila("12 numero de 400 cifras", "12", QString(), QStringLiteral("1") + digitos(399, QLatin1Char('0')),
         {"4@5"});
    fila("12 negativo de 400 cifras", "12", QString(), QStringLiteral("-") + digitos(399), {"4@5", "5@5"});
    fila("12 exponente enorme", "12", QString(), QStringLiteral("1e999"));
}

void TstOtherVoucher::primerUsoDesdeVariosHilos()
{
    QVERIFY(todosLosHilos([] {
        QList<KovColumna> cols = voucher(QStringLiteral("50"), QStringLiteral("300"), QStringLiteral("0"));
        KovRespuesta otros;
        KovRespuesta variante;
        checkCdpTipSerNumOtros(&otros, &cols, kTipo, kSerie, kNumero);
        checkTipSerNum(&variante, &cols, kTipo, kSerie, kNumero);
        return errores(otros) == QLatin1String("6@4; 5@5") && errores(variante) == QLatin1String("5@5");
    }));
}

// Every two-digit code, against the codes that each chain leaves out, written as ranges.
void TstOtherVoucher::tiposSinGrupo()
{
    QSet<int> sinGrupoOtros = {38, 39, 47, 90, 99};
    for (int t = 57; t <= 86; ++t)
        sinGrupoOtros << t;
    for (int t = 92; t <= 95; ++t)
        sinGrupoOtros << t;
    const QSet<int> sinGrupoVariante = QSet<int>(sinGrupoOtros) + QSet<int>{9, 20, 31, 33, 40, 41, 91};

    for (int t = 0; t <= 99; ++t) {
        const QString tipo = QStringLiteral("%1").arg(t, 2, 10, QLatin1Char('0'));
        QList<KovColumna> cols = voucher(tipo, QStringLiteral("X"), QStringLiteral("1"));
        KovRespuesta otros;
        checkCdpTipSerNumOtros(&otros, &cols, kTipo, kSerie, kNumero);
        QVERIFY2(errores(otros).contains(kNoValido) == sinGrupoOtros.contains(t), qPrintable(tipo));
        KovRespuesta variante;
        checkTipSerNum(&variante, &cols, kTipo, kSerie, kNumero);
        QVERIFY2(errores(variante).contains(kNoValido) == sinGrupoVariante.contains(t), qPrintable(tipo));
    }
}

void TstOtherVoucher::resultadoCuentaSoloEstaLlamada()
{
    const ReglaComprobante reglas[] = {checkCdpTipSerNumOtros, checkTipSerNum};
    for (ReglaComprobante regla : reglas) {
        QList<KovColumna> cols = voucher(QStringLiteral("01"), QStringLiteral("F001"), QStringLiteral("1"));
        KovRespuesta resp;
        resp.addError(7, 1);
        QVERIFY(regla(&resp, &cols, kTipo, kSerie, kNumero));
        QCOMPARE(resp.getNumErrores(), 1);

        cols = voucher(QStringLiteral("01"), QStringLiteral("F001"), QStringLiteral("0"));
        QVERIFY(!regla(&resp, &cols, kTipo, kSerie, kNumero));
        QCOMPARE(errores(resp), QStringLiteral("7@1; 5@5"));
    }
}

void TstOtherVoucher::columnaFueraDeLaListaSeLeeVacia()
{
    QList<KovColumna> cols = voucher(QStringLiteral("01"), QStringLiteral("F001"), QStringLiteral("1"));
    KovRespuesta resp;
    QVERIFY(!checkCdpTipSerNumOtros(&resp, &cols, kTipo, kSerie, 99));
    QCOMPARE(errores(resp), QStringLiteral("52@99"));

    // With no series the second variant meets an empty first letter.
    KovRespuesta otra;
    QVERIFY(!checkTipSerNum(&otra, &cols, kTipo, 0, kNumero));
    QCOMPARE(errores(otra), QStringLiteral("4@0"));
}

QTEST_APPLESS_MAIN(TstOtherVoucher)
#include "tst_othervoucher.moc"
