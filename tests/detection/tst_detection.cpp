// Detection of Homebrew, MacPorts, APT and BIND, and the version of BIND,
// against fake programs in a private directory.

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString notInstalledLine = QStringLiteral("BIND DNS server is not installed on this system");
const QString noneLine = QStringLiteral("❌ No package manager detected. Please install Homebrew or "
                                        "MacPorts to enable BIND installation.");

QString availableLine(const QString& name) {
    return QStringLiteral("✅ ") + name +
           QStringLiteral(" detected and available for package installation");
}

// A shell script that records its arguments (one line per run) and prints
// the given text; it exits with the given status.
QByteArray recordingScript(const QString& record, const QByteArray& output, int exitCode = 0) {
    return "#!/bin/sh\necho \"$@\" >> " + record.toUtf8() + "\nprintf '" + output + "'\nexit " +
           QByteArray::number(exitCode) + "\n";
}

// A fake brew: answers --version with the given status and records every
// install.
QByteArray brewScript(const QString& record, int versionExit, int installExit = 0,
                      const QByteArray& installOutput = "==> Pouring bind\\n") {
    return "#!/bin/sh\nif [ \"$1\" = --version ]; then echo 'Homebrew 4.2.0'; exit " +
           QByteArray::number(versionExit) + "; fi\necho \"$@\" >> " + record.toUtf8() +
           "\nprintf '" + installOutput + "'\nexit " + QByteArray::number(installExit) + "\n";
}

} // namespace

class DetectionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    QString path(const QString& relative) const { return m_root + u'/' + relative; }
    QString put(const QString& relative, const QByteArray& content) const {
        return writeFile(m_root, relative, content);
    }
    std::unique_ptr<DNSServerManager> started(const SystemLayout& layout) const {
        auto manager = makeManager(m_root, layout);
        if (!waitForDetections(*manager))
            qWarning("detections did not report");
        return manager;
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path();
        QVERIFY(isPlainPath(m_root));
    }
    void cleanup() { m_dir.reset(); }

    void parseBindVersion_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("version");
        QTest::newRow("extended support") << "BIND 9.18.24 (Extended Support Version) <id:>"
                                          << "9.18.24";
        QTest::newRow("distribution suffix") << "BIND 9.16.1-Ubuntu (Stable Release) <id:d497c32>"
                                             << "9.16.1";
        QTest::newRow("debian") << "BIND 9.18.49-1~deb12u3-Debian (Extended Support Version) <id:>"
                                << "9.18.49";
        QTest::newRow("lower case, two parts") << "bind 10.1"
                                               << "10.1";
        QTest::newRow("many parts") << "BIND 1.2.3.4.5"
                                    << "1.2.3.4.5";
        QTest::newRow("second line") << "named: starting\nBIND 9.11.3\n"
                                     << "9.11.3";
        QTest::newRow("carriage returns") << "BIND 9.18.1\r\nmore\r\n"
                                          << "9.18.1";
        QTest::newRow("first matching line wins") << "BIND 9.1.0\nBIND 10.2"
                                                  << "9.1.0";
        QTest::newRow("word without a dot skipped") << "BIND 9 9.20.1"
                                                    << "9.20.1";
        QTest::newRow("word beginning with a letter skipped") << "BIND v9.18.1 9.1"
                                                              << "9.1";
        QTest::newRow("word that does not match skipped") << "BIND 9. 9.2"
                                                          << "9.2";
        QTest::newRow("tab separated") << "BIND\t9.18.49-1"
                                       << "9.18.49";
        QTest::newRow("bind inside a word") << "Rebinding 3.4"
                                            << "3.4";
        QTest::newRow("number on a line without bind") << "named 9.18.24\nBIND"
                                                       << "Unknown";
        QTest::newRow("empty") << ""
                               << "Unknown";
        QTest::newRow("no version at all") << "BIND development build"
                                           << "Unknown";
    }
    void parseBindVersion() {
        QFETCH(QString, output);
        QFETCH(QString, version);
        QCOMPARE(DNSServerManager::parseBindVersion(output), version);
    }

    void isVersionSupported_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("supported");
        QTest::newRow("9.0.0") << "9.0.0" << true;
        QTest::newRow("9.18.24") << "9.18.24" << true;
        QTest::newRow("10.1") << "10.1" << true;
        QTest::newRow("8.4.7") << "8.4.7" << false;
        QTest::newRow("Unknown") << "Unknown" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("major only") << "9" << true;
        QTest::newRow("negative minor") << "9.-1" << false;
        QTest::newRow("minor not a number") << "9.x" << true;
        QTest::newRow("major not a number") << "x.1" << false;
        QTest::newRow("plus sign") << "+10.0" << true;
        QTest::newRow("negative major") << "-9.0" << false;
        QTest::newRow("empty major") << ".9" << false;
        QTest::newRow("leading zero") << "09.1" << true;
        QTest::newRow("space in major") << "9 .1" << false;
        QTest::newRow("too large for an integer") << "99999999999999999999.0" << false;
        QTest::newRow("large but in range") << "9223372036854775807" << true;
    }
    void isVersionSupported() {
        QFETCH(QString, version);
        QFETCH(bool, supported);
        QCOMPARE(DNSServerManager::isVersionSupported(version), supported);
    }

    // Probe files are tested in order; the first one found is the BIND path,
    // it is asked for its version with "-v", and the first find also checks
    // the status and reads the server's log.
    void bindFoundAtProbe_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        QTest::newRow("only usr/sbin") << QStringList{"usr/sbin/named"} << "usr/sbin/named";
        QTest::newRow("only usr/bin") << QStringList{"usr/bin/named"} << "usr/bin/named";
        QTest::newRow("homebrew and usr/sbin")
            << QStringList{"usr/sbin/named", "opt/homebrew/sbin/named"}
            << "opt/homebrew/sbin/named";
        QTest::newRow("usr/local and opt/local")
            << QStringList{"opt/local/sbin/named", "usr/local/sbin/named"}
            << "usr/local/sbin/named";
    }
    void bindFoundAtProbe() {
        QFETCH(QStringList, present);
        QFETCH(QString, expected);
        for (const QString& relative : present)
            put(relative, recordingScript(path(relative) + QStringLiteral(".args"),
                                          "BIND 9.18.24 (Extended Support Version) <id:>\\n"));
        const QString found = path(expected);
        auto manager = started(isolatedLayout(m_root));

        QVERIFY(manager->isBindInstalled());
        QCOMPARE(manager->detectedBindPath(), found);
        QCOMPARE(logCount(*manager, QStringLiteral("BIND DNS server detected at: ") + found,
                          LogLevel::success),
                 1);
        QTRY_COMPARE(manager->bindVersion(), QStringLiteral("9.18.24"));
        QVERIFY(manager->isBindVersionSupported());
        QTRY_COMPARE(logCount(*manager, QStringLiteral("BIND version 9.18.24 detected (supported)"),
                              LogLevel::success),
                     1);
        QCOMPARE(readFile(found + QStringLiteral(".args")), QByteArray("-v\n"));
        for (const QString& relative : present) {
            if (relative != expected)
                QVERIFY(!QFileInfo::exists(path(relative) + QStringLiteral(".args")));
        }
        // The first find runs the installed-BIND steps: one status check, one
        // log read.
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("📄 No BIND log files found at standard locations"),
                              LogLevel::warning),
                     1);
        QTest::qWait(200);
        QCOMPARE(
            logCount(*manager, QStringLiteral("DNS server process not found"), LogLevel::debug), 1);
        QCOMPARE(logCount(*manager, QStringLiteral("🔄 Loading BIND server logs...")), 1);

        // Detecting again checks the status again, and only that.
        manager->checkBindInstallation();
        QTRY_COMPARE(logCount(*manager, QStringLiteral("BIND DNS server detected at: ") + found),
                     2);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("DNS server process not found")), 2);
        QTRY_COMPARE(readFile(found + QStringLiteral(".args")), QByteArray("-v\n-v\n"));
        QTest::qWait(200);
        QCOMPARE(logCount(*manager, QStringLiteral("🔄 Loading BIND server logs...")), 1);
    }

    // With no probe file, `which named` is asked with BIND's search path; its
    // trimmed output is the path. Homebrew and MacPorts are searched for with
    // the application's own PATH.
    void bindFoundByWhich() {
        const QString named = put(
            QStringLiteral("elsewhere/named"),
            recordingScript(path(QStringLiteral("named.args")), "BIND 9.20.1 (Stable Release)\\n"));
        put(QStringLiteral("usr/bin/which"), "#!/bin/sh\necho \"$1 $PATH\" >> " +
                                                 path(QStringLiteral("which.log")).toUtf8() +
                                                 "\nif [ \"$1\" = named ]; then printf '  " +
                                                 named.toUtf8() + " \\n\\n'; exit 0; fi\nexit 1\n");
        const SystemLayout layout = isolatedLayout(m_root);
        auto manager = started(layout);
        QCOMPARE(manager->detectedBindPath(), named);
        QVERIFY(manager->isBindInstalled());
        QTRY_COMPARE(manager->bindVersion(), QStringLiteral("9.20.1"));
        const QStringList calls = QString::fromUtf8(readFile(path(QStringLiteral("which.log"))))
                                      .split(u'\n', Qt::SkipEmptyParts);
        const QString ownPath = QString::fromLocal8Bit(qgetenv("PATH"));
        QVERIFY2(calls.contains(QStringLiteral("named ") + layout.bindSearchPath),
                 qPrintable(calls.join(u'|')));
        QVERIFY(calls.contains(QStringLiteral("brew ") + ownPath));
        QVERIFY(calls.contains(QStringLiteral("port ") + ownPath));
        QCOMPARE(calls.size(), 3);
    }

    // `which` that fails, or succeeds with only white space, finds nothing.
    // Nothing found: not installed, an error line, no version query, and the
    // version keeps its value.
    void bindNotFound_data() {
        QTest::addColumn<QByteArray>("which");
        QTest::newRow("no which") << QByteArray();
        QTest::newRow("which fails") << QByteArray("#!/bin/sh\necho /usr/sbin/named\nexit 1\n");
        QTest::newRow("which prints blanks") << QByteArray("#!/bin/sh\nprintf '  \\n\\t\\n'\n");
    }
    void bindNotFound() {
        QFETCH(QByteArray, which);
        if (!which.isEmpty())
            put(QStringLiteral("usr/bin/which"), which);
        auto manager = started(isolatedLayout(m_root));
        QVERIFY(!manager->isBindInstalled());
        QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
        QCOMPARE(logCount(*manager, notInstalledLine, LogLevel::error), 1);

        manager->setBindVersion(QStringLiteral("9.1.2"));
        manager->setServerStatus(ServerStatus::running);
        QSignalSpy installed(manager.get(), &DNSServerManager::isBindInstalledChanged);
        manager->checkBindInstallation();
        QTRY_COMPARE(installed.count(), 1);
        QCOMPARE(installed.first().first().toBool(), false);
        QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
        QTest::qWait(200);
        QCOMPARE(manager->bindVersion(), QStringLiteral("9.1.2"));
        QCOMPARE(logCount(*manager, notInstalledLine, LogLevel::error), 2);
        QCOMPARE(logCount(*manager, QStringLiteral("Failed to check BIND version")), 0);
        QCOMPARE(logCount(*manager, QStringLiteral("🔄 Loading BIND server logs...")), 0);
    }

    void versionResult_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("supported");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("level");
        QTest::newRow("no line with bind")
            << QByteArray("named 9.18.24\\n") << 0 << "Unknown" << false
            << "BIND version Unknown is not supported. Minimum required: 9.0.0"
            << int(LogLevel::error);
        QTest::newRow("too old") << QByteArray("BIND 8.4.7\\n") << 0 << "8.4.7" << false
                                 << "BIND version 8.4.7 is not supported. Minimum required: 9.0.0"
                                 << int(LogLevel::error);
        QTest::newRow("query fails") << QByteArray("BIND 9.18.24\\n") << 1 << "" << false
                                     << "Failed to check BIND version" << int(LogLevel::error);
        QTest::newRow("newer") << QByteArray("BIND 10.1\\n") << 0 << "10.1" << true
                               << "BIND version 10.1 detected (supported)"
                               << int(LogLevel::success);
    }
    void versionResult() {
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(QString, version);
        QFETCH(bool, supported);
        QFETCH(QString, line);
        QFETCH(int, level);
        put(QStringLiteral("usr/sbin/named"),
            recordingScript(path(QStringLiteral("args")), output, exitCode));
        auto manager = makeManager(m_root, isolatedLayout(m_root));
        // Values from an earlier run, which a failed query clears.
        manager->setBindVersion(QStringLiteral("9.9.9"));
        manager->setBindVersionSupported(!supported);
        QTRY_COMPARE(logCount(*manager, line, LogLevel(level)), 1);
        QCOMPARE(manager->bindVersion(), version);
        QCOMPARE(manager->isBindVersionSupported(), supported);
    }

    // Homebrew: a probe file or `which` finds brew; `brew --version`, run
    // through env with Homebrew's own PATH, confirms it.
    void homebrew_data() {
        QTest::addColumn<QString>("brewAt");
        QTest::addColumn<int>("versionExit");
        QTest::addColumn<bool>("whichFinds");
        QTest::addColumn<bool>("installed");
        QTest::newRow("apple silicon") << "opt/homebrew/bin/brew" << 0 << false << true;
        QTest::newRow("intel") << "usr/local/bin/brew" << 0 << false << true;
        QTest::newRow("linuxbrew, not on the confirmation PATH")
            << "home/linuxbrew/.linuxbrew/bin/brew" << 0 << false << false;
        QTest::newRow("brew --version fails") << "opt/homebrew/bin/brew" << 1 << false << false;
        QTest::newRow("none") << "" << 0 << false << false;
        QTest::newRow("which finds it, confirmation finds none") << "" << 0 << true << false;
        // Not at a probe path, but reachable as "brew" through the
        // confirmation's PATH.
        QTest::newRow("which finds it, confirmed") << "confirm/brew" << 0 << true << true;
    }
    void homebrew() {
        QFETCH(QString, brewAt);
        QFETCH(int, versionExit);
        QFETCH(bool, whichFinds);
        QFETCH(bool, installed);
        SystemLayout layout = isolatedLayout(m_root);
        if (!brewAt.isEmpty())
            put(brewAt, brewScript(path(QStringLiteral("brew.args")), versionExit));
        layout.homebrewConfirmationSearchPath += u':' + path(QStringLiteral("confirm"));
        if (whichFinds)
            put(QStringLiteral("usr/bin/which"),
                "#!/bin/sh\n[ \"$1\" = brew ] && echo /somewhere/brew && exit 0\nexit 1\n");
        auto manager = started(layout);
        QCOMPARE(manager->isHomebrewInstalled(), installed);
        const QString line = installed ? QStringLiteral("✅ Homebrew detected successfully")
                                       : QStringLiteral("❌ Homebrew not found");
        QCOMPARE(logCount(*manager, line, LogLevel::info), 1);
        QCOMPARE(manager->availablePackageManager(),
                 installed ? QStringLiteral("Homebrew") : QStringLiteral("None"));
        // Detection never installs.
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("brew.args"))));
    }

    void macPorts_data() {
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("whichFinds");
        QTest::addColumn<bool>("installed");
        QTest::newRow("file") << true << false << true;
        QTest::newRow("which") << false << true << true;
        QTest::newRow("neither") << false << false << false;
    }
    void macPorts() {
        QFETCH(bool, file);
        QFETCH(bool, whichFinds);
        QFETCH(bool, installed);
        if (file)
            put(QStringLiteral("opt/local/bin/port"), "#!/bin/sh\nexit 1\n");
        if (whichFinds)
            put(QStringLiteral("usr/bin/which"),
                "#!/bin/sh\n[ \"$1\" = port ] && echo /opt/local/bin/port && exit 0\nexit 1\n");
        auto manager = started(isolatedLayout(m_root));
        QCOMPARE(manager->isMacPortsInstalled(), installed);
        QCOMPARE(logCount(*manager,
                          installed ? QStringLiteral("✅ MacPorts detected successfully")
                                    : QStringLiteral("❌ MacPorts not found"),
                          LogLevel::info),
                 1);
        QCOMPARE(manager->availablePackageManager(),
                 installed ? QStringLiteral("MacPorts") : QStringLiteral("None"));
    }

    // Homebrew wins over MacPorts, MacPorts over APT. Each detection logs the
    // package manager now available right before its own line.
    void availablePackageManager_data() {
        QTest::addColumn<bool>("brew");
        QTest::addColumn<bool>("port");
        QTest::addColumn<bool>("apt");
        QTest::addColumn<QString>("available");
        QTest::newRow("all three") << true << true << true << "Homebrew";
        QTest::newRow("homebrew and macports") << true << true << false << "Homebrew";
        QTest::newRow("macports and apt") << false << true << true << "MacPorts";
        QTest::newRow("apt only") << false << false << true << "APT";
        QTest::newRow("none") << false << false << false << "None";
    }
    void availablePackageManager() {
        QFETCH(bool, brew);
        QFETCH(bool, port);
        QFETCH(bool, apt);
        QFETCH(QString, available);
        if (brew)
            put(QStringLiteral("opt/homebrew/bin/brew"), brewScript(path(QStringLiteral("x")), 0));
        if (port)
            put(QStringLiteral("opt/local/bin/port"), "#!/bin/sh\n");
        if (apt)
            put(QStringLiteral("usr/bin/apt-get"), "#!/bin/sh\n");
        auto manager = started(isolatedLayout(m_root));
        QCOMPARE(manager->availablePackageManager(), available);
        QCOMPARE(manager->isAptInstalled(), apt);

        const QStringList updateLines = {availableLine(QStringLiteral("Homebrew")),
                                         availableLine(QStringLiteral("MacPorts")),
                                         availableLine(QStringLiteral("APT")), noneLine};
        const QStringList messages = logMessages(*manager);
        int detectionLines = 0;
        for (qsizetype i = 0; i < messages.size(); ++i) {
            const QString& message = messages[i];
            if (!message.endsWith(QStringLiteral(" detected successfully")) &&
                !message.endsWith(QStringLiteral(" not found")))
                continue;
            if (message.startsWith(QStringLiteral("DNS server")))
                continue;
            ++detectionLines;
            QVERIFY2(i > 0 && updateLines.contains(messages[i - 1]), qPrintable(message));
        }
        QCOMPARE(detectionLines, 3);
        // The last word is the final choice.
        const QString last =
            available == QStringLiteral("None") ? noneLine : availableLine(available);
        int lastUpdate = -1;
        for (qsizetype i = 0; i < messages.size(); ++i) {
            if (updateLines.contains(messages[i]))
                lastUpdate = int(i);
        }
        QCOMPARE(messages.value(lastUpdate), last);
    }

    void refreshDetectsAgain() {
        auto manager = started(isolatedLayout(m_root));
        QVERIFY(!manager->isHomebrewInstalled());
        put(QStringLiteral("usr/local/bin/brew"), brewScript(path(QStringLiteral("x")), 0));
        QSignalSpy changed(manager.get(), &DNSServerManager::isHomebrewInstalledChanged);
        manager->refreshPackageManagerDetection();
        QTRY_COMPARE(logCount(*manager, QStringLiteral("Refreshing package manager detection..."),
                              LogLevel::info),
                     1);
        QTRY_VERIFY(manager->isHomebrewInstalled());
        QTRY_COMPARE(manager->availablePackageManager(), QStringLiteral("Homebrew"));
        QTRY_COMPARE(logCount(*manager, QStringLiteral("❌ MacPorts not found")), 2);
        QTRY_COMPARE(logCount(*manager, QStringLiteral("❌ APT not found")), 2);
        QVERIFY(logIndex(*manager, QStringLiteral("Refreshing package manager detection...")) <
                logIndex(*manager, QStringLiteral("✅ Homebrew detected successfully")));
    }

    // Results that arrive after the manager is gone are dropped.
    void managerGoneBeforeResults() {
        put(QStringLiteral("usr/sbin/named"), "#!/bin/sh\necho \"$@\" >> " +
                                                  path(QStringLiteral("named.args")).toUtf8() +
                                                  "\necho 'BIND 9.18.24'\n");
        put(QStringLiteral("usr/bin/which"), "#!/bin/sh\nsleep 0.3\nexit 1\n");
        auto manager = makeManager(m_root, isolatedLayout(m_root));
        QPointer<DNSServerManager> watch(manager.get());
        manager.reset();
        QVERIFY(!watch);
        QTest::qWait(1000);
        // The detection that found named did not go on to ask its version.
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("named.args"))));
    }
};

QTEST_GUILESS_MAIN(DetectionTest)
#include "tst_detection.moc"
