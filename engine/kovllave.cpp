#include "kovllave.h"

void KovLlave::agrega(const QString &parte)
{
    if (partes > 0)
        llave.append(QLatin1Char('|'));
    llave.append(parte);
    ++partes;
    if (!parte.isEmpty())
        llaveConTexto = true;
}

void KovLlave::limpia()
{
    llave.clear();
    partes = 0;
    llaveConTexto = false;
}
