// The command runner's checks: which command lines may run, how they are
// cleaned, and which paths Korvi may touch; through the runner itself and
// through the manager's operations of the same names.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "manager/CommandRunner.h"
#include "manager/DNSServerManager.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

using namespace korvi;

class RunnerChecksTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A manager with the standard command and path lists; its files and
    // preferences live in the temporary directory.
    std::unique_ptr<DNSServerManager> makeManager() const {
        SystemLayout layout = SystemLayout::standard();
        layout.namedConfigPath = m_dir.path() + QStringLiteral("/etc/named.conf");
        layout.zoneDirectory = m_dir.path() + QStringLiteral("/var/named");
        layout.bindExecutablePath = m_dir.path() + QStringLiteral("/sbin/named");
        layout.temporaryDirectory = m_dir.path() + QStringLiteral("/tmp");
        return std::make_unique<DNSServerManager>(
            layout,
            std::make_shared<PreferencesStore>(m_dir.path() + QStringLiteral("/prefs.ini")));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void allowList_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("cat") << "cat /usr/local/etc/named.conf" << false;
        QTest::newRow("tail, the log reader") << "tail -n 50 /usr/local/etc/named.conf" << true;
        QTest::newRow("leading space") << " brew list" << false;
        QTest::newRow("only spaces") << "   " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("brew") << "brew list" << true;
        QTest::newRow("port") << "port installed bind9" << true;
        QTest::newRow("which") << "which named" << true;
        QTest::newRow("pgrep") << "pgrep -x named" << true;
        QTest::newRow("ps alone") << "ps" << true;
        QTest::newRow("launchctl") << "launchctl unload x" << true;
        QTest::newRow("checkconf") << "named-checkconf /usr/local/etc/named.conf" << true;
        QTest::newRow("checkzone") << "named-checkzone example.com /tmp/db.x" << true;
        QTest::newRow("sudo pkill") << "sudo pkill named" << true;
        QTest::newRow("sudo alone") << "sudo" << true;
        QTest::newRow("sudo anything") << "sudo rm -rf /" << true;
        QTest::newRow("sudoedit") << "sudoedit /etc/hosts" << false;
        QTest::newRow("usr local path") << "/usr/local/sbin/named -v" << true;
        QTest::newRow("opt local path") << "/opt/local/bin/port list" << true;
        QTest::newRow("prefix lookalike") << "/usr/localx/bin/tool" << false;
        QTest::newRow("prefix without slash") << "/usr/local" << false;
        QTest::newRow("relative path") << "usr/local/sbin/named" << false;
        QTest::newRow("chained, first word allowed") << "launchctl load a; rm b" << true;
        QTest::newRow("semicolon glued") << "brew; rm b" << false;
        QTest::newRow("case differs") << "Brew list" << false;
        QTest::newRow("tab separated") << "brew\tlist" << false;
        QTest::newRow("longer word") << "brewer list" << false;
        QTest::newRow("rm") << "rm -rf /" << false;
    }
    void allowList() {
        QFETCH(QString, command);
        QFETCH(bool, allowed);
        const CommandRunner runner(SystemLayout::standard(), nullptr);
        QCOMPARE(runner.isCommandAllowed(command), allowed);
        const auto manager = makeManager();
        QCOMPARE(manager->isCommandAllowed(command), allowed);
    }

    void sanitize_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("semicolon") << "launchctl load a; rm b"
                                   << "launchctl load a rm b";
        QTest::newRow("double quotes") << "named-checkzone \"my zone\" /tmp/x"
                                       << "named-checkzone my zone /tmp/x";
        QTest::newRow("single quotes") << "brew install 'bind 9'"
                                       << "brew install bind 9";
        QTest::newRow("and") << "brew list && rm -rf /"
                             << "brew list  rm -rf /";
        QTest::newRow("or") << "a||b"
                            << "ab";
        QTest::newRow("every character") << "a&b|c;d`e$f(g)h<i>j\\k\"l'm"
                                         << "abcdefghijklm";
        QTest::newRow("substitution") << "echo $(whoami) `id` > /tmp/x"
                                      << "echo whoami id  /tmp/x";
        QTest::newRow("ends trimmed") << "  \n brew list \t\n"
                                      << "brew list";
        QTest::newRow("trim after removal") << "; brew list &"
                                            << "brew list";
        QTest::newRow("inner spaces kept") << "brew  list"
                                           << "brew  list";
        QTest::newRow("nothing to do") << "/usr/local/sbin/named -v"
                                       << "/usr/local/sbin/named -v";
        QTest::newRow("empty") << ""
                               << "";
    }
    void sanitize() {
        QFETCH(QString, command);
        QFETCH(QString, cleaned);
        QCOMPARE(CommandRunner::sanitizeCommand(command), cleaned);
        const auto manager = makeManager();
        QCOMPARE(manager->sanitizeCommand(command), cleaned);
    }

    void validPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("valid");
        QTest::newRow("named.conf") << "/usr/local/etc/named.conf" << true;
        QTest::newRow("macports zone") << "/opt/local/var/named/db.example.com" << true;
        QTest::newRow("usr local zone") << "/usr/local/var/named/db.example.com" << true;
        QTest::newRow("opt local etc") << "/opt/local/etc/named.conf" << true;
        QTest::newRow("directory itself") << "/usr/local/etc" << false;
        QTest::newRow("directory with slash") << "/usr/local/etc/" << false;
        QTest::newRow("climbs out") << "/usr/local/etc/../../../etc/passwd" << false;
        QTest::newRow("climbs past root") << "/usr/local/etc/../../../../../etc/passwd" << false;
        QTest::newRow("var log") << "/var/log/named.log" << false;
        QTest::newRow("usr local var log") << "/usr/local/var/log/named.log" << false;
        QTest::newRow("doubled slash") << "/usr/local//etc/named.conf" << true;
        QTest::newRow("single dot") << "/usr/local/etc/./named.conf" << true;
        QTest::newRow("dot dot inside") << "/usr/local/var/named/../named/db.x" << true;
        QTest::newRow("dot dot to sibling") << "/usr/local/var/named/../log/x" << false;
        QTest::newRow("subdirectory, trailing slash") << "/usr/local/etc/bind/" << true;
        QTest::newRow("lookalike") << "/usr/local/etcetera/named.conf" << false;
        QTest::newRow("relative") << "usr/local/etc/named.conf" << false;
        QTest::newRow("upper case") << "/USR/LOCAL/ETC/named.conf" << false;
        QTest::newRow("empty") << "" << false;
    }
    void validPath() {
        QFETCH(QString, path);
        QFETCH(bool, valid);
        const CommandRunner runner(SystemLayout::standard(), nullptr);
        QCOMPARE(runner.isValidPath(path), valid);
        const auto manager = makeManager();
        QCOMPARE(manager->isValidPath(path), valid);
    }

    void validPathTilde_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("valid");
        const QString home = QDir::homePath();
        QTest::newRow("inside") << "~/.korvi-area/named.conf" << true;
        QTest::newRow("inside, dot dot") << "~/other/../.korvi-area/db.x" << true;
        QTest::newRow("expanded already") << home + "/.korvi-area/named.conf" << true;
        QTest::newRow("home itself") << "~" << false;
        QTest::newRow("the area itself") << "~/.korvi-area" << false;
        QTest::newRow("elsewhere in home") << "~/other/named.conf" << false;
        QTest::newRow("another user") << "~nobody/.korvi-area/named.conf" << false;
        QTest::newRow("tilde not leading") << "/x/~/.korvi-area/named.conf" << false;
    }
    void validPathTilde() {
        QFETCH(QString, path);
        QFETCH(bool, valid);
        SystemLayout homeLayout = SystemLayout::standard();
        homeLayout.allowedPathPrefixes = {QDir::homePath() + QStringLiteral("/.korvi-area/")};
        const CommandRunner runner(homeLayout, nullptr);
        QCOMPARE(runner.isValidPath(path), valid);
    }
};

QTEST_GUILESS_MAIN(RunnerChecksTest)
#include "tst_runner_checks.moc"
