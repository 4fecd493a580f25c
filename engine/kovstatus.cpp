#include "kovstatus.h"

#include <QJsonDocument>
#include <QVariant>
#include <QVariantMap>

KovStatus::KovStatus()
    : avance(0), registros(0), nerrores(0), nestado7(0), running(true), cancel(false)
{
}

void KovStatus::setAvance(int value) { avance = value; }
void KovStatus::setRegistros(qint64 value) { registros = value; }
void KovStatus::setNerrores(qint64 value) { nerrores = value; }
void KovStatus::setNestado7(qint64 value) { nestado7 = value; }
void KovStatus::setNameFileDetail(const QString &value) { nameFileDetail = value; }
void KovStatus::setNameFileResumen(const QString &value) { nameFileResumen = value; }
void KovStatus::setNameFileAgregado(const QString &value) { nameFileAgregado = value; }
void KovStatus::setNameFileCasillas(const QString &value) { nameFileCasillas = value; }
void KovStatus::setPathWork(const QString &value) { pathWork = value; }
void KovStatus::setRunning(bool value) { running = value; }
void KovStatus::setCancel(bool value) { cancel = value; }

int KovStatus::getAvance() const { return avance; }
qint64 KovStatus::getRegistros() const { return registros; }
qint64 KovStatus::getNerrores() const { return nerrores; }
qint64 KovStatus::getNestado7() const { return nestado7; }
QString KovStatus::getNameFileDetail() const { return nameFileDetail; }
QString KovStatus::getNameFileResumen() const { return nameFileResumen; }
QString KovStatus::getNameFileAgregado() const { return nameFileAgregado; }
QString KovStatus::getNameFileCasillas() const { return nameFileCasillas; }
QString KovStatus::getPathWork() const { return pathWork; }
bool KovStatus::isRunning() const { return running; }
bool KovStatus::isCancel() const { return cancel; }

QString KovStatus::toJson() const
{
    QVariantMap map;
    map.insert(QStringLiteral("avance"), avance);
    map.insert(QStringLiteral("nregistros"), registros);
    map.insert(QStringLiteral("nerrores"), nerrores);
    return QString::fromUtf8(QJsonDocument::fromVariant(map).toJson(QJsonDocument::Indented));
}
