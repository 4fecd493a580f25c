// The tray window in this process: it listens on the service's own port, so it runs alone
// (ORVANTIS_USES_PORT_1977).
#include "bookfixture.h"
#include "dialog.h"
#include "heldjobs.h"
#include "kovcontrol.h"
#include "kovjobtable.h"
#include "platform.h"
#include "portlock.h"
#include "testclient.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <thread>

class TestDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { delete dialog; }
    void window();
    void formTexts_data();
    void formTexts();
    void formSettings();
    void trayMenu();
    void pages();
    void closeOnlyHides();
    void showAndHideActions();
    void servesOnItsPort();
    void noTrayMessage();
    void quitEndsTheEventLoop();
    // Last: it ends the window as main() does.
    void quitWithJobAndIdleClient();

private:
    Dialog *dialog = nullptr;
};

void TestDialog::initTestCase()
{
    QVERIFY2(lockServicePort(), "another test run kept the service's port for too long");
    // The dialog ends the process when it cannot listen; make sure that is not why this test would stop.
    QVERIFY2(waitServicePortFree(), "port 1977 is taken by another program");
    dialog = new Dialog;
}

void TestDialog::window()
{
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Orvantis"));
    QCOMPARE(dialog->minimumSize(), QSize(560, 380));
    QCOMPARE(dialog->maximumSize(), QSize(560, 380));
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->objectName(), QStringLiteral("Dialog"));
    QCOMPARE(dialog->sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    QCOMPARE(dialog->contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(!dialog->windowIcon().isNull());
    QVERIFY(!dialog->isVisible());
}

void TestDialog::formTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("state") << "label" << "Estado : ";
    QTest::newRow("active") << "label_2" << "Activo";
    QTest::newRow("question") << "label_4" << QString::fromUtf8("¿ Esta seguro que desea modificar este parametro ?");
    QTest::newRow("yes") << "checkBox" << "SI";
    QTest::newRow("port") << "label_3" << "Puerto: ";
    QTest::newRow("version") << "label_5" << "Version: 1.0";
    QTest::newRow("accept") << "acceptButton" << "Aceptar";
    QTest::newRow("close") << "closeButton" << "Cerrar";
}

void TestDialog::formTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QWidget *widget = dialog->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->property("text").toString(), text);
}

void TestDialog::formSettings()
{
    QListWidget *contents = dialog->findChild<QListWidget *>("contentsWidget");
    QVERIFY(contents);
    QCOMPARE(contents->viewMode(), QListView::IconMode);
    QCOMPARE(contents->iconSize(), QSize(96, 84));
    QCOMPARE(contents->movement(), QListView::Static);
    QCOMPARE(contents->maximumWidth(), 128);
    QCOMPARE(contents->spacing(), 12);
    for (int row = 0; row < contents->count(); ++row) {
        QCOMPARE(contents->item(row)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        QCOMPARE(contents->item(row)->textAlignment(), int(Qt::AlignHCenter));
    }

    QSpinBox *port = dialog->findChild<QSpinBox *>("spinBox");
    QVERIFY(port);
    QCOMPARE(port->minimum(), 1024);
    QCOMPARE(port->maximum(), 65000);
    QCOMPARE(port->value(), 1977);
    QCOMPARE(port->minimumWidth(), 80);
    QCOMPARE(port->maximumWidth(), 80);

    QPushButton *closeButton = dialog->findChild<QPushButton *>("closeButton");
    QVERIFY(closeButton);
    QVERIFY(closeButton->isDefault());
}

void TestDialog::trayMenu()
{
    QSystemTrayIcon *tray = dialog->findChild<QSystemTrayIcon *>();
    QVERIFY(tray);
    QVERIFY(tray->isVisible());
    QCOMPARE(tray->toolTip(), QStringLiteral("Orvantis"));
    QVERIFY(!tray->icon().isNull());

    QMenu *menu = tray->contextMenu();
    QVERIFY(menu);
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions.at(0)->text(), QStringLiteral("&Ocultar"));
    QCOMPARE(actions.at(1)->text(), QStringLiteral("&Mostrar"));
    QVERIFY(actions.at(2)->isSeparator());
    QCOMPARE(actions.at(3)->text(), QStringLiteral("&Salir"));
    QVERIFY(!actions.at(0)->isEnabled());
    QVERIFY(!actions.at(1)->isEnabled());
    QVERIFY(actions.at(3)->isEnabled());
}

void TestDialog::pages()
{
    QListWidget *contents = dialog->findChild<QListWidget *>("contentsWidget");
    QStackedWidget *pages = dialog->findChild<QStackedWidget *>("pagesWidget");
    QVERIFY(contents && pages);
    QCOMPARE(contents->count(), 2);
    QCOMPARE(contents->item(0)->text(), QStringLiteral("Monitor"));
    QCOMPARE(contents->item(1)->text(), QString::fromUtf8("Configuración"));
    QVERIFY(!contents->item(0)->icon().isNull());
    QVERIFY(!contents->item(1)->icon().isNull());
    QCOMPARE(contents->currentRow(), 0);
    QCOMPARE(pages->currentIndex(), 0);
    contents->setCurrentRow(1);
    QCOMPARE(pages->currentIndex(), 1);
    contents->setCurrentRow(0);
    QCOMPARE(pages->currentIndex(), 0);
    // Without a current item the previous one names the page.
    QVERIFY(QMetaObject::invokeMethod(dialog, "changePage", Q_ARG(QListWidgetItem *, nullptr),
                                      Q_ARG(QListWidgetItem *, contents->item(1))));
    QCOMPARE(pages->currentIndex(), 1);
    contents->setCurrentRow(1);
    contents->setCurrentRow(0);
    QCOMPARE(pages->currentIndex(), 0);
}

