// Korvi's own files written through `pkexec korvi-helper <verb>`, with a
// stand-in pkexec first on the command path that records its arguments and
// answers as the real one does: runs the helper, or fails with 126 (prompt
// dismissed) or 127 (no authentication agent). A failure is one message and
// changes nothing.

#include <QSignalSpy>
#include <QtTest>

#include "HostTestSupport.h"
#include "host/HostLayout.h"
#include "manager/AppLog.h"
#include "manager/CheckedSaver.h"
#include "manager/OwnedFileSaver.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString helperPath = u"" KORVI_TEST_BUILD_DIR "/src/korvi-helper"_s;

const QByteArray zoneText = "$TTL 3600\n"
                            "@ IN SOA ns1.example.net. admin.example.net. 1 3600 900 604800 300\n"
                            "@ IN NS ns1.example.net.\n"
                            "www IN A 192.0.2.2\n";

} // namespace

class TestPrivilege : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString root() const { return m_dir.path(); }

    SystemLayout layout() const {
        HostLayoutFacts facts;
        facts.os = parseOsRelease(u"ID=debian\n"_s);
        facts.root = false;
        SystemLayout layout = standardLayoutFor(facts, root());
        layout.helperPath = helperPath;
        layout.commandSearchPath = root() + u"/standins"_s;
        layout.temporaryDirectory = root() + u"/tmp"_s;
        layout.dataDirectory = root() + u"/korvi-data"_s;
        return layout;
    }

    void standInPkexec(const QByteArray& body) const {
        writeFile(root(), u"standins/pkexec"_s,
                  "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + root().toUtf8() + "/pkexec.calls'\n" +
                      body);
    }

    QStringList pkexecCalls() const {
        return QString::fromUtf8(readFile(root() + u"/pkexec.calls"_s))
            .split(u'\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(helperPath).isExecutable());
        QDir().mkpath(root() + u"/etc/bind"_s);
        QDir().mkpath(root() + u"/var/lib/bind"_s);
    }

    void init() {
        QFile::remove(root() + u"/pkexec.calls"_s);
        QFile::remove(root() + u"/etc/bind/named.conf.korvi"_s);
        QDir(root() + u"/var/lib/bind/korvi"_s).removeRecursively();
    }

    void writeZone_data() {
        QTest::addColumn<QByteArray>("pkexec");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::newRow("granted") << QByteArray("exec \"$@\"\n") << zoneText << true << QString();
        QTest::newRow("prompt dismissed")
            << QByteArray("echo 'Error executing command as another user: Not authorized' >&2\n"
                          "exit 126\n")
            << zoneText << false
            << u"Administrator rights were not granted (the password prompt was dismissed or "
               "refused): Error executing command as another user: Not authorized; nothing was "
               "changed"_s;
        QTest::newRow("no agent")
            << QByteArray("echo 'Error executing command as another user: No authentication "
                          "agent found.' >&2\nexit 127\n")
            << zoneText << false
            << u"Administrator rights could not be asked for (pkexec found no polkit "
               "authentication agent or no polkit): Error executing command as another user: No "
               "authentication agent found.; nothing was changed"_s;
        QTest::newRow("granted, checker refuses")
            << QByteArray("exec \"$@\"\n") << QByteArray("@ IN A 192.0.2.1\n") << false
            << u"named-checkzone refused"_s;
    }

    void writeZone() {
        QFETCH(QByteArray, pkexec);
        QFETCH(QByteArray, zone);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        standInPkexec(pkexec);
        OwnedFileSaver saver(layout());
        std::optional<std::pair<bool, QString>> result;
        saver.perform({u"write-zone"_s, u"example.test"_s}, zone,
                      [&](bool done, const QString& text) {
                          result = {done, text};
                      });
        QVERIFY(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
        QCOMPARE(result->first, ok);
        QVERIFY2(result->second.startsWith(message), qPrintable(result->second));
        QCOMPARE(pkexecCalls(), QStringList{helperPath + u" write-zone example.test"_s});
        const QString file = root() + u"/var/lib/bind/korvi/db.example.test"_s;
        QCOMPARE(readFile(file), ok ? zone : QByteArray());
    }

    // An include that already says the same, its line in place: the save
    // ends written, after the call returned, with no prompt at all.
    void unchangedIncludeAsksNothing() {
        standInPkexec("exit 126\n");
        const SystemLayout host = layout();
        const OwnedFileLayout files = ownedFileLayout(host);
        writeFile(root(), u"etc/bind/named.conf.local"_s,
                  "// local zones\n" + files.includeLine() + "\n", false);
        writeFile(QString(), files.korviInclude, ownedIncludeText(files, {u"example.test"_s}),
                  false);
        writeFile(QString(), files.zoneFile(u"example.test"_s), zoneText, false);
        AppLog log;
        CommandRunner runner(host, &log);
        CheckedSaver saver(host, runner, &log);
        QSignalSpy finished(&saver, &CheckedSaver::finished);
        const auto zone = ZonePtr::create(u"example.test"_s, files.zoneFile(u"example.test"_s));
        const SaveId id = saver.saveOwnedConfiguration({zone});
        QCOMPARE(finished.size(), 0);
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.first().at(0).value<SaveId>(), id);
        QCOMPARE(finished.first().at(2).toBool(), true);
        QVERIFY(pkexecCalls().isEmpty());
    }

    // A whole save through the saver: the first step's refusal is the one
    // message; no later step asks again, nothing is written.
    void dismissedSaveChangesNothing() {
        standInPkexec("exit 126\n");
        const QByteArray local = "// local zones\n";
        writeFile(root(), u"etc/bind/named.conf.local"_s, local, false);
        AppLog log;
        const SystemLayout host = layout();
        CommandRunner runner(host, &log);
        CheckedSaver saver(host, runner, &log);
        QSignalSpy finished(&saver, &CheckedSaver::finished);
        QSignalSpy serverChange(&saver, &CheckedSaver::ownedConfigurationChanged);
        const auto zone =
            ZonePtr::create(u"example.test"_s, host.zoneDirectory + u"/db.example.test"_s);
        saver.saveOwnedConfiguration({zone});
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().at(2).toBool(), false);
        QCOMPARE(pkexecCalls().size(), 1);
        QCOMPARE(readFile(root() + u"/etc/bind/named.conf.local"_s), local);
        QVERIFY(!QFileInfo::exists(root() + u"/etc/bind/named.conf.korvi"_s));
        QCOMPARE(serverChange.size(), 0);
        QTRY_COMPARE(log.lines().filter(u"nothing was changed"_s).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPrivilege)
#include "tst_privilege.moc"
