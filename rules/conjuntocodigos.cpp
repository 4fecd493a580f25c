#include "conjuntocodigos.h"

#include "codetables.h"
#include "rulehelpers.h"

#include <algorithm>

namespace {

// A number has one byte for the length and one for each character.
const int kCaracteresPorClave = 7;
const ushort kMayorLatin1 = 0xff;

// The number of a text of up to seven Latin-1 characters; false for any other text, which no such code equals.
// Two texts have the same number exactly when they have the same length and the same characters.
bool claveDe(const QString &texto, quint64 *clave)
{
    const int largo = texto.size();
    if (largo > kCaracteresPorClave)
        return false;
    const QChar *c = texto.constData();
    quint64 resultado = quint64(largo);
    for (int i = 0; i < largo; ++i) {
        const ushort u = c[i].unicode();
        if (u > kMayorLatin1)
            return false;
        resultado |= quint64(u) << (8 * (i + 1));
    }
    *clave = resultado;
    return true;
}

QStringList deTextos(std::initializer_list<const char *> codigos)
{
    QStringList lista;
    for (const char *codigo : codigos)
        lista << QString::fromLatin1(codigo);
    return lista;
}

} // namespace

ConjuntoCodigos::ConjuntoCodigos(const char *codigos) : ConjuntoCodigos(listaCodigos(codigos))
{
}

ConjuntoCodigos::ConjuntoCodigos(std::initializer_list<const char *> codigos) : ConjuntoCodigos(deTextos(codigos))
{
}

ConjuntoCodigos::ConjuntoCodigos(const QStringList &codigos)
{
    for (const QString &codigo : codigos) {
        quint64 clave;
        if (claveDe(codigo, &clave))
            claves.push_back(clave);
        else
            largos << codigo;
    }
    std::sort(claves.begin(), claves.end());
}

bool ConjuntoCodigos::contiene(const QString &texto) const
{
    quint64 clave;
    if (claveDe(texto, &clave))
        return std::binary_search(claves.begin(), claves.end(), clave);
    return !largos.isEmpty() && inList(texto, largos);
}
