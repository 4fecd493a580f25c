#ifndef KOVRULES_H
#define KOVRULES_H

#include "kovtypes.h"

#include <QString>

// Turns the function names a layout gives into the record validators and column functions of the rule library.
// The tables are fixed at build time and read without a lock; each book keeps its own KovRules.
class KovRules
{
public:
    // None (nullptr) for an empty or unregistered name; names compare exactly, case-sensitively, untrimmed.
    FuncionRegistro getFuncionRegistro(const QString &name);
    FuncionColumna getFuncionColumna(const QString &name);

    // The highest column the record validator of that name reads (its state column), 0 when the name finds none.
    // A layout with fewer columns than this must be refused before any line is read.
    int getColumnaEstado(const QString &name) const;

    // True for a record validator of the layouts' own table: those keep nothing between records and may run on
    // any thread, several records at once. A stand-in registered by a test is not.
    static bool esPropia(FuncionRegistro funcion);

    // Entries of the table the last lookup searched (52 or 8); 0 before any lookup.
    int getTotal() const;

    // For tests only: a record validator or column function under a name of the test's own, found after the
    // tables. A stand-in under the name of a layout whose validator is not built takes that layout's state
    // column, not the one given. Safe to call from several threads; never called by the service.
    static void registrarFuncionRegistroPrueba(const QString &name, FuncionRegistro funcion, int columnaEstado);
    static void registrarFuncionColumnaPrueba(const QString &name, FuncionColumna funcion);
    static void olvidarFuncionesPrueba();

private:
    qint32 total = 0;
};

#endif // KOVRULES_H