void TestDialog::closeOnlyHides()
{
    dialog->show();
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->close());
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog->findChild<QSystemTrayIcon *>()->isVisible());
}

// Disabled in the menu, but wired: "&Mostrar" shows the window, "&Ocultar" hides it.
void TestDialog::showAndHideActions()
{
    const QList<QAction *> actions = dialog->findChild<QSystemTrayIcon *>()->contextMenu()->actions();
    QAction *hide = actions.value(0);
    QAction *show = actions.value(1);
    QVERIFY(hide && show);
    show->setEnabled(true);
    hide->setEnabled(true);
    show->trigger();
    const bool shown = dialog->isVisible();
    hide->trigger();
    const bool hidden = !dialog->isVisible();
    show->setEnabled(false);
    hide->setEnabled(false);
    QVERIFY(shown);
    QVERIFY(hidden);
}

void TestDialog::servesOnItsPort()
{
    // The server accepts on this thread's event loop, so the client must not block it.
    QTcpSocket client;
    QByteArray answer;
    connect(&client, &QTcpSocket::readyRead, [&] { answer += client.readAll(); });
    client.connectToHost(QHostAddress(QHostAddress::LocalHost), 1977);
    client.write("110|#CQ#");
    QTRY_VERIFY_WITH_TIMEOUT(answer.endsWith('}') && client.state() == QAbstractSocket::UnconnectedState, 10000);
    QVERIFY2(answer.startsWith("00|110|{"), answer.constData());
}

void TestDialog::noTrayMessage()
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget *parent = dialog;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            QMessageBox *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            parent = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll.start(20);
    showNoTrayMessage();
    poll.stop();
    QCOMPARE(title, QStringLiteral("Orvantis"));
    QCOMPARE(text, QString::fromUtf8("No se pudo colocar la aplicación en la barra de tareas"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(parent, static_cast<QWidget *>(nullptr));
}

void TestDialog::quitEndsTheEventLoop()
{
    QAction *quit = dialog->findChild<QSystemTrayIcon *>()->contextMenu()->actions().value(3);
    QVERIFY(quit);
    QEventLoop loop;
    QTimer::singleShot(0, quit, &QAction::trigger);
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    QCOMPARE(loop.exec(), 0);
}

// "&Salir" while a job runs and a client sits on its connection: destroying the window, as main() does once the
// event loop has ended, cancels the job and lets both connection threads end instead of aborting. The job is held
// at its second line, so it is still running when the quit comes however fast the build is; only a cancel lets
// it go on.
void TestDialog::quitWithJobAndIdleClient()
{
    BookFixture book;
    HeldJobs::hold();
    // The server accepts on this thread's event loop, so the blocking client runs beside it.
    std::atomic<bool> answered(false);
    QByteArray early;
    std::thread starter([&] {
        early = TestClient::exchange(1977, book.request(HeldJobs::name()));
        answered = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 30000);
    starter.join();
    QVERIFY2(early.startsWith("00|130|"), early.constData());
    const QString ticket = QString::fromLatin1(early.mid(7));
    QTRY_COMPARE_WITH_TIMEOUT(HeldJobs::waiting(), 1, 30000);
    TestClient idle(1977);
    QVERIFY(idle.send("110|"));
    QTest::qWait(300);
    KovControl record;
    QVERIFY(kovGetJob(ticket, &record));
    QVERIFY2(record.getStatus().getAvance() < 100, "the job ended before the quit");

    // quitEndsTheEventLoop() showed the loop ending with 0; an event loop cannot run again once the application
    // has been told to quit, so here the entry is only triggered before the window goes.
    dialog->findChild<QSystemTrayIcon *>()->contextMenu()->actions().value(3)->trigger();
    QElapsedTimer timer;
    timer.start();
    delete dialog;
    dialog = nullptr;
    HeldJobs::release();
    // The idle client would hold the end for its whole 120 s wait; half of it tells the two apart on any machine.
    QVERIFY2(timer.elapsed() < 60000, QByteArray::number(timer.elapsed()).constData());
    QVERIFY(!kovGetJob(ticket, nullptr));
    bool closed = false;
    QCOMPARE(idle.receiveAll(5000, &closed), QByteArray());
    QVERIFY(closed);
    QCOMPARE(TestClient(1977).connected, false);
}

#if defined(__SANITIZE_ADDRESS__)
// The offscreen platform plug-in never frees its screen; full stacks let that one leak be told from ours.
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:QGuiApplicationPrivate::createPlatformIntegration\n";
}
#endif

QTEST_MAIN(TestDialog)
#include "tst_dialog.moc"
