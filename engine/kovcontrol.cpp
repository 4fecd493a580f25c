#include "kovcontrol.h"

#include <QJsonDocument>
#include <QVariantMap>

KovControl::KovControl() = default;

KovStatus KovControl::getStatus() const { return status; }
void KovControl::setStatus(const KovStatus &value) { status = value; }

QList<QVariant> KovControl::getErrores() const { return errores; }
QList<QVariant> KovControl::getResumen() const { return resumen; }
QList<QVariant> KovControl::getAgregado() const { return agregado; }
QList<QVariant> KovControl::getCasillas() const { return casillas; }
QList<QVariant> KovControl::getAuxResumen() const { return auxResumen; }

QString KovControl::toJson() const
{
    const KovStatus st = getStatus();
    QVariantMap control;
    control.insert(QStringLiteral("avance"), st.getAvance());
    control.insert(QStringLiteral("nregistros"), st.getRegistros());
    control.insert(QStringLiteral("nerrores"), st.getNerrores());
    control.insert(QStringLiteral("nestado7"), st.getNestado7());
    control.insert(QStringLiteral("archivoDetalle"), st.getNameFileDetail());
    control.insert(QStringLiteral("archivoResumen"), st.getNameFileResumen());
    control.insert(QStringLiteral("archivoAgregado"), st.getNameFileAgregado());
    control.insert(QStringLiteral("archivoCasillas"), st.getNameFileCasillas());
    control.insert(QStringLiteral("directorio"), st.getPathWork());

    QVariantMap map;
    map.insert(QStringLiteral("control"), control);
    map.insert(QStringLiteral("resumen"), resumen);
    map.insert(QStringLiteral("errores"), errores);
    map.insert(QStringLiteral("casillas"), casillas);
    return QString::fromUtf8(QJsonDocument::fromVariant(map).toJson(QJsonDocument::Indented));
}
