#include "codetables.h"
#include "conjuntocodigos.h"
#include "rulehelpers.h"
#include "textosprueba.h"

#include <QtTest>

namespace {

// Characters that codes are made of, their neighbours, Latin-1 letters, and characters beyond Latin-1 whose low
// byte is a digit or a letter of the codes ("İ" is U+0130, low byte "0"), so that a number built from bytes alone
// would take them for code characters.
const QString kAlfabeto = QStringLiteral("0125679ABEFGHbe \u00e9\u00ff\u0100\u0130\u0131\u0145\u0142\uff11")
    + QChar(QChar::Null);

// Every text of up to three characters of the alphabet, then every code of the list, with a blank on either side,
// shortened, lengthened and with each character changed.
QStringList candidatos(const QStringList &codigos)
{
    QStringList textos = todosLosTextos(kAlfabeto, 3) << QStringLiteral("");
    for (const QString &codigo : codigos) {
        textos << codigo << QLatin1Char(' ') + codigo << codigo + QLatin1Char(' ') << codigo.left(codigo.size() - 1);
        for (const QChar c : kAlfabeto) {
            textos << codigo + c << c + codigo;
            for (int i = 0; i < codigo.size(); ++i) {
                QString cambiado = codigo;
                cambiado[i] = c;
                textos << cambiado;
            }
        }
    }
    return textos;
}

} // namespace

class TestConjuntoCodigos : public QObject
{
    Q_OBJECT

private slots:
    void comoInList_data();
    void comoInList();
    void formasDeEscribirlo();
};

void TestConjuntoCodigos::comoInList_data()
{
    QTest::addColumn<QStringList>("codigos");

    QTest::newRow("voucher types") << listaCodigos("00 01 02 03 04 05 06 07 08 10 11 12 13 14 46 50 87 88 89 96");
    QTest::newRow("states") << listaCodigos("0 1 6 7 9");
    QTest::newRow("series") << listaCodigos("E001 EB01 1683 0820 019 965");
    QTest::newRow("seven and eight characters") << listaCodigos("ABCDEFG ABCDEFGH 080100 0801000");
    QTest::newRow("Latin-1 and wider codes")
        << QStringList{QStringLiteral("\u00e9\u00ff"), QStringLiteral("\u0100B"), QStringLiteral("0\u0130")};
    QTest::newRow("an empty code") << QStringList{QString(), QStringLiteral("1")};
    QTest::newRow("no code") << QStringList();
}

// Membership is inList's, over every text near the codes.
void TestConjuntoCodigos::comoInList()
{
    QFETCH(QStringList, codigos);
    const ConjuntoCodigos conjunto(codigos);
    for (const QString &texto : candidatos(codigos)) {
        if (conjunto.contiene(texto) != inList(texto, codigos))
            QFAIL(qPrintable(QStringLiteral("differs at \"%1\"").arg(texto)));
    }
}

void TestConjuntoCodigos::formasDeEscribirlo()
{
    const ConjuntoCodigos texto("07 01  87");
    const ConjuntoCodigos lista = {"07", "01", "87"};
    for (const char *codigo : {"07", "01", "87", "7", "0", "", "07 01", "88"}) {
        const QString valor = QLatin1String(codigo);
        const bool esperado = valor == QLatin1String("07") || valor == QLatin1String("01")
            || valor == QLatin1String("87");
        QCOMPARE(texto.contiene(valor), esperado);
        QCOMPARE(lista.contiene(valor), esperado);
    }
}

QTEST_APPLESS_MAIN(TestConjuntoCodigos)
#include "tst_conjuntocodigos.moc"
