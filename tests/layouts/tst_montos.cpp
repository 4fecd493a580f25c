#include "../rules/registrosprueba.h"
#include "montos.h"
#include "rulehelpers.h"

#include <QtTest>

class TestMontos : public QObject
{
    Q_OBJECT

private slots:
    void cadaColumnaComoLeeMonto();
};

// Read in any order and any number of times, each column gives what leeMonto gives its text, also past the columns
// a record keeps read and outside the record.
void TestMontos::cadaColumnaComoLeeMonto()
{
    QStringList campos;
    for (int col = 1; col <= 60; ++col)
        campos << (col % 7 == 0 ? QStringLiteral("abc") : QString::number(col * 11.5 - 300.0, 'f', 2));
    QList<KovColumna> cols = registro(campos);
    const Montos montos(&cols);
    QList<int> orden;
    for (int col = 62; col >= -1; --col)
        orden << col;
    for (int col = -1; col <= 62; ++col)
        orden << col;
    for (const int col : qAsConst(orden)) {
        const LecturaMonto esperada = leeMonto(getData(&cols, col));
        const LecturaMonto leida = montos.lectura(col);
        QCOMPARE(leida.valor, esperada.valor);
        QCOMPARE(leida.signo, esperada.signo);
        QCOMPARE(montos[col], esperada.valor);
    }
}

QTEST_APPLESS_MAIN(TestMontos)
#include "tst_montos.moc"
