#include "rulehelpers.h"

#include "dateparser.h"
#include "kovcolumna.h"
#include "lecturamonto.h"

#include <QRegExp>

namespace {

bool esDigito(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool esLetraOCifra(QChar c)
{
    return esDigito(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Whether the characters from `desde` on are one or more that pass `pasa`.
bool todosDesde(const QString &texto, int desde, bool (*pasa)(QChar))
{
    const int largo = texto.size();
    if (desde >= largo)
        return false;
    const QChar *c = texto.constData();
    for (int i = desde; i < largo; ++i) {
        if (!pasa(c[i]))
            return false;
    }
    return true;
}

bool empiezaConMenos(const QString &texto)
{
    return texto.startsWith(QLatin1Char('-'));
}

// Reads a numeral in the form QString::toDouble accepts in the C locale (sign, digits with an optional
// decimal point, optional exponent, blanks around it), without converting it: the sign and whether a digit
// other than 0 appears are known exactly however long the text is.
bool leerNumeral(const QString &texto, bool *negativo, bool *distintoDeCero)
{
    const QString s = texto.trimmed();
    const int n = s.size();
    int i = 0;
    *negativo = false;
    *distintoDeCero = false;
    if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-'))) {
        *negativo = s.at(i) == QLatin1Char('-');
        ++i;
    }
    int digitos = 0;
    for (; i < n && esDigito(s.at(i)); ++i, ++digitos)
        *distintoDeCero = *distintoDeCero || s.at(i) != QLatin1Char('0');
    if (i < n && s.at(i) == QLatin1Char('.')) {
        for (++i; i < n && esDigito(s.at(i)); ++i, ++digitos)
            *distintoDeCero = *distintoDeCero || s.at(i) != QLatin1Char('0');
    }
    if (digitos == 0)
        return false;
    if (i < n && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
            ++i;
        int exponente = 0;
        for (; i < n && esDigito(s.at(i)); ++i)
            ++exponente;
        if (exponente == 0)
            return false;
    }
    return i == n;
}

} // namespace

bool inList(const QString &value, const QStringList &list)
{
    for (const QString &elemento : qAsConst(list)) {
        if (elemento.compare(value, Qt::CaseSensitive) == 0)
            return true;
    }
    return false;
}

QString getData(QList<KovColumna> *cols, int col)
{
    if (!cols || col < 1 || col > cols->size())
        return QString();
    return cols->at(col - 1).getData();
}

bool validarIngresoCasilla(const QString &value)
{
    return validarIngresoCasilla(value, leeMonto(value));
}

bool validarIngresoCasilla(const QString &value, const LecturaMonto &monto)
{
    return value == QLatin1String("0") || value == QLatin1String("0.00") || !monto.esCero();
}

bool isValidRUC(const QString &value)
{
    static const int pesos[10] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    if (!esSoloDigitos(value) || value.size() != 11)
        return false;
    int suma = 0;
    for (int i = 0; i < 10; ++i)
        suma += pesos[i] * value.at(i).digitValue();
    int verificador = 11 - suma % 11;
    if (verificador >= 10)
        verificador -= 10;
    return verificador == value.at(10).digitValue();
}

double numeroTexto(const QString &texto)
{
    return leeMonto(texto).valor;
}

int signoNumero(const QString &texto)
{
    return leeMonto(texto).signo;
}

int signoCifras(const QString &texto)
{
    bool negativo, distintoDeCero;
    if (leerNumeral(texto, &negativo, &distintoDeCero))
        return distintoDeCero ? (negativo ? -1 : 1) : 0;
    return signoNumero(texto);
}

int enteroTexto(const QString &texto)
{
    int valor;
    return cifrasEnteras(texto, 0, -1, &valor) ? valor : texto.toInt();
}

bool cifrasEnteras(const QString &texto, int desde, int largo, int *valor)
{
    // Nine digits stay below the largest int.
    const int kMaximoCifras = 9;
    const int fin = largo < 0 || largo > texto.size() - desde ? texto.size() : desde + largo;
    if (desde < 0 || fin <= desde || fin - desde > kMaximoCifras)
        return false;
    const QChar *c = texto.constData();
    int resultado = 0;
    for (int i = desde; i < fin; ++i) {
        if (!esDigito(c[i]))
            return false;
        resultado = resultado * 10 + (c[i].unicode() - '0');
    }
    *valor = resultado;
    return true;
}

bool coincide(const QString &texto, const QString &patron)
{
    // A fresh QRegExp per call: exactMatch keeps match state, so one instance must not serve two threads.
    QRegExp expresion(patron);
    return expresion.exactMatch(texto);
}

bool esSoloDigitos(const QString &texto)
{
    return todosDesde(texto, 0, esDigito);
}

bool esCifrasConSigno(const QString &texto)
{
    return todosDesde(texto, empiezaConMenos(texto) ? 1 : 0, esDigito);
}

bool esCifrasNegativas(const QString &texto)
{
    return empiezaConMenos(texto) && todosDesde(texto, 1, esDigito);
}

bool esAlfanumerico(const QString &texto)
{
    return todosDesde(texto, 0, esLetraOCifra);
}

QDate fechaTexto(const QString &texto)
{
    return leeFechaDiaMesAnio(texto);
}

QDate fechaPeriodo(const QString &periodo)
{
    return leeFechaAnioMesDia(periodo);
}

int anioPeriodo(const QString &periodo)
{
    int valor;
    return cifrasEnteras(periodo, 0, 4, &valor) ? valor : periodo.mid(0, 4).toInt();
}

int mesPeriodo(const QString &periodo)
{
    int valor;
    return cifrasEnteras(periodo, 4, 2, &valor) ? valor : periodo.mid(4, 2).toInt();
}

int diaPeriodo(const QString &periodo)
{
    int valor;
    return cifrasEnteras(periodo, 6, -1, &valor) ? valor : periodo.mid(6).toInt();
}

qint64 numeroPeriodo(const QString &periodo)
{
    int valor;
    return cifrasEnteras(periodo, 0, -1, &valor) ? valor : periodo.toLongLong();
}
