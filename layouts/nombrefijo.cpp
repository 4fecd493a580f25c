#include "nombrefijo.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <cstring>

namespace {

// Every name made so far, by its characters. Names are made while tables are built, never for a record, so the
// lock is taken only then. The table is never destroyed: names outlive every static that holds one.
struct Nombres
{
    QMutex cerrojo;
    QHash<QString, QString> hechos;
};

Nombres &nombres()
{
    static Nombres *todos = new Nombres;
    return *todos;
}

// The characters of `texto` under a header that marks them static, as QStringLiteral's own header does.
QString conDatosFijos(const QString &texto)
{
    const int largo = texto.size();
    const std::size_t tamano = sizeof(QStringData) + (std::size_t(largo) + 1) * sizeof(ushort);
    char *bloque = static_cast<char *>(::operator new(tamano));
    const QArrayData cabecera = Q_STATIC_STRING_DATA_HEADER_INITIALIZER_WITH_OFFSET(largo, sizeof(QStringData));
    std::memcpy(bloque, &cabecera, sizeof cabecera);
    ushort *caracteres = reinterpret_cast<ushort *>(bloque + sizeof(QStringData));
    std::memcpy(caracteres, texto.utf16(), std::size_t(largo) * sizeof(ushort));
    caracteres[largo] = 0;
    QStringDataPtr datos = {reinterpret_cast<QStringData *>(bloque)};
    return QString(datos);
}

} // namespace

NombreFijo::NombreFijo(const char *nombre) : NombreFijo(QString::fromLatin1(nombre))
{
}

NombreFijo::NombreFijo(const QString &nombre)
{
    Nombres &todos = nombres();
    QMutexLocker cierre(&todos.cerrojo);
    QString &hecho = todos.hechos[nombre];
    if (hecho.isNull())
        hecho = conDatosFijos(nombre);
    fijo = hecho;
}
