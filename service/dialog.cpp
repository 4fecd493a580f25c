#include "dialog.h"

#include "kovlibro.h"
#include "ui_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QHostAddress>
#include <QMenu>

#include <cstdlib>

namespace {

const quint16 kPort = 1977;

} // namespace

Dialog::Dialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_Dialog)
    , minimizeAction(nullptr)
    , restoreAction(nullptr)
    , quitAction(nullptr)
    , trayIcon(nullptr)
    , trayIconMenu(nullptr)
{
    // The images live in this static library; naming them keeps the linker from dropping them.
    Q_INIT_RESOURCE(dialog);
    // Another instance (or any program) on the port: this one has nothing to do.
    if (!server.listen(QHostAddress(QHostAddress::LocalHost), kPort))
        std::exit(0);
    // Holding the port makes this the machine's one service: the key indexes its killed runs left go now. The lock
    // an open index holds keeps those of live jobs of other programs in place.
    KovLibro::barreIndicesAbandonados(QDir::tempPath());
    qDebug() << server.isListening();

    ui->setupUi(this);
    connect(ui->acceptButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->closeButton, &QPushButton::clicked, this, &QWidget::close);

    ui->contentsWidget->setViewMode(QListView::IconMode);
    ui->contentsWidget->setIconSize(QSize(96, 84));
    ui->contentsWidget->setMovement(QListView::Static);
    ui->contentsWidget->setMaximumWidth(128);
    ui->contentsWidget->setSpacing(12);

    createIcons();
    ui->contentsWidget->setCurrentRow(0);

    createActions();
    createTrayIcon();
    connect(trayIcon, &QSystemTrayIcon::activated, this, &Dialog::iconActivated);

    setIcon();
    trayIcon->show();
}

Dialog::~Dialog()
{
    delete ui;
}

void Dialog::createIcons()
{
    QListWidgetItem *monitor = new QListWidgetItem(ui->contentsWidget);
    monitor->setIcon(QIcon(QStringLiteral(":/images/update.png")));
    monitor->setText(tr("Monitor"));
    monitor->setTextAlignment(Qt::AlignHCenter);
    monitor->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);

    QListWidgetItem *config = new QListWidgetItem(ui->contentsWidget);
    config->setIcon(QIcon(QStringLiteral(":/images/config.png")));
    config->setText(tr("Configuración"));
    config->setTextAlignment(Qt::AlignHCenter);
    config->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);

    connect(ui->contentsWidget, &QListWidget::currentItemChanged, this, &Dialog::changePage);
}

void Dialog::createActions()
{
    minimizeAction = new QAction(tr("&Ocultar"), this);
    connect(minimizeAction, &QAction::triggered, this, &QWidget::hide);
    minimizeAction->setEnabled(false);

    restoreAction = new QAction(tr("&Mostrar"), this);
    connect(restoreAction, &QAction::triggered, this, &QWidget::showNormal);
    restoreAction->setEnabled(false);

    quitAction = new QAction(tr("&Salir"), this);
    connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
}

void Dialog::createTrayIcon()
{
    trayIconMenu = new QMenu(this);
    trayIconMenu->addAction(minimizeAction);
    trayIconMenu->addAction(restoreAction);
    trayIconMenu->addSeparator();
    trayIconMenu->addAction(quitAction);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(trayIconMenu);
}

void Dialog::setIcon()
{
    const QIcon icon(QStringLiteral(":/images/Restart16.png"));
    trayIcon->setIcon(icon);
    setWindowIcon(icon);
    trayIcon->setToolTip(QStringLiteral("Orvantis"));
}

void Dialog::changePage(QListWidgetItem *current, QListWidgetItem *previous)
{
    QListWidgetItem *item = current ? current : previous;
    ui->pagesWidget->setCurrentIndex(ui->contentsWidget->row(item));
}

void Dialog::closeEvent(QCloseEvent *event)
{
    // The service lives on in the tray; the window only goes out of sight.
    if (trayIcon->isVisible()) {
        hide();
        event->ignore();
    }
}

void Dialog::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    Q_UNUSED(reason);
}
