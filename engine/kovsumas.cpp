#include "kovsumas.h"

#include "kovtotales.h"

#include <cmath>

namespace {

qint64 absoluto(qint64 v)
{
    return v < 0 ? -v : v;
}

} // namespace

void KovSumas::limpia()
{
    filas.clear();
    indice.clear();
    previas.clear();
    direcciones.clear();
    enDirecciones = 0;
    cuenta = 0;
    exacta = true;
}

// Lines report their totals in the same order, so a name is looked for first where the previous line's entry of
// the same rank was found, then just after the entry before it, since a line's totals of one kind come together.
// There a name from one fixed table is told by the address of its text alone.
int KovSumas::fila(const QString &nombre, const QString &periodo, int rango, int siguiente)
{
    if (previas.size() <= size_t(rango))
        previas.resize(size_t(rango) + 1, -1);
    const void *texto = const_cast<QString &>(nombre).data_ptr();
    const int cuantas = int(filas.size());
    for (const int pos : {previas[size_t(rango)], siguiente}) {
        if (pos >= 0 && pos < cuantas && filas[size_t(pos)].texto == texto
            && KovTotales::mismo(filas[size_t(pos)].periodo, periodo)) {
            previas[size_t(rango)] = pos;
            return pos;
        }
    }
    // A name met again elsewhere in the line: by its address when it is the row's own text, else by its text.
    int pos = periodo.isNull() ? porDireccion(texto) : -1;
    if (pos < 0) {
        const QString clave = periodo.isNull() ? nombre : nombre + QStringLiteral("__") + periodo;
        pos = indice.value(clave, -1);
        if (pos < 0) {
            pos = cuantas;
            filas.push_back(Fila{nombre, nullptr, periodo, false, KovImporte(), 0, 0, 0});
            // The row's own copy holds that address for as long as the row lives.
            filas.back().texto = filas.back().nombre.data_ptr();
            indice.insert(clave, pos);
            if (periodo.isNull())
                guardaDireccion(filas.back().texto, pos);
        }
    }
    previas[size_t(rango)] = pos;
    return pos;
}

