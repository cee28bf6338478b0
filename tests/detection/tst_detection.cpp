// Detection of Homebrew, MacPorts, APT and BIND and the version of BIND, and
// the installation of BIND, against fake programs in a private directory.
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "HostTestSupport.h"
#include "manager/PackageInstaller.h"
#include "platform/WebPageOpener.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString notInstalledLine = u"BIND DNS server is not installed on this system"_s;
const QString noneLine = u"❌ No package manager detected. Please install Homebrew or MacPorts to "
                         "enable BIND installation."_s;

QString availableLine(const QString& name) {
    return u"✅ "_s + name + u" detected and available for package installation"_s;
}

// A script noting its arguments in `record`; as brew it answers --version apart.
QByteArray script(const QString& record, const QByteArray& output = {}, int exitCode = 0,
                  int versionExit = -1) {
    const QByteArray version =
        versionExit < 0 ? QByteArray()
                        : "if [ \"$1\" = --version ]; then echo 'Homebrew 4.2.0'; exit " +
                              QByteArray::number(versionExit) + "; fi\n";
    return "#!/bin/sh\n" + version + "echo \"$@\" >> " + record.toUtf8() + "\nprintf '" + output +
           "'\nexit " + QByteArray::number(exitCode) + "\n";
}

} // namespace

class DetectionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Host> m_host;

    QString path(const QString& relative) const { return m_host->path(relative); }
    QString put(const QString& relative, const QByteArray& content) {
        return m_host->write(relative, content, true);
    }

