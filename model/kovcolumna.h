#ifndef KOVCOLUMNA_H
#define KOVCOLUMNA_H

#include "kovexpresion.h"
#include "kovlongitud.h"
#include "kovrespuesta.h"
#include "kovtypes.h"

#include <QString>

// One column of a book's record layout, with the current line's text and the state carried from line to line.
class KovColumna
{
public:
    KovColumna();

    bool setPatronLongitud(const QString &patron);
    QString getPatronLongitud() const;
    bool checkLongitud() const;

    void setData(const QString &data);
    QString getData() const;

    void setParametro(const QString &parametro);
    QString getParametro() const;
    bool hasParametro() const;

    void setFuncion(FuncionColumna funcion);
    FuncionColumna getFuncion() const;
    KovRespuesta checkFuncion() const;

    void setPatron(const QString &patron);
    QString getPatron() const;
    bool checkPatron() const;

    void setObligatorio(bool obligatorio);
    bool isObligatorio() const;

    void setKey(bool key);
    bool isKey() const;

    void setEnabledAcumulador(bool acumulador);
    bool isAcumulador() const;
    void addAcumulador(double valor);
    double getAcumulado() const;

    void setEnabledCorrelativo(bool correlativo);
    bool isCorrelativo() const;
    bool checkCorrelativo();
    QString getAnterior() const;

    void setDescripcion(const QString &descripcion);
    QString getDescripcion() const;

    void setCustomEmpty(const QString &customEmpty);
    QString getCustomEmpty() const;
    bool checkCustomEmpty() const;

private:
    KovLongitud longitud;
    QString data;
    QString anterior;
    double acumulado;
    QString parametro;
    FuncionColumna funcion;
    KovExpresion patron;
    bool obligatorio;
    bool key;
    bool acumulador;
    bool correlativo;
    QString descripcion;
    QString customEmpty;
};

#endif // KOVCOLUMNA_H
