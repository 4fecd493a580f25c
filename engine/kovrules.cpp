#include "kovrules.h"

#include "columnfunctions.h"
#include "generalbooks.h"
#include "purchaseregisters.h"
#include "salesregisters.h"

#include <QAtomicInt>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct EntradaColumna
{
    const char *name;
    FuncionColumna funcion;
};

struct EntradaRegistro
{
    const char *name;
    FuncionRegistro funcion;
    int columnaEstado;
};

// Every name stands in its place in the search order; a row whose function is not built yet (nullptr) finds
// nothing until the function lands and is written into its row.
static const EntradaColumna fx_columnas[] = {
    { "fcIniciaAMC", fcIniciaAMC },
    { "fcFecha", fcFecha },
    { "fcPositivo", fcPositivo },
    { "fcNegativo", fcNegativo },
    { "fcSoloPositivo", fcSoloPositivo },
    { "fcIndicador", fcIndicador },
    { "fcIndicadorVenta", fcIndicadorVenta },
    { "fcIndicadorCompra", fcIndicadorCompra },
};

static const EntradaRegistro fx_registros[] = {
    // Books 1 to 7.
    { "f010100", f010100, 19 },
    { "f010200", f010200, 15 },
    { "f030100", f030100, 5 },
    { "f030200", f030200, 8 },
    { "f030300", f030300, 9 },
    { "f030400", f030300, 9 },
    { "f030500", f030300, 9 },
    { "f030600", f030600, 12 },
    { "f030700", f030700, 12 },
    { "f030800", f030800, 12 },
    { "f030900", f030900, 9 },
    { "f031100", f031100, 10 },
    { "f031200", f031200, 9 },
    { "f031300", f031300, 10 },
    { "f031400", f031400, 8 },
    { "f031500", f031500, 12 },
    { "f031601", f031601, 6 },
    { "f031602", f031602, 8 },
    { "f031700", f031700, 19 },
    { "f031800", f031800, 5 },
    { "f031900", f031900, 16 },
    { "f032000", f032000, 5 },
    { "f032300", f032300, 5 },
    { "f032400", f032400, 5 },
    { "f032500", f032400, 5 },
    { "f040100", f040100, 10 },
    { "f050100", f050100, 21 },
    { "f050200", f050100, 21 },
    { "f050300", f050300, 8 },
    { "f050400", f050400, 8 },
    { "f060100", f060100, 21 },
    { "f070100", f070100, 36 },
    { "f070300", f070300, 15 },
    { "f070400", f070400, 11 },
    // Purchase register 8.1.
    { "f080100d", f080100d, 41 },
    { "f080100g", f080100g, 41 },
    // Purchase registers 8.2 and 8.3.
    { "f080200d", f080200d, 36 },
    { "f080200g", f080200g, 36 },
    { "f080300d", f080300d, 31 },
    { "f080300g", f080300g, 31 },
    // Books 9 to 13.
    { "f090100", f090100, 22 },
    { "f090200", f090200, 21 },
    { "f100100", f100100, 6 },
    { "f100200", f100200, 8 },
    { "f100300", f100300, 13 },
    { "f100400", f100400, 7 },
    { "f120100", f120100, 18 },
    { "f130100", f130100, 26 },
    // Sales registers 14.1 and 14.2.
    { "f140100d", f140100d, 34 },
    { "f140100g", f140100g, 34 },
    { "f140200d", f140200d, 25 },
    { "f140200g", f140200g, 25 },
};

static_assert(sizeof(fx_columnas) / sizeof(fx_columnas[0]) == 8, "fx_columnas holds the 8 column functions");
static_assert(sizeof(fx_registros) / sizeof(fx_registros[0]) == 52, "fx_registros holds the 52 layouts");

const int totalColumnas = int(sizeof(fx_columnas) / sizeof(fx_columnas[0]));
const int totalRegistros = int(sizeof(fx_registros) / sizeof(fx_registros[0]));

// The row of that name, whether its validator is built or not.
const EntradaRegistro *filaRegistro(const QString &name)
{
    for (int i = 0; i < totalRegistros; ++i) {
        if (name == QLatin1String(fx_registros[i].name))
            return &fx_registros[i];
    }
    return nullptr;
}

const EntradaRegistro *buscarRegistro(const QString &name)
{
    const EntradaRegistro *fila = filaRegistro(name);
    return fila && fila->funcion ? fila : nullptr;
}

// Test registrations; the flag keeps the service's lookups off the mutex while nothing was registered.
struct Pruebas
{
    QMutex mutex;
    QAtomicInt usadas;
    QHash<QString, FuncionRegistro> registros;
    QHash<QString, int> columnasEstado;
    QHash<QString, FuncionColumna> columnas;
};

Pruebas &pruebas()
{
    static Pruebas p;
    return p;
}

} // namespace

FuncionRegistro KovRules::getFuncionRegistro(const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    total = totalRegistros;
    if (const EntradaRegistro *e = buscarRegistro(name))
        return e->funcion;
    Pruebas &p = pruebas();
    if (!p.usadas.loadAcquire())
        return nullptr;
    QMutexLocker lock(&p.mutex);
    return p.registros.value(name, nullptr);
}

FuncionColumna KovRules::getFuncionColumna(const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    total = totalColumnas;
    for (int i = 0; i < total; ++i) {
        if (fx_columnas[i].funcion && name == QLatin1String(fx_columnas[i].name))
            return fx_columnas[i].funcion;
    }
    Pruebas &p = pruebas();
    if (!p.usadas.loadAcquire())
        return nullptr;
    QMutexLocker lock(&p.mutex);
    return p.columnas.value(name, nullptr);
}

int KovRules::getColumnaEstado(const QString &name) const
{
    if (name.isEmpty())
        return 0;
    const EntradaRegistro *fila = filaRegistro(name);
    if (fila && fila->funcion)
        return fila->columnaEstado;
    Pruebas &p = pruebas();
    if (!p.usadas.loadAcquire())
        return 0;
    QMutexLocker lock(&p.mutex);
    if (!p.registros.contains(name))
        return 0;
    // A stand-in under a layout's own name reads as far as the validator it stands in for.
    return fila ? fila->columnaEstado : p.columnasEstado.value(name, 0);
}

bool KovRules::esPropia(FuncionRegistro funcion)
{
    if (!funcion)
        return false;
    for (const EntradaRegistro &fila : fx_registros) {
        if (fila.funcion == funcion)
            return true;
    }
    return false;
}

int KovRules::getTotal() const
{
    return total;
}

void KovRules::registrarFuncionRegistroPrueba(const QString &name, FuncionRegistro funcion, int columnaEstado)
{
    if (!funcion)
        return;
    Pruebas &p = pruebas();
    QMutexLocker lock(&p.mutex);
    p.registros.insert(name, funcion);
    p.columnasEstado.insert(name, columnaEstado);
    p.usadas.storeRelease(1);
}

void KovRules::registrarFuncionColumnaPrueba(const QString &name, FuncionColumna funcion)
{
    if (!funcion)
        return;
    Pruebas &p = pruebas();
    QMutexLocker lock(&p.mutex);
    p.columnas.insert(name, funcion);
    p.usadas.storeRelease(1);
}

void KovRules::olvidarFuncionesPrueba()
{
    Pruebas &p = pruebas();
    QMutexLocker lock(&p.mutex);
    p.registros.clear();
    p.columnasEstado.clear();
    p.columnas.clear();
}
