// Quitting with the server running: Korvi's own sandbox server is stopped without a question;
// about the machine's server Korvi asks "Stop the DNS server too?" once, does what the answer
// says, and remembers it when asked to; a remembered answer is used without asking; Cancel
// keeps the window open. The window waits for all this without a nested event loop.
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include "SandboxServer.h"
#include "ScreenTestSupport.h"

using namespace korvi;
using namespace korvi::test;

class QuitServerTest : public QObject {
    Q_OBJECT

    static QMessageBox* questionBox(const MainWindow& window) {
        auto* box = window.findChild<QMessageBox*>(u"stopServerOnQuitBox"_s);
        return box && box->isVisible() ? box : nullptr;
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void machineServer_data() {
        QTest::addColumn<QString>("remembered"); // the stored answer, empty for none
        QTest::addColumn<QString>("answer");     // the button clicked, empty when not asked
        QTest::addColumn<bool>("remember");
        QTest::addColumn<bool>("stops");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("asked, stop, remembered") << ""
                                                 << "stop" << true << true << "stop";
        QTest::newRow("asked, keep, not remembered") << ""
                                                     << "keep" << false << false << "";
        QTest::newRow("asked, keep, remembered") << ""
                                                 << "keep" << true << false << "keep";
        QTest::newRow("asked, cancelled") << ""
                                          << "cancel" << true << false << "";
        QTest::newRow("remembered stop") << "stop"
                                         << "" << false << true << "stop";
        QTest::newRow("remembered keep") << "keep"
                                         << "" << false << false << "keep";
    }
    void machineServer() {
        QFETCH(QString, remembered);
        QFETCH(QString, answer);
        QFETCH(bool, remember);
        QFETCH(bool, stops);
        QFETCH(QString, storedAfter);
        QTemporaryDir dir;
        makeHostFolders(dir.path());
        const SystemLayout layout = isolatedLayout(dir.path());
        const QString ran = dir.filePath(u"stop.ran"_s);
        writeFile(dir.path(), u"bin/stop-first"_s,
                  "#!/bin/sh\necho stopped >> " + ran.toUtf8() + "\nexit 0\n", true);
        DNSServerManager manager(layout,
                                 std::make_shared<PreferencesStore>(dir.filePath(u"prefs.ini"_s)));
        QVERIFY(waitForDetections(manager));
        if (!remembered.isEmpty())
            manager.preferences().setData(MainWindow::stopServerOnQuitKey(), remembered.toUtf8());
        manager.setServerStatus(ServerStatus::running);
        MainWindow window(&manager);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        window.close();
        QVERIFY(window.isVisible());
        if (!answer.isEmpty()) {
            QTRY_VERIFY(questionBox(window));
            QMessageBox* box = questionBox(window);
            QCOMPARE(box->text(), u"Stop the DNS server too?"_s);
            QCOMPARE(box->checkBox()->text(), u"Remember my answer"_s);
            QVERIFY(!window.hasPostedTermination()); // nothing happens before the answer
            if (answer == u"stop")
                QVERIFY(saveScreenshot(box, u"status"_s, u"quit-question"_s));
            box->checkBox()->setChecked(remember);
            const QString button = answer == u"stop"   ? u"stopServerOnQuitButton"_s
                                   : answer == u"keep" ? u"keepServerOnQuitButton"_s
                                                       : u"cancelQuitButton"_s;
            click(box, button);
        } else {
            QTest::qWait(100);
            QVERIFY(!questionBox(window));
        }
        if (answer == u"cancel") {
            QTest::qWait(300);
            QVERIFY(window.isVisible());
            QVERIFY(!window.hasPostedTermination());
            QVERIFY(!QFile::exists(ran));
            QCOMPARE(manager.serverStatus(), ServerStatus::running);
            QVERIFY(!manager.preferences().data(MainWindow::stopServerOnQuitKey()));
            // Closing again asks again.
            window.close();
            QTRY_VERIFY(questionBox(window));
            click(questionBox(window), u"cancelQuitButton"_s);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 15000);
        QVERIFY(window.hasPostedTermination());
        QCOMPARE(QFile::exists(ran), stops);
        QCOMPARE(manager.serverStatus(), stops ? ServerStatus::stopped : ServerStatus::running);
        QCOMPARE(QString::fromUtf8(
                     manager.preferences().data(MainWindow::stopServerOnQuitKey()).value_or("")),
                 storedAfter);
    }

    // A real named in a sandbox: quitting stops it without asking.
    void sandboxServerStopped() {
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        QTemporaryDir dir;
        QVERIFY(isPlainPath(dir.path()));
        const quint16 port = freePort();
        QVERIFY(port > 20000);
        const SystemLayout layout = SystemLayout::sandbox(dir.path(), port);
        // Whatever happens below, no server of this test outlives it.
        const auto stopAtEnd = qScopeGuard([&] { stopServersOf(layout.namedConfigPath); });
        QVERIFY(makeRndcKey(layout.rndcKeyPath));
        DNSServerManager manager(layout,
                                 std::make_shared<PreferencesStore>(dir.filePath(u"prefs.ini"_s)));
        QVERIFY(waitForDetections(manager));
        if (!manager.isBindInstalled())
            QSKIP("BIND is not installed");
        manager.configuration()->setListenPort(port);
        manager.configuration()->setListenAddresses({u"127.0.0.1"_s});
        manager.saveConfiguration();
        QTRY_VERIFY_WITH_TIMEOUT(readFile(layout.namedConfigPath).contains("listen-on"), 10000);
        manager.startServer();
        QTRY_COMPARE_WITH_TIMEOUT(manager.serverStatus(), ServerStatus::running, 15000);
        QCOMPARE(serversOf(layout.namedConfigPath).size(), 1);
        // Even a remembered "keep" is for the machine's server, not the sandbox's.
        manager.preferences().setData(MainWindow::stopServerOnQuitKey(), "keep");
        MainWindow window(&manager);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
        QTest::qWait(50);
        QVERIFY(!questionBox(window));
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QCOMPARE(manager.serverStatus(), ServerStatus::stopped);
        QVERIFY(serversOf(layout.namedConfigPath).isEmpty());
    }
};

QTEST_MAIN(QuitServerTest)
#include "tst_quit_server.moc"
