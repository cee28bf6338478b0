// korvictl against a sandbox in a temporary directory: the server started
// through korvictl itself at a free high port, records of several types added,
// updated and deleted and each asked back with dig, refusals that change
// nothing, usage errors, --json answers, the writer lock, the log kept in the
// store and a window-side manager that sees korvictl's changes.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "manager/StoreFollower.h"
#include "manager/WriterLock.h"
#include "manager/ZoneRepository.h"

using namespace korvi;
using namespace korvi::test;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

const char* zoneFile = "$ORIGIN example.test.\n"
                       "$TTL 3600\n"
                       "@ IN SOA ns1.example.test. admin.example.test. ( 2026010101 3600 900 "
                       "604800 300 )\n"
                       "@ IN NS ns1.example.test.\n"
                       "ns1 IN A 127.0.0.1\n"
                       "www IN A 192.0.2.10\n";

} // namespace

class KorvictlTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_temporary;
    QString m_root;
    quint16 m_port = 0;

    QString zonePath() const { return m_root + u"/var/named/db.example.test"_s; }
    QString namedConf() const { return m_root + u"/etc/named.conf"_s; }
    QString zoneText() const { return QString::fromUtf8(readFile(zonePath())); }

    Run korvictl(const QStringList& arguments, const QStringList& environment = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // English unless a test asks for another language.
        env.remove(u"LANGUAGE"_s);
        env.remove(u"LC_ALL"_s);
        env.remove(u"LC_MESSAGES"_s);
        env.insert(u"LANG"_s, u"C.UTF-8"_s);
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral(KORVI_TEST_KORVICTL),
                      QStringList{u"--sandbox"_s, m_root} + arguments);
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.elapsedMs = timer.elapsed();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QString dig(const QString& name, const QString& type) const {
        return korvi::test::dig(m_port, name, type);
    }
    // dig asks once with a short limit; on a busy machine it is asked again
    // until the answer is the one expected (or the time is up).
    bool served(const QString& name, const QString& type, const QString& expected) const {
        return QTest::qWaitFor([&] { return dig(name, type) == expected; }, 5000);
    }
    // The zone's serial as the server answers it, and as its file has it.
    QString servedSerial() const {
        QString serial;
        QTest::qWaitFor(
            [&] {
                serial = dig(u"example.test"_s, u"SOA"_s).section(u' ', 2, 2);
                return !serial.isEmpty();
            },
            5000);
        return serial;
    }
    QString fileSerial() const {
        static const QRegularExpression line(u"(\\d+)\\s*; serial"_s);
        return line.match(zoneText()).captured(1);
    }

    // The window's manager on the sandbox, once its zones are in and the
    // server runs; null when that does not happen within 10 s.
    std::unique_ptr<DNSServerManager> windowManager() const {
        auto manager = std::make_unique<DNSServerManager>(
            SystemLayout::sandbox(m_root, m_port),
            std::make_shared<PreferencesStore>(m_root + u"/preferences.ini"_s));
        if (!QTest::qWaitFor(
                [&] {
                    return manager->isStorageLoaded() && !manager->zones().isEmpty() &&
                           manager->zones().first()->recordsLoaded() &&
                           manager->serverStatus() == ServerStatus::running;
                },
                10000))
            return nullptr;
        return manager;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_temporary.isValid());
        m_root = QDir(m_temporary.path()).canonicalPath() + u"/sandbox"_s;
        QVERIFY(isPlainPath(m_root));
        if (QStandardPaths::findExecutable(u"named"_s, {u"/usr/sbin"_s, u"/usr/bin"_s}).isEmpty() ||
            QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("BIND and dig are needed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        quint16 control = quint16(m_port + 1);
        while (!portIsFree(control))
            ++control;
        // A sandbox remembers its ports in its named.conf: korvictl (like the
        // window) works at the ports it finds there.
        QVERIFY(!writeFile(m_root, u"etc/named.conf"_s,
                           u"options { listen-on port %1 { 127.0.0.1; }; };\n"
                           "controls { inet 127.0.0.1 port %2 allow { 127.0.0.1; } keys { "
                           "\"rndc-key\"; }; };\n"_s.arg(m_port)
                               .arg(control)
                               .toUtf8(),
                           false)
                     .isEmpty());

        const Run started = korvictl({u"start"_s});
        QCOMPARE(started.exitCode, 0);
        QCOMPARE(serversOf(namedConf()).size(), 1);

        const QString file = writeFile(m_temporary.path(), u"example.test.zone"_s, zoneFile, false);
        const Run imported = korvictl({u"import"_s, file});
        QVERIFY2(imported.exitCode == 0, qPrintable(imported.err));
        QVERIFY(served(u"www.example.test"_s, u"A"_s, u"192.0.2.10"_s));
    }

    void cleanupTestCase() {
        if (m_port != 0 && !serversOf(namedConf()).isEmpty())
            QCOMPARE(korvictl({u"stop"_s}).exitCode, 0);
        stopServersOf(namedConf());
        QVERIFY(serversOf(namedConf()).isEmpty());
    }

    // Each type added, changed and deleted, every step asked back with dig
    // and seen in the exported zone file.
    void recordLifeCycle_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("served");
        QTest::addColumn<QString>("newServed");
        QTest::addColumn<QString>("exported");

        QTest::newRow("A") << u"host"_s << u"A"_s << u"192.0.2.21"_s << u"192.0.2.22"_s
                           << QStringList{u"--ttl"_s, u"600"_s} << u"192.0.2.21"_s
                           << u"192.0.2.22"_s << u"host\t600\tIN\tA\t192.0.2.22"_s;
        QTest::newRow("AAAA") << u"v6"_s << u"AAAA"_s << u"2001:db8::1"_s << u"2001:db8::2"_s
                              << QStringList() << u"2001:db8::1"_s << u"2001:db8::2"_s
                              << u"v6\t3600\tIN\tAAAA\t2001:db8::2"_s;
        QTest::newRow("MX") << u"@"_s << u"MX"_s << u"mail"_s << u"mx2.example.test."_s
                            << QStringList{u"--priority"_s, u"5"_s} << u"5 mail.example.test."_s
                            << u"5 mx2.example.test."_s
                            << u"@\t3600\tIN\tMX\t5\tmx2.example.test."_s;
        QTest::newRow("TXT") << u"txt"_s << u"TXT"_s << u"v=spf1 -all"_s << u"hello korvi"_s
                             << QStringList() << u"\"v=spf1 -all\""_s << u"\"hello korvi\""_s
                             << u"txt\t3600\tIN\tTXT\t\"hello korvi\""_s;
        QTest::newRow("CNAME") << u"alias"_s << u"CNAME"_s << u"www"_s << u"ns1"_s << QStringList()
                               << u"www.example.test.\n192.0.2.10"_s
                               << u"ns1.example.test.\n127.0.0.1"_s
                               << u"alias\t3600\tIN\tCNAME\tns1.example.test."_s;
        QTest::newRow("SRV") << u"_sip._tcp"_s << u"SRV"_s << u"sip.example.test."_s
                             << u"sip2.example.test."_s
                             << QStringList{u"--priority"_s, u"1"_s,      u"--weight"_s,
                                            u"2"_s,          u"--port"_s, u"5060"_s}
                             << u"1 2 5060 sip.example.test."_s << u"1 2 5060 sip2.example.test."_s
                             << u"_sip._tcp\t3600\tIN\tSRV\t1\t2\t5060\tsip2.example.test."_s;
    }
    void recordLifeCycle() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, newValue);
        QFETCH(QStringList, fields);
        QFETCH(QString, served);
        QFETCH(QString, newServed);
        QFETCH(QString, exported);
        const QString owner = name == u"@"_s ? u"example.test"_s : name + u".example.test"_s;
        // A CNAME's answer also carries what its target resolves to.
        const QString digType = type == u"CNAME"_s ? u"A"_s : type;

        Run run = korvictl(QStringList{u"add"_s, u"example.test"_s, name, type, value} + fields);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(this->served(owner, digType, served), qPrintable(dig(owner, digType)));

        run = korvictl({u"update"_s, u"example.test"_s, name, type, value, newValue});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(this->served(owner, digType, newServed), qPrintable(dig(owner, digType)));

        run = korvictl({u"export"_s, u"example.test"_s});
        QCOMPARE(run.exitCode, 0);
        // Standard output is the zone file alone, as Korvi wrote it.
        QVERIFY(run.out.startsWith(u"; Zone file for example.test"_s));
        QVERIFY2(run.out.split(u'\n').contains(exported), qPrintable(run.out));
        const QString written = zoneText();
        QVERIFY(written.split(u'\n').contains(exported));

        run = korvictl({u"delete"_s, u"example.test"_s, name, type});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        // The server has the zone's new version, and the record is gone from it.
        QCOMPARE(servedSerial(), fileSerial());
        QVERIFY2(this->served(owner, type, QString()), qPrintable(dig(owner, type)));
        QVERIFY(!zoneText().split(u'\n').contains(exported));
    }

    // A value the validator refuses: exit 1 with its message, and neither the
    // file nor the server changed.
    void refusedValueChangesNothing() {
        const QString before = zoneText();
        const QString serial = servedSerial();
        QVERIFY(!serial.isEmpty());
        const Run run = korvictl({u"add"_s, u"example.test"_s, u"bad"_s, u"A"_s, u"999.1.1.1"_s});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"Invalid IPv4 address: '999.1.1.1'"_s), qPrintable(run.err));
        QCOMPARE(zoneText(), before);
        QCOMPARE(servedSerial(), serial);
        QCOMPARE(dig(u"bad.example.test"_s, u"A"_s), QString());

        const Run missing = korvictl({u"delete"_s, u"example.test"_s, u"nothere"_s, u"A"_s});
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(zoneText(), before);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList{u"frobnicate"_s};
        QTest::newRow("missing value") << QStringList{u"add"_s, u"example.test"_s, u"x"_s, u"A"_s};
        QTest::newRow("extra argument") << QStringList{u"zones"_s, u"more"_s};
        QTest::newRow("ttl not a number") << QStringList{
            u"add"_s, u"example.test"_s, u"x"_s, u"A"_s, u"192.0.2.1"_s, u"--ttl"_s, u"soon"_s};
        QTest::newRow("unknown option") << QStringList{u"zones"_s, u"--colour"_s};
        QTest::newRow("unknown type")
            << QStringList{u"add"_s, u"example.test"_s, u"x"_s, u"BOGUS"_s, u"1"_s};
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        const QString before = zoneText();
        const Run run = korvictl(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!run.err.isEmpty());
        QCOMPARE(zoneText(), before);
    }

    // Help and usage errors follow the user's language; the log lines stay
    // English whatever it is.
    void language_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("help, German")
            << u"de_DE.UTF-8"_s << QStringList{u"--help"_s} << 0 << u"Aufruf: korvictl"_s;
        QTest::newRow("help, English")
            << u"C.UTF-8"_s << QStringList{u"--help"_s} << 0 << u"Usage: korvictl"_s;
        QTest::newRow("usage error, German") << u"de_DE.UTF-8"_s << QStringList{u"frobnicate"_s}
                                             << 2 << u"unbekannter Befehl 'frobnicate'"_s;
        QTest::newRow("usage error, French falls back to English")
            << u"fr_FR.UTF-8"_s << QStringList{u"frobnicate"_s} << 2
            << u"unknown command 'frobnicate'"_s;
        QTest::newRow("log lines, German")
            << u"de_DE.UTF-8"_s << QStringList{u"export"_s, u"nosuch.example"_s} << 1
            << u"Zone 'nosuch.example' is not one of Korvi's zones"_s;
    }
    void language() {
        QFETCH(QString, lang);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        const Run run = korvictl(arguments, {u"LANG="_s + lang});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((run.out + run.err).contains(expected), qPrintable(run.out + run.err));
    }

    // Every command's answer under --json is one JSON document whose exitCode
    // is the program's.
    void jsonAnswers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("key");
        QTest::newRow("status") << QStringList{u"status"_s} << 0 << u"server"_s;
        QTest::newRow("zones") << QStringList{u"zones"_s} << 0 << u"zones"_s;
        QTest::newRow("records") << QStringList{u"records"_s, u"example.test"_s} << 0
                                 << u"records"_s;
        QTest::newRow("add") << QStringList{u"add"_s, u"example.test"_s, u"j"_s, u"A"_s,
                                            u"192.0.2.90"_s}
                             << 0 << u"record"_s;
        QTest::newRow("update") << QStringList{u"update"_s, u"example.test"_s, u"j"_s,
                                               u"A"_s,      u"192.0.2.90"_s,   u"192.0.2.91"_s}
                                << 0 << u"record"_s;
        QTest::newRow("delete") << QStringList{u"delete"_s, u"example.test"_s, u"j"_s, u"A"_s} << 0
                                << u"deleted"_s;
        QTest::newRow("export") << QStringList{u"export"_s, u"example.test"_s} << 0 << u"text"_s;
        QTest::newRow("lookup") << QStringList{u"lookup"_s, u"www.example.test"_s} << 0
                                << u"answers"_s;
        QTest::newRow("apply") << QStringList{u"apply"_s} << 0 << u"zones"_s;
        QTest::newRow("refused") << QStringList{u"add"_s, u"example.test"_s, u"bad"_s, u"A"_s,
                                                u"999.1.1.1"_s}
                                 << 1 << u"error"_s;
        QTest::newRow("unknown zone")
            << QStringList{u"records"_s, u"nowhere.test"_s} << 1 << u"error"_s;
        QTest::newRow("import of a missing file")
            << QStringList{u"import"_s, u"/nonexistent/zone"_s} << 1 << u"error"_s;
        QTest::newRow("usage") << QStringList{u"records"_s} << 2 << u"error"_s;
    }
    void jsonAnswers() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, key);
        const Run run = korvictl(QStringList{u"--json"_s} + arguments);
        QCOMPARE(run.exitCode, exitCode);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(),
                 qPrintable(run.out));
        const QJsonObject answer = document.object();
        QCOMPARE(answer.value(u"exitCode"_s).toInt(-1), exitCode);
        QCOMPARE(answer.value(u"ok"_s).toBool(), exitCode == 0);
        QVERIFY2(answer.contains(key), qPrintable(run.out));
    }

    // A second writer waits for the lock, then gives up with exit 4 and
    // changes nothing; readers do not wait.
    void heldLockMakesWritersWait() {
        QLockFile lock(m_root + u"/data/"_s + WriterLock::fileName());
        QVERIFY(lock.tryLock(0));
        const QString before = zoneText();
        const QString serial = servedSerial();
        const Run run = korvictl({u"add"_s, u"example.test"_s, u"late"_s, u"A"_s, u"192.0.2.77"_s},
                                 {u"KORVI_LOCK_WAIT_MS=700"_s});
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.elapsedMs >= 700, qPrintable(QString::number(run.elapsedMs)));
        QVERIFY(run.err.contains(u"another Korvi program is changing zones"_s));
        QCOMPARE(zoneText(), before);
        QCOMPARE(servedSerial(), serial);
        QCOMPARE(dig(u"late.example.test"_s, u"A"_s), QString());

        QCOMPARE(korvictl({u"zones"_s}, {u"KORVI_LOCK_WAIT_MS=700"_s}).exitCode, 0);

        // Freed while korvictl waits: it goes ahead.
        QTimer::singleShot(300, this, [&lock] { lock.unlock(); });
        QProcess waiting;
        waiting.start(QStringLiteral(KORVI_TEST_KORVICTL),
                      {u"--sandbox"_s, m_root, u"add"_s, u"example.test"_s, u"late"_s, u"A"_s,
                       u"192.0.2.77"_s});
        QTRY_VERIFY_WITH_TIMEOUT(waiting.state() == QProcess::NotRunning, 30000);
        QCOMPARE(waiting.exitCode(), 0);
        QVERIFY(served(u"late.example.test"_s, u"A"_s, u"192.0.2.77"_s));
        QCOMPARE(korvictl({u"delete"_s, u"example.test"_s, u"late"_s, u"A"_s}).exitCode, 0);
    }

    // The lines korvictl printed are the lines the store's log holds, and
    // are marked as korvictl's.
    void logLinesKeptInTheStore() {
        const Run run =
            korvictl({u"add"_s, u"example.test"_s, u"logged"_s, u"A"_s, u"192.0.2.55"_s});
        QCOMPARE(run.exitCode, 0);
        const QString success = u"A record 'logged' added to zone 'example.test'"_s;
        const QStringList printed = run.out.split(u'\n').filter(success);
        QCOMPARE(printed.size(), 1);

        QStringList stored;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"korvictl-test"_s);
            db.setDatabaseName(m_root + u"/data/zones.sqlite"_s);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(u"SELECT writer, line FROM app_log ORDER BY id"_s));
            while (query.next()) {
                if (query.value(0).toString().startsWith(u"korvictl "_s))
                    stored.append(query.value(1).toString());
            }
        }
        QSqlDatabase::removeDatabase(u"korvictl-test"_s);
        QVERIFY(stored.contains(printed.first()));
        QCOMPARE(korvictl({u"delete"_s, u"example.test"_s, u"logged"_s, u"A"_s}).exitCode, 0);
    }

    // A manager on the same sandbox (the window's side) shows the lines
    // korvictl wrote and the records it changed, without a restart.
    void windowSeesKorvictlChanges() {
        const SystemLayout layout = SystemLayout::sandbox(m_root, m_port);
        auto manager = std::make_unique<DNSServerManager>(
            layout, std::make_shared<PreferencesStore>(m_root + u"/preferences.ini"_s));
        QVERIFY(manager->storeFollower());
        manager->storeFollower()->setInterval(100);
        QTRY_VERIFY_WITH_TIMEOUT(manager->isStorageLoaded() && !manager->zones().isEmpty() &&
                                     manager->zones().first()->recordsLoaded(),
                                 10000);
        // The lines of earlier korvictl runs are in the log from the start.
        QTRY_VERIFY(!manager->logs().filter(u"A record 'logged' added"_s).isEmpty());
        const ZonePtr zone = manager->zones().first();
        const auto has = [&zone](const QString& value) {
            for (const DNSRecord& record : zone->records()) {
                if (record.value == value)
                    return true;
            }
            return false;
        };
        QVERIFY(!has(u"192.0.2.66"_s));

        QProcess run;
        run.start(QStringLiteral(KORVI_TEST_KORVICTL),
                  {u"--sandbox"_s, m_root, u"add"_s, u"example.test"_s, u"seen"_s, u"A"_s,
                   u"192.0.2.66"_s});
        QTRY_VERIFY_WITH_TIMEOUT(run.state() == QProcess::NotRunning, 30000);
        QCOMPARE(run.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(has(u"192.0.2.66"_s), 5000);
        QTRY_VERIFY(!manager->logs().filter(u"A record 'seen' added"_s).isEmpty());
        QVERIFY(!manager->logs().filter(u"was changed by another Korvi program"_s).isEmpty());
        manager.reset();
        QCOMPARE(korvictl({u"delete"_s, u"example.test"_s, u"seen"_s, u"A"_s}).exitCode, 0);
    }

    // The window's changes take the same lock: one waits while korvictl (here
    // the test) holds it and goes ahead once it is free; one that cannot have
    // it in time is refused and changes nothing.
    void windowWaitsForTheLock() {
        auto manager = windowManager();
        QVERIFY(manager);
        const ZonePtr zone = manager->zones().first();
        QList<std::pair<ChangeId, bool>> finished;
        QString refusal;
        connect(manager.get(), &DNSServerManager::changeFinished, this,
                [&](ChangeId id, bool applied, const QString& message) {
                    finished.append({id, applied});
                    if (!applied)
                        refusal = message;
                });

        QLockFile lock(m_root + u"/data/"_s + WriterLock::fileName());
        QVERIFY(lock.tryLock(0));
        qputenv("KORVI_LOCK_WAIT_MS", "400");
        const QString before = zoneText();
        const ChangeId refused = manager->addRecord(
            DNSRecord(u"locked"_s, DNSRecordType::A, u"192.0.2.44"_s, 3600), zone);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(finished.first(), std::make_pair(refused, false));
        QVERIFY2(refusal.contains(u"Another Korvi program"_s), qPrintable(refusal));
        QCOMPARE(zoneText(), before);

        qputenv("KORVI_LOCK_WAIT_MS", "20000");
        const ChangeId waited = manager->addRecord(
            DNSRecord(u"waited"_s, DNSRecordType::A, u"192.0.2.45"_s, 3600), zone);
        QTest::qWait(500);
        QCOMPARE(finished.size(), 1); // still waiting
        QCOMPARE(zoneText(), before);
        lock.unlock();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 15000);
        QCOMPARE(finished.last(), std::make_pair(waited, true));
        QVERIFY(served(u"waited.example.test"_s, u"A"_s, u"192.0.2.45"_s));
        qunsetenv("KORVI_LOCK_WAIT_MS");
        // Released once no change is left: korvictl has it at once.
        QCOMPARE(korvictl({u"delete"_s, u"example.test"_s, u"waited"_s, u"A"_s},
                          {u"KORVI_LOCK_WAIT_MS=0"_s})
                     .exitCode,
                 0);
    }

    // Collected changes are applied together only while korvictl is not
    // changing zones: under a held lock they are refused and stay collected.
    void collectedChangesTakeTheLock() {
        auto manager = windowManager();
        QVERIFY(manager);
        ZoneRepository* repository = manager->zoneRepository();
        QVERIFY(repository->setBatchMode(true));
        const ZonePtr zone = manager->zones().first();
        QList<std::pair<ChangeId, bool>> finished;
        QString refusal;
        connect(repository, &ZoneRepository::changeFinished, this,
                [&](ChangeId id, bool applied, const QString& message) {
                    finished.append({id, applied});
                    if (!applied)
                        refusal = message;
                });
        manager->addRecord(DNSRecord(u"batched"_s, DNSRecordType::A, u"192.0.2.46"_s, 3600), zone);
        QTRY_COMPARE(repository->stagedChangeCount(), 1);
        const QString before = zoneText();

        // Free again once the collecting change has finished.
        QLockFile lock(m_root + u"/data/"_s + WriterLock::fileName());
        // (QTRY evaluates once more at the end: a lock already taken counts.)
        QTRY_VERIFY(lock.isLocked() || lock.tryLock(0));
        finished.clear();
        const ChangeId refused = repository->applyStaged();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first(), std::make_pair(refused, false));
        QVERIFY2(refusal.contains(u"Another Korvi program"_s), qPrintable(refusal));
        QCOMPARE(zoneText(), before);
        QCOMPARE(repository->stagedChangeCount(), 1);

        lock.unlock();
        const ChangeId applied = repository->applyStaged();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 15000);
        QCOMPARE(finished.last(), std::make_pair(applied, true));
        QVERIFY(served(u"batched.example.test"_s, u"A"_s, u"192.0.2.46"_s));
        // Let go after the apply: korvictl has it at once.
        QCOMPARE(korvictl({u"delete"_s, u"example.test"_s, u"batched"_s, u"A"_s},
                          {u"KORVI_LOCK_WAIT_MS=0"_s})
                     .exitCode,
                 0);
        QVERIFY(repository->setBatchMode(false));
    }
};

QTEST_GUILESS_MAIN(KorvictlTest)
#include "tst_korvictl.moc"
