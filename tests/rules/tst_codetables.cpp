#include "codetables.h"
#include "firstuse.h"

#include <QtTest>

namespace {

typedef bool (*Consulta)(const QString &);

// Every code of `digitos` digits that the lookup accepts, in ascending order.
QStringList aceptados(Consulta consulta, int digitos)
{
    QStringList resultado;
    const int tope = digitos == 2 ? 100 : 1000;
    for (int n = 0; n < tope; ++n) {
        const QString codigo = QStringLiteral("%1").arg(n, digitos, 10, QLatin1Char('0'));
        if (consulta(codigo))
            resultado << codigo;
    }
    return resultado;
}

const QStringList kTabla11 = {
    "019", "028", "046", "055", "082", "091", "118", "127", "145", "154", "163", "172", "181", "190", "217",
    "226", "235", "244", "262", "271", "280", "299", "884", "893", "910", "929", "938", "947", "956", "965",
};
const QStringList kSerieObligada = {
    "01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "12", "20", "22", "23", "25", "31",
    "33", "34", "35", "36", "40", "41", "46", "48", "50", "51", "52", "53", "54", "55", "56", "89",
};

} // namespace

Q_DECLARE_METATYPE(Consulta)

class TestCodeTables : public QObject
{
    Q_OBJECT

private slots:
    // Runs first, so that the threads race on the very first use of every table.
    void firstUseFromManyThreads();
    void lookup_data();
    void lookup();
    void exactMembers_data();
    void exactMembers();
    void codeList_data();
    void codeList();
};

void TestCodeTables::firstUseFromManyThreads()
{
    QVERIFY(todosLosHilos([] {
        return aceptados(checkHardcodeTabla11, 3) == kTabla11 && aceptados(checkCdpSerieObliga, 2) == kSerieObligada
            && aceptados(checkCdpNumeroOpta, 2) == QStringList { "96" };
    }));
}

void TestCodeTables::lookup_data()
{
    QTest::addColumn<Consulta>("consulta");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<bool>("esta");

    const Consulta tabla11 = checkHardcodeTabla11;
    const Consulta serie = checkCdpSerieObliga;
    const Consulta numero = checkCdpNumeroOpta;

    QTest::newRow("tabla11 first") << tabla11 << "019" << true;
    QTest::newRow("tabla11 last") << tabla11 << "965" << true;
    QTest::newRow("tabla11 unpadded") << tabla11 << "19" << false;
    QTest::newRow("tabla11 absent") << tabla11 << "300" << false;
    QTest::newRow("tabla11 neighbour") << tabla11 << "020" << false;
    QTest::newRow("tabla11 empty") << tabla11 << "" << false;
    QTest::newRow("tabla11 trailing blank") << tabla11 << "019 " << false;
    QTest::newRow("tabla11 leading blank") << tabla11 << " 019" << false;
    QTest::newRow("tabla11 four digits") << tabla11 << "0019" << false;

    QTest::newRow("serie first") << serie << "01" << true;
    QTest::newRow("serie last") << serie << "89" << true;
    QTest::newRow("serie 00") << serie << "00" << false;
    QTest::newRow("serie 11") << serie << "11" << false;
    QTest::newRow("serie 96") << serie << "96" << false;
    QTest::newRow("serie unpadded") << serie << "5" << false;
    QTest::newRow("serie blank") << serie << " 01" << false;
    QTest::newRow("serie empty") << serie << "" << false;

    QTest::newRow("numero 96") << numero << "96" << true;
    QTest::newRow("numero 00") << numero << "00" << false;
    QTest::newRow("numero 01") << numero << "01" << false;
    QTest::newRow("numero 96 blank") << numero << "96 " << false;
    QTest::newRow("numero empty") << numero << "" << false;
}

void TestCodeTables::lookup()
{
    QFETCH(Consulta, consulta);
    QFETCH(QString, valor);
    QFETCH(bool, esta);
    QCOMPARE(consulta(valor), esta);
}

void TestCodeTables::exactMembers_data()
{
    QTest::addColumn<Consulta>("consulta");
    QTest::addColumn<int>("digitos");
    QTest::addColumn<QStringList>("miembros");

    QTest::newRow("tabla11 over 000-999") << Consulta(checkHardcodeTabla11) << 3 << kTabla11;
    QTest::newRow("serie over 00-99") << Consulta(checkCdpSerieObliga) << 2 << kSerieObligada;
    QTest::newRow("numero over 00-99") << Consulta(checkCdpNumeroOpta) << 2 << QStringList { "96" };
}

void TestCodeTables::exactMembers()
{
    QFETCH(Consulta, consulta);
    QFETCH(int, digitos);
    QFETCH(QStringList, miembros);
    QCOMPARE(aceptados(consulta, digitos), miembros);
}

void TestCodeTables::codeList_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("codigos");

    QTest::newRow("in written order") << "07 01 87" << QStringList { "07", "01", "87" };
    QTest::newRow("one code") << "14" << QStringList { "14" };
    QTest::newRow("no code") << "" << QStringList();
    QTest::newRow("stray blanks make no empty code") << " 00  03 " << QStringList { "00", "03" };
    QTest::newRow("codes kept as written") << "E001 eb01 1" << QStringList { "E001", "eb01", "1" };
}

void TestCodeTables::codeList()
{
    QFETCH(QString, texto);
    QFETCH(QStringList, codigos);
    QCOMPARE(listaCodigos(texto.toLatin1().constData()), codigos);
}

QTEST_APPLESS_MAIN(TestCodeTables)
#include "tst_codetables.moc"
