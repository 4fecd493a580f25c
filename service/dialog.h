#ifndef DIALOG_H
#define DIALOG_H

#include "libroserver.h"

#include <QDialog>
#include <QSystemTrayIcon>

class QAction;
class QCloseEvent;
class QListWidgetItem;
class QMenu;
class Ui_Dialog;

// The service's window: never shown, it owns the server and the tray icon whose menu stops the service.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget *parent = nullptr);
    ~Dialog() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void changePage(QListWidgetItem *current, QListWidgetItem *previous);

private:
    void createIcons();
    void createActions();
    void createTrayIcon();
    void setIcon();

    Ui_Dialog *ui;
    QAction *minimizeAction;
    QAction *restoreAction;
    QAction *quitAction;
    QSystemTrayIcon *trayIcon;
    QMenu *trayIconMenu;
    LibroServer server;
};

#endif // DIALOG_H
