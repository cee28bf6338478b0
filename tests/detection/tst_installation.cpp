// Installation of BIND through Homebrew, MacPorts and APT, and the package
// managers' installation instructions, against fake programs in a private
// directory; nothing is ever installed.

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"
#include "manager/PackageInstaller.h"
#include "platform/WebPageOpener.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString notInstalledLine = QStringLiteral("BIND DNS server is not installed on this system");
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

class InstallationTest : public QObject {
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
    void cleanup() {
        WebPageOpener::setHandler({});
        m_dir.reset();
    }

    void installWithoutPackageManager() {
        auto manager = started(isolatedLayout(m_root));
        const qsizetype before = manager->logs().size();
        manager->installBind();
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("No package manager available. Please install "
                                             "Homebrew or MacPorts first."),
                              LogLevel::info),
                     1);
        QTest::qWait(100);
        QCOMPARE(manager->logs().size(), before + 1);
    }

    // A finished installation logs its line and detects BIND again; a failed
    // one logs the installer's output as it came.
    void install_data() {
        QTest::addColumn<QString>("manager");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("arguments");
        const QByteArray output = "Error: something went wrong\\n";
        QTest::newRow("homebrew")
            << "Homebrew" << 0 << "opt/homebrew/bin/brew"
            << QStringList{"Using Homebrew to install BIND...",
                           "Installing BIND using Homebrew at: %1",
                           "BIND installation completed successfully with Homebrew"}
            << QByteArray("install bind\n");
        QTest::newRow("homebrew fails")
            << "Homebrew" << 1 << "usr/local/bin/brew"
            << QStringList{"Using Homebrew to install BIND...",
                           "Installing BIND using Homebrew at: %1",
                           "Homebrew installation failed: Error: something went wrong\n"}
            << QByteArray("install bind\n");
        QTest::newRow("macports")
            << "MacPorts" << 0 << "opt/local/bin/port"
            << QStringList{"Using MacPorts to install BIND...", "Installing BIND using MacPorts",
                           "BIND installation completed successfully with MacPorts"}
            << QByteArray("install bind9 +server\n");
        QTest::newRow("macports fails")
            << "MacPorts" << 2 << "opt/local/bin/port"
            << QStringList{"Using MacPorts to install BIND...", "Installing BIND using MacPorts",
                           "MacPorts installation failed: Error: something went wrong\n"}
            << QByteArray("install bind9 +server\n");
        QTest::newRow("apt") << "APT" << 0 << "usr/bin/apt-get"
                             << QStringList{"Using APT to install BIND...",
                                            "Installing BIND using APT",
                                            "BIND installation completed successfully with APT"}
                             << QByteArray("install -y bind9 bind9-utils\n");
        QTest::newRow("apt fails")
            << "APT" << 100 << "usr/bin/apt-get"
            << QStringList{"Using APT to install BIND...", "Installing BIND using APT",
                           "APT installation failed: Error: something went wrong\n"}
            << QByteArray("install -y bind9 bind9-utils\n");
    }
    void install() {
        QFETCH(QString, manager);
        QFETCH(int, exitCode);
        QFETCH(QString, executable);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, arguments);
        const QString record = path(QStringLiteral("install.args"));
        const QByteArray output = "Error: something went wrong\\n";
        const QString program =
            manager == QStringLiteral("Homebrew")
                ? put(executable, brewScript(record, 0, exitCode, exitCode ? output : "done\\n"))
                : put(executable, recordingScript(record, exitCode ? output : "done\\n", exitCode));
        auto korvi = started(isolatedLayout(m_root));
        QCOMPARE(korvi->availablePackageManager(), manager);
        QCOMPARE(logCount(*korvi, notInstalledLine), 1);

        korvi->installBind();
        const QString last = lines.last();
        QTRY_COMPARE(logCount(*korvi, last), 1);
        QCOMPARE(readFile(record), arguments);
        qsizetype previous = -1;
        for (QString line : lines) {
            if (line.contains(QStringLiteral("%1")))
                line = line.arg(path(executable));
            const qsizetype index = logIndex(*korvi, line);
            QVERIFY2(index > previous, qPrintable(line));
            previous = index;
        }
        QCOMPARE(logCount(*korvi, lines[0], LogLevel::info), 1);
        QCOMPARE(logCount(*korvi, last, exitCode == 0 ? LogLevel::success : LogLevel::error), 1);
        // Only a finished installation looks for BIND again.
        if (exitCode == 0)
            QTRY_COMPARE(logCount(*korvi, notInstalledLine), 2);
        QTest::qWait(200);
        QCOMPARE(logCount(*korvi, notInstalledLine), exitCode == 0 ? 2 : 1);
    }

    // A brew confirmed through its PATH but at neither installation path
    // installs nothing.
    void homebrewOutsideInstallPaths() {
        put(QStringLiteral("home/linuxbrew/.linuxbrew/bin/brew"),
            brewScript(path(QStringLiteral("install.args")), 0));
        SystemLayout layout = isolatedLayout(m_root);
        layout.homebrewConfirmationSearchPath =
            path(QStringLiteral("home/linuxbrew/.linuxbrew/bin"));
        auto manager = started(layout);
        QVERIFY(manager->isHomebrewInstalled());
        manager->installBind();
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("Homebrew executable not found in standard locations"),
                              LogLevel::error),
                     1);
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("install.args"))));
    }

    void macPortsMissingAtInstall() {
        auto manager = started(isolatedLayout(m_root));
        manager->installBindWithMacPorts();
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("MacPorts executable not found at: ") +
                                  path(QStringLiteral("opt/local/bin/port")),
                              LogLevel::error),
                     1);
        QCOMPARE(logCount(*manager, QStringLiteral("Installing BIND using MacPorts")), 0);
    }

    // Both package managers present: Homebrew installs, MacPorts is not run.
    void bothPresentHomebrewInstalls() {
        const QString record = path(QStringLiteral("brew.args"));
        put(QStringLiteral("opt/homebrew/bin/brew"), brewScript(record, 0));
        put(QStringLiteral("opt/local/bin/port"),
            recordingScript(path(QStringLiteral("port.args")), "", 0));
        auto manager = started(isolatedLayout(m_root));
        QCOMPARE(manager->availablePackageManager(), QStringLiteral("Homebrew"));
        manager->installBind();
        QTRY_COMPARE(logCount(*manager, QStringLiteral("BIND installation completed successfully "
                                                       "with Homebrew")),
                     1);
        QCOMPARE(readFile(record), QByteArray("install bind\n"));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("port.args"))));
    }

    // Korvi does not run APT as an ordinary user: it asks through the
    // privilege prompt when there is one.
    void aptInvocation_data() {
        QTest::addColumn<bool>("root");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<bool>("throughPrompt");
        QTest::newRow("root") << true << true << false;
        QTest::newRow("user with prompt") << false << true << true;
        QTest::newRow("user without prompt") << false << false << false;
    }
    void aptInvocation() {
        QFETCH(bool, root);
        QFETCH(bool, prompt);
        QFETCH(bool, throughPrompt);
        const SystemLayout layout = isolatedLayout(m_root);
        if (prompt)
            put(QStringLiteral("usr/bin/pkexec"), "#!/bin/sh\nexit 1\n");
        const auto invocation = PackageInstaller::aptInvocation(layout, root);
        const QStringList apt = {QStringLiteral("install"), QStringLiteral("-y"),
                                 QStringLiteral("bind9"), QStringLiteral("bind9-utils")};
        if (throughPrompt) {
            QCOMPARE(invocation.program, layout.privilegePromptPath);
            QCOMPARE(invocation.arguments, QStringList{layout.aptInstallPath} + apt);
        } else {
            QCOMPARE(invocation.program, layout.aptInstallPath);
            QCOMPARE(invocation.arguments, apt);
        }
    }

    void installationGuide() {
        auto manager = started(isolatedLayout(m_root));
        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        const qsizetype before = logMessages(*manager).size();
        manager->openPackageManagerInstallationGuide();
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://brew.sh"))});
        QTRY_COMPARE(logMessages(*manager).size(), before + 4);
        QCOMPARE(logMessages(*manager).mid(before),
                 (QStringList{
                     QStringLiteral("Opening package manager installation instructions..."),
                     QStringLiteral("Opened Homebrew installation page: https://brew.sh"),
                     QStringLiteral("Alternative: MacPorts - https://www.macports.org/install.php"),
                     QStringLiteral("After installing a package manager, use 'Refresh' to "
                                    "detect it.")}));
        for (const LogEntry& entry : logEntries(*manager).mid(before))
            QCOMPARE(*entry.level, LogLevel::info);
    }
};

QTEST_GUILESS_MAIN(InstallationTest)
#include "tst_installation.moc"
