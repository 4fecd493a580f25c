#include "kovcontrol.h"

#include <QJsonDocument>
#include <QVariantMap>

KovControl::KovControl() = default;

KovStatus KovControl::getStatus() const { return status; }
void KovControl::setStatus(const KovStatus &value) { status = value; }

QList<QVariant> KovControl::getErrores() const { return errores; }
namespace {

QList<QVariant> junta(const KovTotales &totales, const QList<QVariant> &lista)
{
    if (totales.isEmpty())
        return lista;
    return totales.lista() + lista;
}

void cierra(KovTotales *totales, QList<QVariant> *lista)
{
    *lista = junta(*totales, *lista);
    totales->clear();
}

} // namespace

QList<QVariant> KovControl::getResumen() const { return junta(totalesResumen, resumen); }
QList<QVariant> KovControl::getAgregado() const { return junta(totalesAgregado, agregado); }
QList<QVariant> KovControl::getCasillas() const { return junta(totalesCasillas, casillas); }
QList<QVariant> KovControl::getAuxResumen() const { return junta(totalesAuxResumen, auxResumen); }

void KovControl::cierraTotales()
{
    cierra(&totalesResumen, &resumen);
    cierra(&totalesAgregado, &agregado);
    cierra(&totalesCasillas, &casillas);
    cierra(&totalesAuxResumen, &auxResumen);
}

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
    map.insert(QStringLiteral("resumen"), getResumen());
    map.insert(QStringLiteral("errores"), errores);
    map.insert(QStringLiteral("casillas"), getCasillas());
    return QString::fromUtf8(QJsonDocument::fromVariant(map).toJson(QJsonDocument::Indented));
}
