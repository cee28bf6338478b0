// Detection of the package managers, BIND and its version, and installing
// BIND, against fake programs in a private directory.
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

QString availableLine(const QString& name) {
    return name == u"None"_s
               ? u"❌ No package manager detected. Please install Homebrew or "
                 "MacPorts to enable BIND installation."_s
               : u"✅ "_s + name + u" detected and available for package installation"_s;
}

// A script noting its arguments in `record`; with versionExit >= 0 it answers --version as brew.
QByteArray script(const QString& record, const QByteArray& output = {}, int exitCode = 0,
                  int versionExit = -1) {
    const QByteArray version = versionExit < 0 ? QByteArray()
                                               : "if [ \"$1\" = --version ]; then exit " +
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

    // p: the version parsed from named -v output; s: whether a version is supported.
    void versionText_data() {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const std::tuple<char, const char*, const char*> rows[] = {
            {'p', "BIND 9.18.49-1~deb12u3-Debian (Extended Support Version)", "9.18.49"},
            {'p', "named: starting\nbind 9.11.3\r\n", "9.11.3"},
            {'p', "BIND 9.1.0\nBIND 10.2", "9.1.0"},
            {'p', "BIND v9.18.1 9.1.2.3", "9.1.2.3"},
            {'p', "named 9.18.24\nBIND", "Unknown"},
            {'s', "9.0.0", "1"},
            {'s', "10", "1"},
            {'s', "9223372036854775807", "1"},
            {'s', "8.4.7", "0"},
            {'s', "Unknown", "0"},
            {'s', "9.-1", "0"},
            {'s', "99999999999999999999.0", "0"}};
        for (const auto& [kind, input, expected] : rows)
            QTest::newRow(input) << kind << QString::fromLatin1(input)
                                 << QString::fromLatin1(expected);
    }
    void versionText() {
        QFETCH(char, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(kind == 'p' ? DNSServerManager::parseBindVersion(input)
                             : QString::number(DNSServerManager::isVersionSupported(input)),
                 expected);
    }

    // The first probe found is BIND, asked "-v"; the first find also checks status and log,
    // detecting again checks the status again, and only that.
    void bindFoundAtProbe() {
        const QStringList present = {"opt/homebrew/sbin/named", "usr/local/sbin/named",
                                     "usr/sbin/named"};
        for (const QString& relative : present)
            put(relative, script(path(relative) + u".args"_s, "BIND 9.18.24 (Extended)\\n"));
        const QString found = path(present.first());
        auto m = m_host->manager();
        QCOMPARE(logCount(*m, u"BIND DNS server detected at: "_s + found, LogLevel::success), 1);
        QTRY_COMPARE(
            logCount(*m, u"BIND version 9.18.24 detected (supported)"_s, LogLevel::success), 1);
        QVERIFY(m->isBindInstalled() && m->isBindVersionSupported());
        QCOMPARE(m->bindVersion(), u"9.18.24"_s);
        QTRY_COMPARE(m->serverStatus(), ServerStatus::stopped);
        QTRY_COMPARE(
            logCount(*m, u"📄 No BIND log files found at standard locations"_s, LogLevel::warning),
            1);
        m->checkBindInstallation();
        QTRY_COMPARE(logCount(*m, u"DNS server process not found"_s, LogLevel::debug), 2);
        QTRY_COMPARE(readFile(found + u".args"_s), "-v\n-v\n"_ba);
        QTest::qWait(200);
        QCOMPARE(logCount(*m, u"🔄 Loading BIND server logs..."_s), 1);
        QCOMPARE(readFile(path(present[1]) + u".args"_s) + readFile(path(present[2]) + u".args"_s),
                 "");
    }

    // No probe file: `which named` on BIND's PATH; brew and port on the application's.
    void bindFoundByWhich() {
        const QString named =
            put(u"elsewhere/named"_s, script(path(u"named.args"_s), "BIND 9.20.1\\n"));
        put(u"usr/bin/which"_s, "#!/bin/sh\necho \"$1 $PATH\" >> " + path(u"which.log"_s).toUtf8() +
                                    "\nif [ \"$1\" = named ]; then printf '  " + named.toUtf8() +
                                    " \\n\\n'; exit 0; fi\nexit 1\n");
        auto m = m_host->manager();
        QCOMPARE(m->detectedBindPath(), named);
        QTRY_COMPARE(m->bindVersion(), u"9.20.1"_s);
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
        QTest::newRow("which fails") << "#!/bin/sh\necho /usr/sbin/named\nexit 1\n"_ba;
        QTest::newRow("which prints blanks") << "#!/bin/sh\nprintf '  \\n\\t\\n'\n"_ba;
    }
    void bindNotFound() {
        QFETCH(QByteArray, which);
        put(u"usr/bin/which"_s, which);
        auto m = m_host->manager();
        m->setBindVersion(u"9.1.2"_s);
        m->setServerStatus(ServerStatus::running);
        QSignalSpy installed(m.get(), &DNSServerManager::isBindInstalledChanged);
        m->checkBindInstallation();
        QTRY_COMPARE(installed.count(), 1);
        QVERIFY(!installed.first().first().toBool());
        QCOMPARE(m->serverStatus(), ServerStatus::notInstalled);
        QTest::qWait(200);
        QCOMPARE(m->bindVersion(), u"9.1.2"_s);
        QCOMPARE(logCount(*m, notInstalledLine, LogLevel::error), 2);
        QCOMPARE(logCount(*m, u"Failed to check BIND version"_s), 0);
    }

    void versionResult_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("line"); // at level success for a supported version
        const char* const unsupported = "BIND version %1 is not supported. Minimum required: 9.0.0";
        QTest::newRow("no line with bind")
            << "named 9.18.24\\n"_ba << 0 << "Unknown" << unsupported;
        QTest::newRow("too old") << "BIND 8.4.7\\n"_ba << 0 << "8.4.7" << unsupported;
        QTest::newRow("query fails") << "BIND 9.18.24\\n"_ba << 1 << ""
                                     << "Failed to check BIND version";
        QTest::newRow("newer") << "BIND 10.1\\n"_ba << 0 << "10.1"
                               << "BIND version 10.1 detected (supported)";
    }
    void versionResult() {
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(QString, version);
        QFETCH(QString, line);
        line.replace(u"%1"_s, version);
        put(u"usr/sbin/named"_s, script(path(u"args"_s), output, exitCode));
        auto m = makeManager(m_host->root(), m_host->layout);
        const bool supported = line.endsWith(u"(supported)"_s);
        m->setBindVersion(u"9.9.9"_s); // an earlier run's values, which a failed query clears
        m->setBindVersionSupported(!supported);
        QTRY_COMPARE(logCount(*m, line, supported ? LogLevel::success : LogLevel::error), 1);
        QCOMPARE(m->bindVersion(), version);
        QCOMPARE(m->isBindVersionSupported(), supported);
    }

    // Found on refresh: brew by probe or `which`, confirmed by `brew --version` on its own
    // PATH; port by probe or `which`; Homebrew before MacPorts before APT. Each detection
    // line follows the choice made so far. "which:x": `which` finds x; "name:n": brew exits n.
    void packageManagers_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("available");
        const std::pair<QStringList, const char*> rows[] = {
            {{"usr/local/bin/brew:0", "opt/local/bin/port", "usr/bin/apt-get"}, "Homebrew"},
            {{"home/linuxbrew/.linuxbrew/bin/brew:0", "usr/bin/apt-get"}, "APT"},
            {{"opt/homebrew/bin/brew:1"}, "None"},
            {{"which:brew"}, "None"},
            {{"which:brew", "confirm/brew:0"}, "Homebrew"},
            {{"opt/local/bin/port", "usr/bin/apt-get"}, "MacPorts"},
            {{"which:port"}, "MacPorts"},
            {{}, "None"}};
        for (const auto& [present, available] : rows)
            QTest::newRow(qPrintable(present.join(u' ')))
                << present << QString::fromLatin1(available);
    }
    void packageManagers() {
        QFETCH(QStringList, present);
        QFETCH(QString, available);
        m_host->layout.homebrewConfirmationSearchPath += u':' + path(u"confirm"_s);
        auto m = m_host->manager();
        for (const QString& item : present) {
            const QString file = item.section(u':', 0, 0), arg = item.section(u':', 1);
            if (file == u"which"_s)
                put(u"usr/bin/which"_s, "#!/bin/sh\n[ \"$1\" = " + arg.toUtf8() +
                                            " ] && echo /somewhere/x && exit 0\nexit 1\n");
            else
                put(file, script(path(u"brew.args"_s), {}, 0, arg.isEmpty() ? -1 : arg.toInt()));
        }
        const qsizetype from = m->logs().size();
        m->refreshPackageManagerDetection();
        QTRY_COMPARE(logEntries(*m, from).size(), 7);
        QCOMPARE(m->availablePackageManager(), available);
        QCOMPARE(m->isHomebrewInstalled(), available == u"Homebrew"_s);
        QCOMPARE(m->isAptInstalled(), present.contains(u"usr/bin/apt-get"_s));
        const QList<LogEntry> lines = logEntries(*m, from);
        QCOMPARE(lines[0].message, u"Refreshing package manager detection..."_s);
        const QStringList updates = {availableLine(u"Homebrew"_s), availableLine(u"MacPorts"_s),
                                     availableLine(u"APT"_s), availableLine(u"None"_s)};
        static const QRegularExpression detection(
            u"^(✅|❌) (Homebrew|MacPorts|APT) (detected successfully|not found)$"_s);
        for (int i = 1; i < 7; i += 2) {
            QVERIFY2(updates.contains(lines[i].message), qPrintable(lines[i].message));
            QVERIFY2(detection.match(lines[i + 1].message).hasMatch(),
                     qPrintable(lines[i + 1].message));
        }
        QCOMPARE(lines[5].message, availableLine(available));
        const QString brewLine = available == u"Homebrew"_s ? u"✅ Homebrew detected successfully"_s
                                                            : u"❌ Homebrew not found"_s;
        QCOMPARE(logCount(*m, brewLine, LogLevel::info), 2 - (available == u"Homebrew"_s));
        QVERIFY(!QFileInfo::exists(path(u"brew.args"_s))); // only --version was asked
    }

    // Results after the manager is gone are dropped: no version query follows.
    void managerGoneBeforeResults() {
        put(u"usr/sbin/named"_s, script(path(u"named.args"_s), "BIND 9.18.24\\n"));
        put(u"usr/bin/which"_s, "#!/bin/sh\nsleep 0.3\nexit 1\n");
        makeManager(m_host->root(), m_host->layout).reset();
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
        QTest::newRow("homebrew") << "Homebrew" << 0 << "opt/homebrew/bin/brew"
                                  << "Installing BIND using Homebrew at: %1"
                                  << "install bind\n"_ba;
        QTest::newRow("macports fails") << "MacPorts" << 2 << "opt/local/bin/port"
                                        << "Installing BIND using MacPorts"
                                        << "install bind9 +server\n"_ba;
        QTest::newRow("apt") << "APT" << 0 << "usr/bin/apt-get"
                             << "Installing BIND using APT"
                             << "install -y bind9 bind9-utils\n"_ba;
    }
    void install() {
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        QFETCH(QString, executable);
        QFETCH(QString, installing);
        QFETCH(QByteArray, arguments);
        const QByteArray output = exitCode ? "Error: went wrong\\n"_ba : "done\\n"_ba;
        put(executable,
            script(path(u"install.args"_s), output, exitCode, name == u"Homebrew"_s ? 0 : -1));
        if (name == u"Homebrew"_s) // MacPorts too: Homebrew installs, MacPorts is not run
            put(u"opt/local/bin/port"_s, script(path(u"port.args"_s)));
        auto m = m_host->manager();
        QCOMPARE(m->availablePackageManager(), name);
        const qsizetype before = m->logs().size();
        m->installBind();
        const QString last =
            exitCode == 0 ? successLine(u"BIND installation completed successfully with "_s + name)
                          : errorLine(name + u" installation failed: Error: went wrong\n"_s);
        QTRY_VERIFY(withoutTimeStamps(m->logs()).contains(last));
        if (exitCode == 0) // only a finished installation looks for BIND again
            QTRY_COMPARE(logCount(*m, notInstalledLine), 2);
        QTest::qWait(200);
        QCOMPARE(logCount(*m, notInstalledLine), exitCode == 0 ? 2 : 1);
        QCOMPARE(readFile(path(u"install.args"_s)) + readFile(path(u"port.args"_s)), arguments);
        // The installer's own line is shown as it comes, before the outcome.
        const QString progress = infoLine(u"📦 "_s + QString::fromUtf8(output).remove(u"\\n"_s));
        QCOMPARE(withoutTimeStamps(m->logs().mid(before)).mid(0, 4),
                 QStringList({infoLine(u"Using %1 to install BIND..."_s.arg(name)),
                              infoLine(QString(installing).replace(u"%1"_s, path(executable))),
                              progress, last}));
    }

    // The published name chooses the package manager; any other text is no package manager at
    // all (it used to install through MacPorts).
    void availableNameChoosesTheInstaller_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("published");
        QTest::addColumn<QString>("firstLine");
        const QString none =
            u"No package manager available. Please install Homebrew or MacPorts first."_s;
        QTest::newRow("MacPorts") << u"MacPorts"_s << u"MacPorts"_s
                                  << u"Using MacPorts to install BIND..."_s;
        QTest::newRow("unknown text") << u"Fink"_s << u"None"_s << none;
        QTest::newRow("wrong case") << u"macports"_s << u"None"_s << none;
        QTest::newRow("empty") << QString() << u"None"_s << none;
    }
    void availableNameChoosesTheInstaller() {
        QFETCH(QString, name);
        QFETCH(QString, published);
        QFETCH(QString, firstLine);
        auto m = m_host->manager();
        QSignalSpy changes(m.get(), &DNSServerManager::availablePackageManagerChanged);
        m->setAvailablePackageManager(name);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().first().toString(), published);
        QCOMPARE(m->availablePackageManager(), published);
        const qsizetype before = m->logs().size();
        m->installBind();
        QTRY_VERIFY(m->logs().size() > before);
        QCOMPARE(parseLogLine(m->logs().at(before)).message, firstLine);
    }

    // Nothing to install with; MacPorts missing; a brew found at no installation path.
    void installFailsEarly() {
        auto m = m_host->manager();
        const qsizetype before = m->logs().size();
        m->installBind();
        m->installBindWithMacPorts();
        QTRY_COMPARE(m->logs().size(), before + 2);
        QTest::qWait(100);
        QCOMPARE(withoutTimeStamps(m->logs().mid(before)),
                 QStringList({infoLine(u"No package manager available. Please install Homebrew or "
                                       "MacPorts first."_s),
                              errorLine(u"MacPorts executable not found at: "_s +
                                        path(u"opt/local/bin/port"_s))}));
        put(u"home/linuxbrew/.linuxbrew/bin/brew"_s, script(path(u"install.args"_s), {}, 0, 0));
        m_host->layout.homebrewConfirmationSearchPath = path(u"home/linuxbrew/.linuxbrew/bin"_s);
        m = m_host->manager();
        QVERIFY(m->isHomebrewInstalled());
        m->installBind();
        QTRY_COMPARE(
            logCount(*m, u"Homebrew executable not found in standard locations"_s, LogLevel::error),
            1);
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(path(u"install.args"_s)));
    }

    // APT through the privilege prompt (if any) unless root; the installation guide.
    void aptInvocationAndGuide() {
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

        auto m = m_host->manager();
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        const qsizetype before = m->logs().size();
        m->openPackageManagerInstallationGuide();
        QCOMPARE(opened, QList<QUrl>{QUrl(u"https://brew.sh"_s)});
        QTRY_COMPARE(m->logs().size(), before + 4);
        QCOMPARE(
            withoutTimeStamps(m->logs().mid(before)),
            QStringList(
                {infoLine("Opening package manager installation instructions..."),
                 infoLine("Opened Homebrew installation page: https://brew.sh"),
                 infoLine("Alternative: MacPorts - https://www.macports.org/install.php"),
                 infoLine("After installing a package manager, use 'Refresh' to detect it.")}));
    }
};

QTEST_GUILESS_MAIN(DetectionTest)
#include "tst_detection.moc"
