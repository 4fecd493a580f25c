// A batch's totals merged as their sums leave a job's lists as merging the batch's lines one by one does: every
// name, its place and its text, over random batches of whole, fractional, negative-zero, huge and non-finite
// amounts, onto lists that already hold some of the names.
#include "kovimporte.h"
#include "kovrespuesta.h"
#include "kovsumas.h"
#include "kovtotales.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// Merging one line's totals into a list, the way the book engine merges a line: each name found and summed onto
// with the decimals its name calls for, or added from its amount.
void fusionaLinea(const QVector<TotalRespuesta> &entradas, KovTotales *totales, const QString &marca,
                  bool nuevaConMarca)
{
    for (const TotalRespuesta &e : entradas) {
        const KovImporte valor = KovImporte::deValor(e.valor);
        const int pos = totales->posicion(e.atrib, -1);
        if (pos >= 0) {
            totales->cambia(pos, valor.mas(totales->importe(pos), totales->entera(pos) ? 0 : 3));
        } else {
            const bool entera = e.atrib.contains(marca);
            totales->agrega(e.atrib, entera,
                            nuevaConMarca ? KovImporte::deNumero(valor.valor(), entera ? 0 : 3) : valor);
        }
    }
}

void fusionaPeriodos(const QVector<TotalPeriodo> &entradas, KovTotales *totales)
{
    for (const TotalPeriodo &e : entradas) {
        const KovImporte valor = KovImporte::deValor(e.valor);
        const int pos = totales->posicion(e.atrib, e.periodo, -1);
        if (pos >= 0)
            totales->cambia(pos, totales->importe(pos).mas(valor, 3));
        else
            totales->agrega(e.atrib, e.periodo, KovImporte().mas(valor, 3));
    }
}

QString texto(const KovTotales &t)
{
    QStringList partes;
    for (const QVariant &v : t.lista()) {
        const QVariantMap m = v.toMap();
        partes << m.value(QStringLiteral("atrib")).toString() + QLatin1Char('=')
                      + m.value(QStringLiteral("valor")).toString();
    }
    return partes.join(QLatin1Char(' '));
}

// An amount of the kind `clase` picks: whole, three decimals, more decimals, a negative zero, near the largest
// exact sum, beyond it, or not finite.
double monto(QRandomGenerator &g, int clase)
{
    const double signo = g.bounded(3) == 0 ? -1.0 : 1.0;
    switch (clase) {
    case 0: return signo * double(g.bounded(1000));
    case 1: return signo * double(g.bounded(1000000)) / 1000.0;
    case 2: return signo * g.generateDouble() * 1000.0;
    case 3: return -0.0001;
    case 4: return signo * double(qint64(1) << 45);
    case 5: return signo * 1e15;
    case 6: return g.bounded(2) ? std::numeric_limits<double>::infinity() : std::nan("");
    default: return 0.0;
    }
}

} // namespace

class TestKovSumas : public QObject
{
    Q_OBJECT

private slots:
    void sumsMergeAsLines_data();
    void sumsMergeAsLines();
};

void TestKovSumas::sumsMergeAsLines_data()
{
    QTest::addColumn<int>("clases");
    QTest::addColumn<bool>("nuevaConMarca");
    // How many kinds of amount a batch draws from: whole ones only, then ever more kinds.
    for (int clases : {1, 2, 4, 5, 7}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 kinds, summary").arg(clases))) << clases << false;
        QTest::newRow(qPrintable(QStringLiteral("%1 kinds, aggregates").arg(clases))) << clases << true;
    }
}

void TestKovSumas::sumsMergeAsLines()
{
    QFETCH(int, clases);
    QFETCH(bool, nuevaConMarca);
    const QString marca = QStringLiteral("cnt_reg");
    const QStringList nombres = {QStringLiteral("mto_a"), QStringLiteral("cnt_reg_e1"), QStringLiteral("mto_b"),
                                 QStringLiteral("cnt_reg_e9"), QStringLiteral("mto_c"), QStringLiteral("x")};
    const QStringList periodos = {QStringLiteral("20240100"), QStringLiteral("20231200"), QString()};
    QRandomGenerator g(quint32(clases * 2 + (nuevaConMarca ? 1 : 0)));
    int porSumas = 0;
    for (int caso = 0; caso < 3000; ++caso) {
        KovTotales porLineas;
        KovTotales conSumas;
        KovTotales periodosPorLineas;
        KovTotales periodosConSumas;
        // Some names already in the lists, from lines merged before.
        const int lotes = 1 + g.bounded(3);
        for (int lote = 0; lote < lotes; ++lote) {
            KovSumas sumas;
            KovSumas sumasPeriodos;
            QVector<QVector<TotalRespuesta>> lineas;
            QVector<QVector<TotalPeriodo>> lineasPeriodos;
            const int n = 1 + g.bounded(6);
            for (int l = 0; l < n; ++l) {
                QVector<TotalRespuesta> linea;
                QVector<TotalPeriodo> periodosLinea;
                const int entradas = g.bounded(6);
                for (int e = 0; e < entradas; ++e) {
                    const int clase = g.bounded(clases);
                    const QString &nombre = nombres.at(g.bounded(nombres.size()));
                    // Counts are whole numbers, as the validators give them, unless the batch draws every kind.
                    const double v = nombre.contains(marca) && clases < 7 ? double(g.bounded(3)) : monto(g, clase);
                    linea.append(TotalRespuesta{nombre, KovRespuesta::valorFinito(v)});
                    periodosLinea.append(TotalPeriodo{nombre, periodos.at(g.bounded(periodos.size())),
                                                      KovRespuesta::valorFinito(monto(g, clase))});
                }
                sumas.agrega(linea, marca);
                sumasPeriodos.agregaPeriodos(periodosLinea);
                lineas.append(linea);
                lineasPeriodos.append(periodosLinea);
            }
            for (const auto &linea : lineas)
                fusionaLinea(linea, &porLineas, marca, nuevaConMarca);
            for (const auto &linea : lineasPeriodos)
                fusionaPeriodos(linea, &periodosPorLineas);
            if (sumas.fusionaEn(&conSumas, marca, nuevaConMarca)) {
                ++porSumas;
            } else {
                for (const auto &linea : lineas)
                    fusionaLinea(linea, &conSumas, marca, nuevaConMarca);
            }
            if (!sumasPeriodos.fusionaPeriodosEn(&periodosConSumas)) {
                for (const auto &linea : lineasPeriodos)
                    fusionaPeriodos(linea, &periodosConSumas);
            }
            QCOMPARE(texto(conSumas), texto(porLineas));
            QCOMPARE(texto(periodosConSumas), texto(periodosPorLineas));
        }
    }
    // The sums did the merging in many batches, not only the line by line fallback.
    QVERIFY2(porSumas > 300, qPrintable(QString::number(porSumas)));
}

QTEST_GUILESS_MAIN(TestKovSumas)
#include "tst_kovsumas.moc"
