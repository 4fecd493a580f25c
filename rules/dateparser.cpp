#include "dateparser.h"

namespace {

// The number in the field of `ancho` characters at `desde`, or -1 when the field is not a number.
int campo(const QString &texto, int desde, int ancho)
{
    const QChar *c = texto.constData() + desde;
    const QChar *const fin = c + ancho;
    if (*c == QLatin1Char('+'))
        ++c;
    if (c == fin)
        return -1;
    int valor = 0;
    for (; c != fin; ++c) {
        const ushort u = c->unicode();
        if (u < '0' || u > '9')
            return -1;
        valor = valor * 10 + (u - '0');
    }
    return valor;
}

// QDate itself refuses year 0, month 0 or 13 and a day past the month's end.
PartesFecha partesDeCampos(int anio, int mes, int dia)
{
    PartesFecha partes;
    if (anio < 0 || mes < 0 || dia < 0)
        return partes;
    partes.anio = anio;
    partes.mes = mes;
    partes.dia = dia;
    partes.valida = QDate::isValid(anio, mes, dia);
    return partes;
}

QDate aFecha(const PartesFecha &partes)
{
    return partes.valida ? QDate(partes.anio, partes.mes, partes.dia) : QDate();
}

} // namespace

PartesFecha lePartesDiaMesAnio(const QString &texto)
{
    if (texto.size() != 10 || texto.at(2) != QLatin1Char('/') || texto.at(5) != QLatin1Char('/'))
        return PartesFecha();
    return partesDeCampos(campo(texto, 6, 4), campo(texto, 3, 2), campo(texto, 0, 2));
}

QDate leeFechaDiaMesAnio(const QString &texto)
{
    return aFecha(lePartesDiaMesAnio(texto));
}

QDate leeFechaAnioMesDia(const QString &texto)
{
    if (texto.size() != 8)
        return QDate();
    return aFecha(partesDeCampos(campo(texto, 0, 4), campo(texto, 4, 2), campo(texto, 6, 2)));
}
