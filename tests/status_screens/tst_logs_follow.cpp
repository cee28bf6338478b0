// The Logs screen follows the server's log file while it is shown: a line appended after the
// screen opened joins the list once, also after the file was cut short or replaced (rotation);
// an unfinished line waits for its end; nothing is read while the screen is hidden, and what
// was written meanwhile arrives when it is shown again.
#include <QListView>
#include <QTest>

#include "ScreenTestSupport.h"
#include "manager/ServerLogFollower.h"
#include "ui/logs/LogsView.h"

using namespace korvi;
using namespace korvi::test;

class LogsFollowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    QString m_logPath;

    void append(const QByteArray& text) {
        QFile file(m_logPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
        QCOMPARE(file.write(text), text.size());
    }
    void rewrite(const QByteArray& text) {
        QFile file(m_logPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(text), text.size());
    }
    // The lines the screen's list shows.
    static QStringList shown(const LogsView& view) {
        QStringList lines;
        const auto* list = view.findChild<QListView*>(u"logsList"_s);
        if (!list)
            return lines;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            lines.append(list->model()->index(row, 0).data().toString());
        return lines;
    }

private Q_SLOTS:
    void initTestCase() {
        // The server had written a line before Korvi started.
        m_logPath = isolatedLayout(m_dir.path()).bindLogPaths.first();
        QDir().mkpath(QFileInfo(m_logPath).absolutePath());
        rewrite("06-Dec-2026 08:00:00.000 running\n");
        m_manager = screenManager(m_dir.path(), ServerStatus::running);
        QCOMPARE(m_manager->serverLogPath(), m_logPath);
    }
    void cleanupTestCase() { m_manager.reset(); }

    void lineAfterOpening_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("appended") << u"appended"_s;
        QTest::newRow("cut short and written anew") << u"truncated"_s;
        QTest::newRow("rotated") << u"rotated"_s;
        QTest::newRow("unfinished line completed") << u"partial"_s;
    }
    void lineAfterOpening() {
        QFETCH(QString, change);
        LogsView view(m_manager.get());
        m_manager->serverLogFollower()->setPollInterval(100);
        showScreen(&view);
        const QString line =
            u"06-Dec-2026 08:01:00.000 zone example.test/IN: loaded serial 7 (%1)"_s.arg(change);
        const QByteArray bytes = line.toUtf8() + '\n';
        if (change == u"appended") {
            append(bytes);
        } else if (change == u"truncated") {
            rewrite(bytes);
        } else if (change == u"rotated") {
            QVERIFY(QFile::rename(m_logPath, m_logPath + u".0"_s));
            rewrite(bytes);
        } else {
            const qsizetype before = shown(view).size();
            append(bytes.left(20));
            QTest::qWait(400);
            QCOMPARE(shown(view).size(), before);
            append(bytes.mid(20));
        }
        QTRY_VERIFY_WITH_TIMEOUT(shown(view).contains(line), 5000);
        QTest::qWait(300);
        QCOMPARE(shown(view).count(line), 1);
        // The line that was there before Korvi started is not read (start-up shows it).
        QVERIFY(!shown(view).contains(u"06-Dec-2026 08:00:00.000 running"_s));
        if (change == u"appended")
            QVERIFY(saveScreenshot(&view, u"status"_s, u"logs-following"_s));
    }

    void onlyWhileShown() {
        LogsView view(m_manager.get());
        m_manager->serverLogFollower()->setPollInterval(100);
        showScreen(&view);
        view.hide();
        QVERIFY(!m_manager->serverLogFollower()->isFollowing());
        const QString line = u"06-Dec-2026 08:02:00.000 written while hidden"_s;
        append(line.toUtf8() + '\n');
        QTest::qWait(500);
        QVERIFY(!m_manager->logs().contains(line));
        view.show();
        QTRY_VERIFY_WITH_TIMEOUT(shown(view).contains(line), 5000);
        QCOMPARE(shown(view).count(line), 1);
    }

    // The window builds a section's screen afresh each time it is chosen: a line written
    // while no Logs screen existed arrives with the next one.
    void writtenWhileAnotherScreenWasShown() {
        auto first = std::make_unique<LogsView>(m_manager.get());
        m_manager->serverLogFollower()->setPollInterval(100);
        showScreen(first.get());
        first.reset();
        QVERIFY(!m_manager->serverLogFollower()->isFollowing());
        const QString line = u"06-Dec-2026 08:03:00.000 written between two screens"_s;
        append(line.toUtf8() + '\n');
        QTest::qWait(300);
        QVERIFY(!m_manager->logs().contains(line));
        LogsView second(m_manager.get());
        showScreen(&second);
        QTRY_VERIFY_WITH_TIMEOUT(shown(second).contains(line), 5000);
        QCOMPARE(shown(second).count(line), 1);
    }
};

QTEST_MAIN(LogsFollowTest)
#include "tst_logs_follow.moc"
