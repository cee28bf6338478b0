// What Korvi reads off the host to choose its layout: named's built-in paths,
// os-release, and AppArmor's profile list and denials. The texts are the
// programs' own: this machine's `named -V`, and lines as Fedora's named,
// the kernel's AppArmor interface and the audit log print them.

#include <QFile>
#include <QtTest>

#include "host/HostFacts.h"

using namespace korvi;
using namespace Qt::StringLiterals;

class TestHostFacts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namedPaths_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<QString>("pidFile");
        QFile debian(u"" KORVI_TEST_SOURCE_DIR "/host/data/named-V-debian12.txt"_s);
        QVERIFY(debian.open(QIODevice::ReadOnly));
        QTest::newRow("Debian 12's named -V")
            << QString::fromUtf8(debian.readAll()) << u"/etc/bind/named.conf"_s
            << u"/run/named/named.pid"_s;
        QTest::newRow("Fedora's paths")
            << u"BIND 9.18.28 (Extended Support Version) <id:>\nrunning on Linux\n\n"
               "default paths:\n  named configuration:  /etc/named.conf\n"
               "  rndc configuration:   /etc/rndc.conf\n  named PID file:       "
               "/run/named/named.pid\n"_s
            << u"/etc/named.conf"_s << u"/run/named/named.pid"_s;
        QTest::newRow("paths block missing")
            << u"BIND 9.11.4\nbuilt by make\n"_s << QString() << QString();
        QTest::newRow("configuration line outside the block")
            << u"named configuration: /etc/x.conf\n"_s << QString() << QString();
    }
    void namedPaths() {
        QFETCH(QString, text);
        QFETCH(QString, configuration);
        QFETCH(QString, pidFile);
        const auto paths = parseNamedDefaultPaths(text);
        QCOMPARE(paths.has_value(), !configuration.isEmpty());
        if (paths) {
            QCOMPARE(paths->configuration, configuration);
            QCOMPARE(paths->pidFile, pidFile);
        }
    }

    void family_data() {
        QTest::addColumn<QString>("osRelease");
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<HostFamily>("family");
        QFile own(u"/etc/os-release"_s);
        if (own.open(QIODevice::ReadOnly) && own.peek(200).contains("ID=debian"))
            QTest::newRow("this machine") << QString::fromUtf8(own.readAll())
                                          << u"/etc/bind/named.conf"_s << HostFamily::debian;
        QTest::newRow("Ubuntu, quoted")
            << u"NAME=\"Ubuntu\"\nID=ubuntu\nID_LIKE=debian\nPRETTY_NAME=\"Ubuntu 24.04 LTS\"\n"_s
            << u"/etc/bind/named.conf"_s << HostFamily::debian;
        QTest::newRow("Linux Mint: two parents") << u"ID=linuxmint\nID_LIKE=\"ubuntu debian\"\n"_s
                                                 << u"/etc/bind/named.conf"_s << HostFamily::debian;
        QTest::newRow("Fedora") << u"ID=fedora\nVERSION_ID=40\n"_s << u"/etc/named.conf"_s
                                << HostFamily::fedora;
        QTest::newRow("Rocky: single quotes, comment")
            << u"# rebuild\nID='rocky'\nID_LIKE='rhel centos fedora'\n"_s << u"/etc/named.conf"_s
            << HostFamily::fedora;
        QTest::newRow("macOS: no os-release")
            << QString() << u"/opt/homebrew/etc/bind/named.conf"_s << HostFamily::homebrew;
        QTest::newRow("Arch") << u"ID=arch\n"_s << u"/etc/named.conf"_s << HostFamily::unknown;
        QTest::newRow("ID inside a value does not count")
            << u"PRETTY_NAME=\"ID=debian\"\nID=alpine\n"_s << u"/etc/bind/named.conf"_s
            << HostFamily::unknown;
    }
    void family() {
        QFETCH(QString, osRelease);
        QFETCH(QString, configuration);
        QFETCH(HostFamily, family);
        QCOMPARE(hostFamily(parseOsRelease(osRelease), configuration), family);
    }

    void osReleaseValues() {
        const OsRelease os =
            parseOsRelease(u"PRETTY_NAME=\"Debian \\\"bookworm\\\" 12\"\nID=Debian\nID_LIKE=\n"_s);
        QCOMPARE(os.prettyName, u"Debian \"bookworm\" 12"_s);
        QCOMPARE(os.id, u"debian"_s);
        QVERIFY(os.idLike.isEmpty());
    }

    void appArmorProfiles_data() {
        QTest::addColumn<QString>("profiles");
        QTest::addColumn<bool>("enforcing");
        QTest::newRow("Ubuntu's named profile enforced")
            << u"/usr/bin/man (enforce)\n/usr/sbin/named (enforce)\nnvidia_modprobe (enforce)\n"_s
            << true;
        QTest::newRow("complain mode does not stop named")
            << u"/usr/sbin/named (complain)\n"_s << false;
        QTest::newRow("another program's profile")
            << u"/usr/sbin/named-checkconf (enforce)\n/usr/sbin/unbound (enforce)\n"_s << false;
        QTest::newRow("no AppArmor") << QString() << false;
    }
    void appArmorProfiles() {
        QFETCH(QString, profiles);
        QFETCH(bool, enforcing);
        QCOMPARE(hasEnforcingNamedProfile(profiles), enforcing);
    }

    void appArmorDenials_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("path");
        QTest::newRow("kernel log, a sandbox file in a home folder")
            << u"audit: type=1400 audit(1733450000.120:52): apparmor=\"DENIED\" "
               "operation=\"open\" class=\"file\" profile=\"/usr/sbin/named\" "
               "name=\"/home/ann/.local/share/korvi/sandbox/named.conf\" pid=4242 "
               "comm=\"named\" requested_mask=\"r\" denied_mask=\"r\" fsuid=1000 ouid=1000"_s
            << u"open"_s << u"/home/ann/.local/share/korvi/sandbox/named.conf"_s;
        QTest::newRow("journal, mknod of a pid file")
            << u"Dec 06 10:00:01 host kernel: audit: type=1400 audit(1.2:3): apparmor=\"DENIED\" "
               "operation=\"mknod\" profile=\"named\" name=\"/home/ann/s/named.pid\" pid=7"_s
            << u"mknod"_s << u"/home/ann/s/named.pid"_s;
        QTest::newRow("allowed access") << u"apparmor=\"ALLOWED\" operation=\"open\" "
                                           "profile=\"/usr/sbin/named\" name=\"/etc/bind/x\""_s
                                        << QString() << QString();
        QTest::newRow("another program denied")
            << u"apparmor=\"DENIED\" operation=\"open\" profile=\"/usr/sbin/cupsd\" "
               "name=\"/home/a\""_s
            << QString() << QString();
        QTest::newRow("named's own log line")
            << u"zone example.com/IN: loaded serial 1"_s << QString() << QString();
    }
    void appArmorDenials() {
        QFETCH(QString, line);
        QFETCH(QString, operation);
        QFETCH(QString, path);
        const auto denial = parseAppArmorDenial(line);
        QCOMPARE(denial.has_value(), !path.isEmpty());
        if (denial) {
            QCOMPARE(denial->operation, operation);
            QCOMPARE(denial->path, path);
        }
    }
};

QTEST_GUILESS_MAIN(TestHostFacts)
#include "tst_hostfacts.moc"
