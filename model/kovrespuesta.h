#ifndef KOVRESPUESTA_H
#define KOVRESPUESTA_H

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>

#include <cmath>

// Error entry: {"cod": int, "col": int} or, for worded findings, {"cod": 666, "col": int, "des": text}.
typedef QMap<QString, QVariant> ErrorRespuesta;
// Total entry: {"atrib": text, "valor": text with three decimals}, plus "per" (text) for per-period totals.
typedef QMap<QString, QVariant> EntradaAcumulador;

// A total as the result holds it: the name (shared with the caller's text, never copied) and the amount, already
// counted 0 when not finite. Its "valor" text is textoValor(valor).
struct TotalRespuesta
{
    QString atrib;
    double valor;
};

// A per-period total: the same with the period it belongs to.
struct TotalPeriodo
{
    QString atrib;
    QString periodo;
    double valor;
};
Q_DECLARE_TYPEINFO(TotalRespuesta, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(TotalPeriodo, Q_MOVABLE_TYPE);

// What a column function, a rule or a record validator hands back to the book engine.
class KovRespuesta
{
public:
    KovRespuesta();

    void addError(int cod, int col);
    void addError(int cod);
    void addError(const QString &descripcion, int col);
    bool hasErrores() const;

    void addAcumulador(const QString &atrib, double valor);
    void addAgregado(const QString &atrib, double valor);
    void addCasillas(const QString &atrib, double valor);
    // A name built for the call is taken over as it is.
    void addAcumulador(QString &&atrib, double valor);
    void addAgregado(QString &&atrib, double valor);
    void addCasillas(QString &&atrib, double valor);
    void addPerAcumulador(const QString &atrib, const QString &periodo, double valor);
    bool hasAcumuladores() const;
    bool hasAgregados() const;
    bool hasCasillas() const;
    bool hasPerAcumuladores() const;

    void addCounterDetail();
    int getTotalLineDetail() const;
    void addEstado7();
    int getNumeroEstado7() const;
    void addEstado1Debe(double valor);
    void addEstado1Haber(double valor);
    double getEstado1Debe() const;
    double getEstado1Haber() const;
    void setNotAddLine();
    bool getNotAddLine() const;

    int getNumErrores() const;
    QList<ErrorRespuesta> getErrores() const;
    QList<EntradaAcumulador> getAcumuladores() const;
    QList<EntradaAcumulador> getAgregados() const;
    QList<EntradaAcumulador> getCasillas() const;
    QList<EntradaAcumulador> getPerAcumuladores() const;

    // Drops every total, keeping the errors and the counts: for the book engine, once it has taken the totals.
    void quitaTotales();

    // The same totals as they are held, for the book engine to merge without a map or a text per entry.
    const QVector<TotalRespuesta> &totalesAcumuladores() const;
    const QVector<TotalRespuesta> &totalesAgregados() const;
    const QVector<TotalRespuesta> &totalesCasillas() const;
    const QVector<TotalPeriodo> &totalesPerAcumuladores() const;

    // The "valor" text of an amount: fixed notation, three decimals; a non-finite amount counts 0.
    static QString textoValor(double valor);
    // A non-finite amount ("inf", "nan" read as a number) counts 0 wherever amounts are summed or compared.
    static double valorFinito(double valor) { return std::isfinite(valor) ? valor : 0.0; }

private:
    QList<ErrorRespuesta> errores;
    QVector<TotalRespuesta> acumuladores;
    QVector<TotalRespuesta> agregados;
    QVector<TotalRespuesta> casillas;
    QVector<TotalPeriodo> perAcumuladores;
    qint32 numErrores;
    qint32 numEstado7;
    double estado1Debe;
    double estado1Haber;
    bool notAddLine;
    qint64 totalLineDetail;
};

#endif // KOVRESPUESTA_H
