// Which layout standard mode manages on which host, and what each layout
// tells the rest of Korvi: paths, server control, the helper.

#include <QTemporaryDir>
#include <QtTest>

#include "host/HostLayout.h"
#include "manager/AppLog.h"
#include "manager/NamedServerControl.h"
#include "manager/RndcServerControl.h"

using namespace Qt::StringLiterals;
using namespace korvi;

class TestHostLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void chosenLayout_data() {
        QTest::addColumn<QString>("osRelease");
        QTest::addColumn<bool>("systemd");
        QTest::addColumn<bool>("root");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<QString>("zoneDirectory");
        QTest::addColumn<int>("control");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("options");

        const int rndc = int(SystemLayout::Control::rndc);
        const int systemd = int(SystemLayout::Control::systemd);
        const int commands = int(SystemLayout::Control::layoutCommands);
        const QString helper = SystemLayout::standard().helperPath;
        QTest::newRow("debian, no systemd, root")
            << u"ID=debian\nPRETTY_NAME=\"Debian GNU/Linux 12\"\n"_s << false << true
            << u"Debian / Ubuntu"_s << u"/etc/bind/named.conf"_s << u"/var/lib/bind/korvi"_s << rndc
            << QStringList{u"/usr/sbin/named"_s, u"-u"_s, u"bind"_s, u"-c"_s,
                           u"/etc/bind/named.conf"_s}
            << u"/etc/bind/named.conf.options"_s;
        QTest::newRow("ubuntu, no systemd, user")
            << u"ID=ubuntu\nID_LIKE=debian\n"_s << false << false << u"Debian / Ubuntu"_s
            << u"/etc/bind/named.conf"_s << u"/var/lib/bind/korvi"_s << rndc
            << QStringList{u"pkexec"_s, helper, u"start-server"_s}
            << u"/etc/bind/named.conf.options"_s;
        QTest::newRow("debian, systemd")
            << u"ID=debian\n"_s << true << false << u"Debian / Ubuntu"_s
            << u"/etc/bind/named.conf"_s << u"/var/lib/bind/korvi"_s << systemd
            << SystemLayout::standard().startCommand << u"/etc/bind/named.conf.options"_s;
        QTest::newRow("rocky, systemd")
            << u"ID=\"rocky\"\nID_LIKE=\"rhel centos fedora\"\n"_s << true << true
            << u"Fedora / RHEL"_s << u"/etc/named.conf"_s << u"/var/named/korvi"_s << systemd
            << SystemLayout::standard().startCommand << u"/etc/named.conf"_s;
        QTest::newRow("fedora, no systemd, root")
            << u"ID=fedora\n"_s << false << true << u"Fedora / RHEL"_s << u"/etc/named.conf"_s
            << u"/var/named/korvi"_s << rndc
            << QStringList{u"/usr/sbin/named"_s, u"-u"_s, u"named"_s, u"-c"_s, u"/etc/named.conf"_s}
            << u"/etc/named.conf"_s;
        QTest::newRow("macOS: no os-release")
            << QString() << false << false << u"macOS / Homebrew"_s
            << u"/usr/local/etc/named.conf"_s << u"/usr/local/var/named"_s << commands
            << SystemLayout::standard().startCommand << QString();
        QTest::newRow("arch: a family Korvi does not manage")
            << u"ID=arch\n"_s << true << true << u"macOS / Homebrew"_s
            << u"/usr/local/etc/named.conf"_s << u"/usr/local/var/named"_s << commands
            << SystemLayout::standard().startCommand << QString();
    }

    void chosenLayout() {
        QFETCH(QString, osRelease);
        QFETCH(bool, systemd);
        QFETCH(bool, root);
        HostLayoutFacts facts;
        facts.os = parseOsRelease(osRelease);
        facts.systemd = systemd;
        facts.root = root;
        const SystemLayout layout = standardLayoutFor(facts);
        QTEST(layout.layoutName, "name");
        QTEST(layout.namedConfigPath, "configuration");
        QTEST(layout.zoneDirectory, "zoneDirectory");
        QTEST(int(layout.serverControl), "control");
        QTEST(layout.startCommand, "start");
        QTEST(layout.packageOptionsPath, "options");
        if (!layout.ownsIncludeOnly)
            return;
        QCOMPARE(layout.privilegedThroughHelper, !root);
        QCOMPARE(layout.systemdUnit, u"named.service"_s);
        QCOMPARE(layout.pidFilePath, u"/run/named/named.pid"_s);
        // Korvi makes named's run folder itself only where it starts named
        // itself, as root.
        const bool makesRunFolder = root && layout.serverControl == SystemLayout::Control::rndc;
        QCOMPARE(layout.runDirectory.isEmpty(), !makesRunFolder);
        // rndc needs the server's key, which is root's: without root it
        // goes through the helper.
        const QStringList rndc = NamedServerControl::rndcCommand(layout, {u"reconfig"_s});
        const QStringList expected =
            root ? QStringList{u"rndc"_s, u"reconfig"_s}
                 : QStringList{u"pkexec"_s, layout.helperPath, u"rndc"_s, u"reconfig"_s};
        QCOMPARE(rndc, expected);
        // Korvi's zone files are where the helper writes them.
        const OwnedFileLayout owned = ownedFileLayout(layout);
        QCOMPARE(owned.zoneDirectory, layout.zoneDirectory);
        QCOMPARE(owned.configuration, layout.namedConfigPath);
        // Nothing of the macOS layout is left to run.
        QVERIFY(layout.reloadCommand.isEmpty());
        QVERIFY(layout.stopCommand.isEmpty());
        QVERIFY(layout.statusCheckPath.isEmpty());
        QVERIFY(!layout.allowedCommands.contains(u"sudo"_s));
        QCOMPARE(layout.allowedPrivilegeCommand, u"pkexec"_s);
    }

    // A custom layout in the settings wins over the detected one; Korvi
    // then writes its whole named.conf there, options editable.
    void customFromSettings() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PreferencesStore preferences(dir.filePath(u"prefs.ini"_s));
        preferences.setData(QString::fromLatin1(customConfigurationKey), "/srv/dns/named.conf");
        preferences.setData(QString::fromLatin1(customZoneDirectoryKey), "/srv/dns/zones/");
        HostLayoutFacts facts = readHostLayoutFacts(&preferences);
        QCOMPARE(facts.customConfiguration, u"/srv/dns/named.conf"_s);
        facts.os = parseOsRelease(u"ID=debian\n"_s);
        const SystemLayout layout = standardLayoutFor(facts);
        QCOMPARE(layout.layoutName, u"Custom"_s);
        QCOMPARE(layout.namedConfigPath, u"/srv/dns/named.conf"_s);
        QCOMPARE(layout.zoneDirectory, u"/srv/dns/zones"_s);
        QVERIFY(!layout.ownsIncludeOnly);
        QVERIFY(layout.packageOptionsPath.isEmpty());
        QCOMPARE(int(layout.serverControl), int(SystemLayout::Control::rndc));
        QCOMPARE(layout.startCommand,
                 (QStringList{layout.bindExecutablePath, u"-c"_s, u"/srv/dns/named.conf"_s}));
        QCOMPARE(layout.allowedPathPrefixes, (QStringList{u"/srv/dns/"_s, u"/srv/dns/zones/"_s}));
        QVERIFY(layout.namedConfOptionLines.contains(u"pid-file \"/srv/dns/zones/named.pid\";"_s));

        // Only one of the two set: the detected layout.
        preferences.remove(QString::fromLatin1(customZoneDirectoryKey));
        facts = readHostLayoutFacts(&preferences);
        facts.os = parseOsRelease(u"ID=debian\n"_s);
        QCOMPARE(standardLayoutFor(facts).layoutName, u"Debian / Ubuntu"_s);
    }

    // Everything under a root for tests.
    void rebased() {
        HostLayoutFacts facts;
        facts.os = parseOsRelease(u"ID=debian\n"_s);
        const SystemLayout layout = standardLayoutFor(facts, u"/tmp/x/"_s);
        QCOMPARE(layout.namedConfigPath, u"/tmp/x/etc/bind/named.conf"_s);
        QCOMPARE(ownedFileLayout(layout).korviInclude, u"/tmp/x/etc/bind/named.conf.korvi"_s);
        QCOMPARE(ownedFileLayout(layout).zoneFile(u"a.test"_s),
                 u"/tmp/x/var/lib/bind/korvi/db.a.test"_s);
        // Korvi's zone database too: a rebased layout never reaches the user's data folder.
        QCOMPARE(layout.dataDirectory, u"/tmp/x/korvi-data"_s);
    }

    void includeText() {
        const OwnedFileLayout layout = OwnedFileLayout::forFamily(HostFamily::debian);
        const QByteArray text = ownedIncludeText(layout, {u"a.test"_s, u"../etc"_s, u"b.test"_s});
        QCOMPARE(text.count("zone \""), 2);
        QVERIFY(text.contains("zone \"a.test\" IN {\n\ttype primary;\n\tfile "
                              "\"/var/lib/bind/korvi/db.a.test\";\n};\n"));
        QVERIFY(!text.contains("../etc"));
    }

    void logChannel_data() {
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("file");
        QTest::newRow("file channel")
            << u"options {\n\tdirectory \"/var/cache/bind\";\n};\nlogging {\n\tchannel \"c\" {\n"
               "\t\tfile \"/var/log/named/x.log\" versions 3;\n\t};\n};\n"_s
            << u"/var/log/named/x.log"_s;
        QTest::newRow("syslog only")
            << u"logging {\n\tchannel \"s\" {\n\t\tsyslog daemon;\n\t};\n};\n"_s << QString();
        QTest::newRow("no logging statement")
            << u"options {\n\tdirectory \"/var/cache/bind\";\n};\nzone \"a\" {\n\tfile "
               "\"/x\";\n};\n"_s
            << QString();
    }

    void logChannel() {
        QFETCH(QString, printed);
        QTEST(RndcServerControl::logChannelFile(printed), "file");
    }
};

QTEST_GUILESS_MAIN(TestHostLayout)
#include "tst_hostlayout.moc"
