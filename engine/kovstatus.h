#ifndef KOVSTATUS_H
#define KOVSTATUS_H

#include <QString>

// Progress record of one validation job, as polled by the clients.
class KovStatus
{
public:
    KovStatus();

    void setAvance(int value);
    void setRegistros(qint64 value);
    void setNerrores(qint64 value);
    void setNestado7(qint64 value);
    void setNameFileDetail(const QString &value);
    void setNameFileResumen(const QString &value);
    void setNameFileAgregado(const QString &value);
    void setNameFileCasillas(const QString &value);
    void setPathWork(const QString &value);
    void setRunning(bool value);
    void setCancel(bool value);

    int getAvance() const;
    qint64 getRegistros() const;
    qint64 getNerrores() const;
    qint64 getNestado7() const;
    QString getNameFileDetail() const;
    QString getNameFileResumen() const;
    QString getNameFileAgregado() const;
    QString getNameFileCasillas() const;
    QString getPathWork() const;
    bool isRunning() const;
    bool isCancel() const;

    // The short progress text: avance, nerrores and nregistros only.
    QString toJson() const;

private:
    int avance;
    qint64 registros;
    qint64 nerrores;
    qint64 nestado7;
    QString nameFileDetail;
    QString nameFileResumen;
    QString nameFileAgregado;
    QString nameFileCasillas;
    QString pathWork;
    // A record counts as running from the moment its ticket is drawn.
    bool running;
    bool cancel;
};

#endif // KOVSTATUS_H
