// The tray window in this process: it listens on the service's own port, so it runs alone
// (ORVANTIS_USES_PORT_1977).
#include "dialog.h"
#include "portlock.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

class TestDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { delete dialog; }
    void window();
    void trayMenu();
    void pages();
    void closeOnlyHides();
    void servesOnItsPort();
    void quitEndsTheEventLoop();

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
    QVERIFY(!dialog->windowIcon().isNull());
    QVERIFY(!dialog->isVisible());
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
}

void TestDialog::closeOnlyHides()
{
    dialog->show();
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->close());
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog->findChild<QSystemTrayIcon *>()->isVisible());
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

void TestDialog::quitEndsTheEventLoop()
{
    QAction *quit = dialog->findChild<QSystemTrayIcon *>()->contextMenu()->actions().value(3);
    QVERIFY(quit);
    QEventLoop loop;
    QTimer::singleShot(0, quit, &QAction::trigger);
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    QCOMPARE(loop.exec(), 0);
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