namespace {

size_t hueco(const void *direccion, size_t mascara)
{
    return size_t((quintptr(direccion) >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mascara;
}

} // namespace

int KovSumas::porDireccion(const void *texto) const
{
    if (direcciones.empty())
        return -1;
    const size_t mascara = direcciones.size() - 1;
    for (size_t h = hueco(texto, mascara);; h = (h + 1) & mascara) {
        if (direcciones[h].first == texto)
            return direcciones[h].second;
        if (!direcciones[h].first)
            return -1;
    }
}

// An open table of the rows' own text addresses, at most half full.
void KovSumas::guardaDireccion(const void *texto, int pos)
{
    if (2 * (enDirecciones + 1) > direcciones.size()) {
        std::vector<std::pair<const void *, int>> anteriores(qMax<size_t>(256, 2 * direcciones.size()));
        anteriores.swap(direcciones);
        enDirecciones = 0;
        for (const auto &d : anteriores) {
            if (d.first)
                guardaDireccion(d.first, d.second);
        }
    }
    const size_t mascara = direcciones.size() - 1;
    size_t h = hueco(texto, mascara);
    while (direcciones[h].first)
        h = (h + 1) & mascara;
    direcciones[h] = {texto, pos};
    ++enDirecciones;
}

void KovSumas::suma(Fila &f, const KovImporte &importe)
{
    ++cuenta;
    if (!importe.esExacto() || (f.entera && importe.milesimas() % 1000 != 0)) {
        exacta = false;
        return;
    }
    if (f.veces++ == 0)
        f.primera = importe;
    else
        f.resto += importe.milesimas();
    f.absolutas += absoluto(importe.milesimas());
    // Far beyond what any merge could add exactly: the batch is merged line by line.
    if (f.absolutas > KovImporte::kLimiteSuma)
        exacta = false;
}

void KovSumas::agrega(const QVector<TotalRespuesta> &entradas, const QString &marca)
{
    int anterior = -1;
    const TotalRespuesta *datos = entradas.constData();
    const int n = entradas.size();
    const QString sinPeriodo;
    for (int r = 0; r < n && exacta; ++r) {
        const TotalRespuesta &e = datos[r];
        anterior = fila(e.atrib, sinPeriodo, r, anterior + 1);
        Fila &f = filas[size_t(anterior)];
        // Most totals a record declares are zero, and a zero changes nothing once a name was summed twice.
        if (f.veces >= 2 && e.valor == 0.0 && !std::signbit(e.valor)) {
            ++cuenta;
            continue;
        }
        if (f.veces == 0)
            f.entera = e.atrib.contains(marca);
        suma(f, KovImporte::deValor(e.valor));
    }
}

void KovSumas::agregaPeriodos(const QVector<TotalPeriodo> &entradas)
{
    int anterior = -1;
    for (int r = 0; r < entradas.size() && exacta; ++r) {
        const TotalPeriodo &e = entradas.at(r);
        // A period is never null, so the key keeps its "__" even for an empty one.
        anterior = fila(e.atrib, e.periodo.isNull() ? QStringLiteral("") : e.periodo, r, anterior + 1);
        suma(filas[size_t(anterior)], KovImporte::deValor(e.valor));
    }
}

bool KovSumas::fusionaEn(KovTotales *totales, const QString &marca, bool nuevaConMarca) const
{
    if (!exacta)
        return false;
    // Each name's place in the list (-1: new) and the text it starts from, all checked before anything changes.
    QVector<int> posiciones(int(filas.size()));
    QVector<KovImporte> inicios(int(filas.size()));
    int sugerida = -1;
    for (int i = 0; i < int(filas.size()); ++i) {
        const Fila &f = filas[size_t(i)];
        const int pos = totales->posicion(f.nombre, sugerida + 1);
        posiciones[i] = pos;
        if (pos >= 0) {
            sugerida = pos;
            const KovImporte &t = totales->importe(pos);
            if (!t.esExacto() || (totales->entera(pos) && t.milesimas() % 1000 != 0)
                || absoluto(t.milesimas()) + f.absolutas > KovImporte::kLimiteSuma)
                return false;
            inicios[i] = t;
            continue;
        }
        const bool entera = f.nombre.contains(marca);
        const KovImporte inicio = nuevaConMarca ? KovImporte::deNumero(f.primera.valor(), entera ? 0 : 3) : f.primera;
        if (f.veces > 1
            && (!inicio.esExacto() || (entera && inicio.milesimas() % 1000 != 0)
                || absoluto(inicio.milesimas()) + f.absolutas > KovImporte::kLimiteSuma))
            return false;
        inicios[i] = inicio;
    }
    for (int i = 0; i < int(filas.size()); ++i) {
        const Fila &f = filas[size_t(i)];
        const KovImporte &inicio = inicios.at(i);
        if (posiciones.at(i) >= 0) {
            const int pos = posiciones.at(i);
            const int decimales = totales->entera(pos) ? 0 : 3;
            totales->cambia(pos, KovImporte::exacta(inicio.milesimas() + f.primera.milesimas() + f.resto, decimales));
        } else {
            const bool entera = f.nombre.contains(marca);
            totales->agrega(f.nombre, entera,
                            f.veces == 1 ? inicio
                                         : KovImporte::exacta(inicio.milesimas() + f.resto, entera ? 0 : 3));
        }
    }
    return true;
}

bool KovSumas::fusionaPeriodosEn(KovTotales *totales) const
{
    if (!exacta)
        return false;
    QVector<int> posiciones(int(filas.size()));
    for (int i = 0; i < int(filas.size()); ++i) {
        const Fila &f = filas[size_t(i)];
        const int pos = totales->posicion(f.nombre, f.periodo, -1);
        posiciones[i] = pos;
        if (pos >= 0) {
            const KovImporte &t = totales->importe(pos);
            if (!t.esExacto() || absoluto(t.milesimas()) + f.absolutas > KovImporte::kLimiteSuma)
                return false;
        }
    }
    for (int i = 0; i < int(filas.size()); ++i) {
        const Fila &f = filas[size_t(i)];
        const qint64 suma = f.primera.milesimas() + f.resto;
        const int pos = posiciones.at(i);
        if (pos >= 0)
            totales->cambia(pos, KovImporte::exacta(totales->importe(pos).milesimas() + suma, 3));
        else
            totales->agrega(f.nombre, f.periodo, KovImporte::exacta(suma, 3));
    }
    return true;
}