private Q_SLOTS:
    void init() {
        m_host = std::make_unique<Host>();
        QVERIFY(isPlainPath(m_host->root()));
    }
    void cleanup() {
        WebPageOpener::setHandler({});
        m_host.reset();
    }

    void parseBindVersion_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("version");
        const std::pair<const char*, const char*> rows[] = {
            {"BIND 9.18.24 (Extended Support Version) <id:>", "9.18.24"},
            {"BIND 9.18.49-1~deb12u3-Debian (Extended Support Version) <id:>", "9.18.49"},
            {"bind 10.1", "10.1"},
            {"BIND 1.2.3.4.5", "1.2.3.4.5"},
            {"named: starting\nBIND 9.11.3\n", "9.11.3"},
            {"BIND 9.18.1\r\nmore\r\n", "9.18.1"},
            {"BIND 9.1.0\nBIND 10.2", "9.1.0"}, // the first matching line wins
            {"BIND 9 9.20.1", "9.20.1"},        // words that do not match are skipped
            {"BIND v9.18.1 9.1", "9.1"},
            {"BIND 9. 9.2", "9.2"},
            {"BIND\t9.18.49-1", "9.18.49"},
            {"Rebinding 3.4", "3.4"},
            {"named 9.18.24\nBIND", "Unknown"},
            {"", "Unknown"},
            {"BIND development build", "Unknown"}};
        for (const auto& [output, version] : rows)
            QTest::newRow(output) << QString::fromLatin1(output) << QString::fromLatin1(version);
    }
    void parseBindVersion() {
        QFETCH(QString, output);
        QFETCH(QString, version);
        QCOMPARE(DNSServerManager::parseBindVersion(output), version);
    }

    void isVersionSupported_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("supported");
        for (const char* version :
             {"9.0.0", "10.1", "9", "9.x", "+10.0", "09.1", "9223372036854775807"})
            QTest::newRow(version) << QString::fromLatin1(version) << true;
        for (const char* version : {"8.4.7", "Unknown", "", "9.-1", "x.1", "-9.0", ".9", "9 .1",
                                    "99999999999999999999.0"})
            QTest::newRow(*version ? version : "empty") << QString::fromLatin1(version) << false;
    }
    void isVersionSupported() {
        QFETCH(QString, version);
        QFETCH(bool, supported);
        QCOMPARE(DNSServerManager::isVersionSupported(version), supported);
    }

    // The first probe found is BIND, asked "-v"; the first find also checks status and log.
    void bindFoundAtProbe_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
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
            put(relative,
                script(path(relative) + u".args"_s, "BIND 9.18.24 (Extended Support Version)\\n"));
        const QString found = path(expected);
        auto manager = m_host->manager();
        QVERIFY(manager->isBindInstalled());
        QCOMPARE(manager->detectedBindPath(), found);
        QCOMPARE(logCount(*manager, u"BIND DNS server detected at: "_s + found, LogLevel::success),
                 1);
        QTRY_COMPARE(manager->bindVersion(), u"9.18.24"_s);
        QVERIFY(manager->isBindVersionSupported());
        QTRY_COMPARE(
            logCount(*manager, u"BIND version 9.18.24 detected (supported)"_s, LogLevel::success),
            1);
        for (const QString& relative : present)
            QCOMPARE(readFile(path(relative) + u".args"_s),
                     relative == expected ? "-v\n"_ba : QByteArray());
        // The first find runs the installed-BIND steps: one status check, one log read.
        QTRY_COMPARE(manager->serverStatus(), ServerStatus::stopped);
        QTRY_COMPARE(logCount(*manager, u"📄 No BIND log files found at standard locations"_s,
                              LogLevel::warning),
                     1);
        QTest::qWait(200);
        QCOMPARE(logCount(*manager, u"DNS server process not found"_s, LogLevel::debug), 1);
        QCOMPARE(logCount(*manager, u"🔄 Loading BIND server logs..."_s), 1);

        // Detecting again checks the status again, and only that.
        manager->checkBindInstallation();
        QTRY_COMPARE(logCount(*manager, u"BIND DNS server detected at: "_s + found), 2);
        QTRY_COMPARE(logCount(*manager, u"DNS server process not found"_s), 2);
        QTRY_COMPARE(readFile(found + u".args"_s), "-v\n-v\n"_ba);
        QTest::qWait(200);
        QCOMPARE(logCount(*manager, u"🔄 Loading BIND server logs..."_s), 1);
    }

    // No probe file: `which named` on BIND's PATH; brew and port on the application's.
    void bindFoundByWhich() {
        const QString named =
            put(u"elsewhere/named"_s, script(path(u"named.args"_s), "BIND 9.20.1\\n"));
        put(u"usr/bin/which"_s, "#!/bin/sh\necho \"$1 $PATH\" >> " + path(u"which.log"_s).toUtf8() +
                                    "\nif [ \"$1\" = named ]; then printf '  " + named.toUtf8() +
                                    " \\n\\n'; exit 0; fi\nexit 1\n");
        auto manager = m_host->manager();
        QCOMPARE(manager->detectedBindPath(), named);
        QTRY_COMPARE(manager->bindVersion(), u"9.20.1"_s);
        const QString ownPath = QString::fromLocal8Bit(qgetenv("PATH"));
        QStringList calls =
            QString::fromUtf8(readFile(path(u"which.log"_s))).split(u'\n', Qt::SkipEmptyParts);
        calls.sort();
        QCOMPARE(calls, QStringList({"brew " + ownPath, "named " + m_host->layout.bindSearchPath,
                                     "port " + ownPath}));
    }

    // Nothing found: not installed, an error line, no version query, the version kept.
    void bindNotFound_data() {
        QTest::addColumn<QByteArray>("which");
        QTest::newRow("no which") << QByteArray();
        QTest::newRow("which fails") << "#!/bin/sh\necho /usr/sbin/named\nexit 1\n"_ba;
        QTest::newRow("which prints blanks") << "#!/bin/sh\nprintf '  \\n\\t\\n'\n"_ba;
    }
    void bindNotFound() {
        QFETCH(QByteArray, which);
        if (!which.isEmpty())
            put(u"usr/bin/which"_s, which);
        auto manager = m_host->manager();
        QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
        QCOMPARE(logCount(*manager, notInstalledLine, LogLevel::error), 1);
        manager->setBindVersion(u"9.1.2"_s);
        manager->setServerStatus(ServerStatus::running);
        QSignalSpy installed(manager.get(), &DNSServerManager::isBindInstalledChanged);
        manager->checkBindInstallation();
        QTRY_COMPARE(installed.count(), 1);
        QCOMPARE(installed.first().first().toBool(), false);
        QCOMPARE(manager->serverStatus(), ServerStatus::notInstalled);
        QTest::qWait(200);
        QCOMPARE(manager->bindVersion(), u"9.1.2"_s);
        QCOMPARE(logCount(*manager, notInstalledLine, LogLevel::error), 2);
        QCOMPARE(logCount(*manager, u"Failed to check BIND version"_s), 0);
        QCOMPARE(logCount(*manager, u"🔄 Loading BIND server logs..."_s), 0);
    }

    void versionResult_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("line"); // the level is success for a supported version
        const auto row = [](const char* tag, const char* output, int exitCode, const char* version,
                            const char* line) {
            QTest::newRow(tag) << QByteArray(output) << exitCode << QString::fromLatin1(version)
                               << QString::fromLatin1(line);
        };
        const char* const unsupported = "BIND version %1 is not supported. Minimum required: 9.0.0";
        row("no line with bind", "named 9.18.24\\n", 0, "Unknown", unsupported);
        row("too old", "BIND 8.4.7\\n", 0, "8.4.7", unsupported);
        row("query fails", "BIND 9.18.24\\n", 1, "", "Failed to check BIND version");
        row("newer", "BIND 10.1\\n", 0, "10.1", "BIND version 10.1 detected (supported)");
    }
    void versionResult() {
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(QString, version);
        QFETCH(QString, line);
        line.replace(u"%1"_s, version);
        put(u"usr/sbin/named"_s, script(path(u"args"_s), output, exitCode));
        auto manager = makeManager(m_host->root(), m_host->layout);
        const bool supported = line.endsWith(u"(supported)"_s);
        // Values from an earlier run, which a failed query clears.
        manager->setBindVersion(u"9.9.9"_s);
        manager->setBindVersionSupported(!supported);
        QTRY_COMPARE(logCount(*manager, line, supported ? LogLevel::success : LogLevel::error), 1);
        QCOMPARE(manager->bindVersion(), version);
        QCOMPARE(manager->isBindVersionSupported(), supported);
    }

    // brew by probe or `which`, confirmed by `brew --version`; port by probe or `which`.
    void packageManagerFound_data() {
        QTest::addColumn<QString>("at");
        QTest::addColumn<int>("versionExit");
        QTest::addColumn<QString>("whichFinds"); // the program `which` finds, if any
        QTest::addColumn<QString>("available");
        const auto row = [](const char* tag, const char* at, int versionExit, const char* which,
                            const char* available) {
            QTest::newRow(tag) << QString::fromLatin1(at) << versionExit
                               << QString::fromLatin1(which) << QString::fromLatin1(available);
        };
        row("apple silicon", "opt/homebrew/bin/brew", 0, "", "Homebrew");
        row("intel", "usr/local/bin/brew", 0, "", "Homebrew");
        row("linuxbrew, not on the confirmation PATH", "home/linuxbrew/.linuxbrew/bin/brew", 0, "",
            "None");
        row("brew --version fails", "opt/homebrew/bin/brew", 1, "", "None");
        row("none", "", 0, "", "None");
        row("which finds brew, confirmation finds none", "", 0, "brew", "None");
        // Not at a probe path, but reachable as "brew" through the confirmation's PATH.
        row("which finds brew, confirmed", "confirm/brew", 0, "brew", "Homebrew");
        row("macports file", "opt/local/bin/port", 0, "", "MacPorts");
        row("macports by which", "", 0, "port", "MacPorts");
    }
    void packageManagerFound() {
        QFETCH(QString, at);
        QFETCH(int, versionExit);
        QFETCH(QString, whichFinds);
        QFETCH(QString, available);
        if (!at.isEmpty())
            put(at, script(path(u"brew.args"_s), {}, 0, versionExit));
        m_host->layout.homebrewConfirmationSearchPath += u':' + path(u"confirm"_s);
        if (!whichFinds.isEmpty())
            put(u"usr/bin/which"_s, "#!/bin/sh\n[ \"$1\" = " + whichFinds.toUtf8() +
                                        " ] && echo /somewhere/x && exit 0\nexit 1\n");
        auto manager = m_host->manager();
        QCOMPARE(manager->availablePackageManager(), available);
        QCOMPARE(manager->isHomebrewInstalled(), available == u"Homebrew"_s);
        QCOMPARE(manager->isMacPortsInstalled(), available == u"MacPorts"_s);
        for (const char* name : {"Homebrew", "MacPorts"}) {
            const bool found = available == QLatin1String(name);
            QCOMPARE(logCount(*manager,
                              (found ? u"✅ "_s : u"❌ "_s) + QLatin1String(name) +
                                  (found ? u" detected successfully"_s : u" not found"_s),
                              LogLevel::info),
                     1);
        }
        QVERIFY(!QFileInfo::exists(path(u"brew.args"_s)));
    }

    // Homebrew before MacPorts before APT; each detection line follows the choice so far.
    void availablePackageManager_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("available");
        QTest::newRow("all three") << QStringList{"brew", "port", "apt"} << "Homebrew";
        QTest::newRow("macports and apt") << QStringList{"port", "apt"} << "MacPorts";
        QTest::newRow("apt only") << QStringList{"apt"} << "APT";
        QTest::newRow("none") << QStringList{} << "None";
    }
    void availablePackageManager() {
        QFETCH(QStringList, present);
        QFETCH(QString, available);
        if (present.contains(u"brew"_s))
            put(u"opt/homebrew/bin/brew"_s, script(path(u"x"_s), {}, 0, 0));
        if (present.contains(u"port"_s))
            put(u"opt/local/bin/port"_s, "#!/bin/sh\n");
        if (present.contains(u"apt"_s))
            put(u"usr/bin/apt-get"_s, "#!/bin/sh\n");
        auto manager = m_host->manager();
        QCOMPARE(manager->availablePackageManager(), available);
        QCOMPARE(manager->isAptInstalled(), present.contains(u"apt"_s));
        const QStringList updates = {availableLine(u"Homebrew"_s), availableLine(u"MacPorts"_s),
                                     availableLine(u"APT"_s), noneLine};
        const QStringList messages = logMessages(*manager);
        QStringList seen;
        for (qsizetype i = 1; i < messages.size(); ++i) {
            if (QRegularExpression(
                    u"^(✅|❌) (Homebrew|MacPorts|APT) (detected successfully|not found)$"_s)
                    .match(messages[i])
                    .hasMatch()) {
                QVERIFY2(updates.contains(messages[i - 1]), qPrintable(messages[i]));
                seen.append(messages[i - 1]);
            }
        }
        QCOMPARE(seen.size(), 3);
        QCOMPARE(seen.last(), available == u"None"_s ? noneLine : availableLine(available));
    }

    void refreshDetectsAgain() {
        auto manager = m_host->manager();
        QVERIFY(!manager->isHomebrewInstalled());
        put(u"usr/local/bin/brew"_s, script(path(u"x"_s), {}, 0, 0));
        manager->refreshPackageManagerDetection();
        QTRY_COMPARE(
            logCount(*manager, u"Refreshing package manager detection..."_s, LogLevel::info), 1);
        QTRY_COMPARE(manager->availablePackageManager(), u"Homebrew"_s);
        QVERIFY(manager->isHomebrewInstalled());
        QTRY_COMPARE(logCount(*manager, u"❌ MacPorts not found"_s), 2);
        QTRY_COMPARE(logCount(*manager, u"❌ APT not found"_s), 2);
        QVERIFY(logIndex(*manager, u"Refreshing package manager detection..."_s) <
                logIndex(*manager, u"✅ Homebrew detected successfully"_s));
    }

    // Results after the manager is gone are dropped: no version query follows.
    void managerGoneBeforeResults() {
        put(u"usr/sbin/named"_s, script(path(u"named.args"_s), "BIND 9.18.24\\n"));
        put(u"usr/bin/which"_s, "#!/bin/sh\nsleep 0.3\nexit 1\n");
        auto manager = makeManager(m_host->root(), m_host->layout);
        manager.reset();
        QTest::qWait(1000);
        QVERIFY(!QFileInfo::exists(path(u"named.args"_s)));
    }

    // Installation lines; a finished one detects BIND again. Homebrew goes before MacPorts.
    void install_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("installing");
        QTest::addColumn<QByteArray>("arguments");
        const auto row = [](const char* tag, const char* name, int exitCode, const char* executable,
                            const char* installing, const char* arguments) {
            QTest::newRow(tag) << QString::fromLatin1(name) << exitCode
                               << QString::fromLatin1(executable) << QString::fromLatin1(installing)
                               << QByteArray(arguments);
        };
        const char* const brew = "Installing BIND using Homebrew at: %1";
        row("homebrew", "Homebrew", 0, "opt/homebrew/bin/brew", brew, "install bind\n");
        row("homebrew fails", "Homebrew", 1, "usr/local/bin/brew", brew, "install bind\n");
        row("macports", "MacPorts", 0, "opt/local/bin/port", "Installing BIND using MacPorts",
            "install bind9 +server\n");
        row("macports fails", "MacPorts", 2, "opt/local/bin/port", "Installing BIND using MacPorts",
            "install bind9 +server\n");
        row("apt", "APT", 0, "usr/bin/apt-get", "Installing BIND using APT",
            "install -y bind9 bind9-utils\n");
        row("apt fails", "APT", 100, "usr/bin/apt-get", "Installing BIND using APT",
            "install -y bind9 bind9-utils\n");
    }
    void install() {
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        QFETCH(QString, executable);
        QFETCH(QString, installing);
        QFETCH(QByteArray, arguments);
        const QString record = path(u"install.args"_s);
        const QByteArray output = exitCode ? "Error: something went wrong\\n"_ba : "done\\n"_ba;
        put(executable, script(record, output, exitCode, name == u"Homebrew"_s ? 0 : -1));
        if (name == u"Homebrew"_s) // MacPorts too: Homebrew installs, MacPorts is not run
            put(u"opt/local/bin/port"_s, script(path(u"port.args"_s)));
        auto manager = m_host->manager();
        QCOMPARE(manager->availablePackageManager(), name);
        const qsizetype before = manager->logs().size();
        manager->installBind();
        const QString last =
            exitCode == 0
                ? successLine(u"BIND installation completed successfully with "_s + name)
                : errorLine(name + u" installation failed: Error: something went wrong\n"_s);
        QTRY_VERIFY(withoutTimeStamps(manager->logs()).contains(last));
        QCOMPARE(readFile(record), arguments);
        QVERIFY(!QFileInfo::exists(path(u"port.args"_s)));
        // Only a finished installation looks for BIND again.
        if (exitCode == 0)
            QTRY_COMPARE(logCount(*manager, notInstalledLine), 2);
        QTest::qWait(200);
        QCOMPARE(logCount(*manager, notInstalledLine), exitCode == 0 ? 2 : 1);
        QCOMPARE(
            withoutTimeStamps(manager->logs().mid(before)).mid(0, 3),
            QStringList({infoLine(u"Using %1 to install BIND..."_s.arg(name)),
                         infoLine(QString(installing).replace(u"%1"_s, path(executable))), last}));
    }

    void installFailsEarly() {
        // Nothing to install with.
        auto manager = m_host->manager();
        qsizetype before = manager->logs().size();
        manager->installBind();
        QTRY_COMPARE(manager->logs().size(), before + 1);
        QTest::qWait(100);
        QCOMPARE(
            withoutTimeStamps(manager->logs().mid(before)),
            QStringList{infoLine(
                u"No package manager available. Please install Homebrew or MacPorts first."_s)});
        // MacPorts asked for, but missing.
        manager->installBindWithMacPorts();
        QTRY_COMPARE(
            logCount(*manager,
                     u"MacPorts executable not found at: "_s + path(u"opt/local/bin/port"_s),
                     LogLevel::error),
            1);
        QCOMPARE(logCount(*manager, u"Installing BIND using MacPorts"_s), 0);

        // A brew confirmed through its PATH but at neither installation path installs nothing.
        Host linuxbrew;
        linuxbrew.write(u"home/linuxbrew/.linuxbrew/bin/brew"_s,
                        script(linuxbrew.path(u"install.args"_s), {}, 0, 0), true);
        linuxbrew.layout.homebrewConfirmationSearchPath =
            linuxbrew.path(u"home/linuxbrew/.linuxbrew/bin"_s);
        manager = linuxbrew.manager();
        QVERIFY(manager->isHomebrewInstalled());
        manager->installBind();
        QTRY_COMPARE(logCount(*manager, u"Homebrew executable not found in standard locations"_s,
                              LogLevel::error),
                     1);
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(linuxbrew.path(u"install.args"_s)));
    }

    // APT runs through the privilege prompt (if any) unless Korvi runs as root.
    void aptInvocation() {
        const SystemLayout& layout = m_host->layout;
        const QString apt = layout.aptInstallPath + u" install -y bind9 bind9-utils"_s;
        const auto invocation = [&layout](bool root) {
            const auto i = PackageInstaller::aptInvocation(layout, root);
            return (QStringList{i.program} + i.arguments).join(u' ');
        };
        QCOMPARE(invocation(false), apt);
        put(u"usr/bin/pkexec"_s, "#!/bin/sh\nexit 1\n");
        QCOMPARE(invocation(true), apt);
        QCOMPARE(invocation(false), layout.privilegePromptPath + u' ' + apt);
    }

    void installationGuide() {
        auto manager = m_host->manager();
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        const qsizetype before = manager->logs().size();
        manager->openPackageManagerInstallationGuide();
        QCOMPARE(opened, QList<QUrl>{QUrl(u"https://brew.sh"_s)});
        QTRY_COMPARE(manager->logs().size(), before + 4);
        QCOMPARE(
            withoutTimeStamps(manager->logs().mid(before)),
            QStringList({"Opening package manager installation instructions...",
                         "Opened Homebrew installation page: https://brew.sh",
                         "Alternative: MacPorts - https://www.macports.org/install.php",
                         "After installing a package manager, use 'Refresh' to detect it."})
                .replaceInStrings(QRegularExpression(u"^"_s), levelWord(LogLevel::info) + u": "_s));
    }
};

QTEST_GUILESS_MAIN(DetectionTest)
#include "tst_detection.moc"
