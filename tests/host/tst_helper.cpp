// korvi-helper run as a program, the way pkexec runs it, on a copy of this
// machine's /etc/bind rebased into a temporary folder. BIND's own checkers
// judge every write; nothing outside the temporary folder is touched.

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString helperPath = u"" KORVI_TEST_BUILD_DIR "/src/korvi-helper"_s;

const QByteArray zoneText = "$TTL 3600\n"
                            "@ IN SOA ns1 admin 1 3600 900 604800 300\n"
                            "@ IN NS ns1\n"
                            "ns1 IN A 192.0.2.1\n"
                            "www IN A 192.0.2.2\n";

struct Run {
    int exitCode = -1;
    QString output;
};

} // namespace

class TestHelper : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;

    QString path(const QString& relative) const { return m_root + relative; }

    QByteArray read(const QString& relative) const {
        QFile f(path(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void write(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile f(path(relative));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    Run helper(const QStringList& arguments, const QByteArray& input = {},
               const QString& family = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"KORVI_HELPER_ROOT"_s, m_root);
        // Stand-ins for the programs the helper runs, first on PATH.
        env.insert(u"PATH"_s, path(u"/standins:"_s) + env.value(u"PATH"_s));
        if (!family.isEmpty())
            env.insert(u"KORVI_HELPER_FAMILY"_s, family);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(helperPath, arguments);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAll())};
    }

    QByteArray includeText(const QString& zone) const {
        return "zone \"" + zone.toUtf8() + "\" {\n\ttype primary;\n\tfile \"" +
               path(u"/var/lib/bind/korvi/db."_s + zone).toUtf8() + "\";\n};\n";
    }

private Q_SLOTS:
    void initTestCase() {
        if (!QFileInfo::exists(u"/etc/bind/named.conf"_s))
            QSKIP("BIND's Debian configuration is not installed here");
        if (::geteuid() != 0)
            QSKIP("named-checkconf checks the whole configuration chrooted, which needs root");
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path();
        // The distribution's files, with every /etc/bind path moved under the root.
        QDirIterator it(u"/etc/bind"_s, QDir::Files);
        while (it.hasNext()) {
            const QString file = it.next();
            QFile in(file);
            QVERIFY(in.open(QIODevice::ReadOnly));
            QByteArray bytes = in.readAll();
            bytes.replace("\"/etc/bind/", "\"" + m_root.toUtf8() + "/etc/bind/");
            bytes.replace("\"/var/cache/bind\"", "\"" + m_root.toUtf8() + "/var/cache/bind\"");
            write(u"/etc/bind/"_s + it.fileName(), bytes);
        }
        QDir().mkpath(path(u"/var/cache/bind"_s));
        QDir().mkpath(path(u"/var/lib/bind"_s));
    }

    // A zone added and removed: the distribution's files change by the one
    // include line only, and are byte for byte as before afterwards.
    void addAndRemoveZone() {
        const QByteArray local = read(u"/etc/bind/named.conf.local"_s);
        const QByteArray options = read(u"/etc/bind/named.conf.options"_s);

        Run run = helper({u"write-include"_s}, includeText(u"example.test"_s));
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        run = helper({u"write-zone"_s, u"example.test"_s}, zoneText);
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(read(u"/var/lib/bind/korvi/db.example.test"_s), zoneText);
        run = helper({u"add-include"_s});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(read(u"/etc/bind/named.conf.local"_s),
                 local + "include \"" + path(u"/etc/bind/named.conf.korvi"_s).toUtf8() + "\";\n");
        QCOMPARE(helper({u"add-include"_s}).exitCode, 0); // a second time adds nothing
        QCOMPARE(read(u"/etc/bind/named.conf.local"_s).count("named.conf.korvi"), 1);
        QCOMPARE(read(u"/etc/bind/named.conf.options"_s), options);

        // BIND itself accepts the whole configuration, zone files loaded.
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(u"named-checkconf"_s, {u"-z"_s, path(u"/etc/bind/named.conf"_s)});
        QVERIFY(check.waitForFinished(30000));
        const QString checked = QString::fromUtf8(check.readAll());
        QVERIFY2(check.exitCode() == 0, qPrintable(checked));
        QVERIFY2(checked.contains(u"zone example.test/IN: loaded serial 1"_s), qPrintable(checked));

        struct stat info {};
        QCOMPARE(::stat(qPrintable(path(u"/var/lib/bind/korvi/db.example.test"_s)), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));

        QCOMPARE(helper({u"remove-include"_s}).exitCode, 0);
        QCOMPARE(helper({u"remove-zone"_s, u"example.test"_s}).exitCode, 0);
        QCOMPARE(read(u"/etc/bind/named.conf.local"_s), local);
        QVERIFY(!QFileInfo::exists(path(u"/var/lib/bind/korvi/db.example.test"_s)));
        // Korvi's folder goes with its last file; the distribution's folder stays.
        QVERIFY(!QFileInfo::exists(path(u"/var/lib/bind/korvi"_s)));
        QVERIFY(QFileInfo(path(u"/var/lib/bind"_s)).isDir());
    }

    // Korvi's key file: written root-owned, readable by named's group only;
    // text that is not key statements is refused and the file stays.
    void writeKeys() {
        const QByteArray keys = "key \"korvi-s\" {\n\talgorithm hmac-sha256;\n\tsecret "
                                "\"EsmUGNb5EEFFOGC5t3uLfqEIu3jxsYaLrNSVuml5/uE=\";\n};\n";
        Run run = helper({u"write-keys"_s}, keys);
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        const QString file = path(u"/etc/bind/korvi-keys.conf"_s);
        QCOMPARE(read(u"/etc/bind/korvi-keys.conf"_s), keys);
        struct stat info {};
        QCOMPARE(::stat(qPrintable(file), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QCOMPARE(info.st_uid, uid_t(0));
        if (const struct group* bind = ::getgrnam("bind"))
            QCOMPARE(info.st_gid, bind->gr_gid);
        run = helper({u"write-keys"_s}, "options { directory \"/tmp\"; };\n");
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains(u"Not a key file"_s), qPrintable(run.output));
        QCOMPARE(read(u"/etc/bind/korvi-keys.conf"_s), keys);
        QVERIFY(QFile::remove(file));
    }

    // What the helper refuses, and that a refusal leaves every file as it was.
    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown verb") << QStringList{u"run"_s, u"id"_s} << QByteArray() << QString()
                                      << 2 << u"unknown verb"_s;
        QTest::newRow("no verb") << QStringList{} << QByteArray() << QString() << 2 << u"no verb"_s;
        QTest::newRow("extra argument") << QStringList{u"remove-include"_s, u"/etc/passwd"_s}
                                        << QByteArray() << QString() << 2 << u"wrong arguments"_s;
        QTest::newRow("path as zone name") << QStringList{u"write-zone"_s, u"../../etc/x"_s}
                                           << zoneText << QString() << 1 << u"not a zone name"_s;
        QTest::newRow("line feed in zone name")
            << QStringList{u"write-zone"_s, u"a\nb"_s} << zoneText << QString() << 1
            << u"not a zone name"_s;
        QTest::newRow("checker refuses the bytes")
            << QStringList{u"write-zone"_s, u"example.test"_s} << QByteArray("@ IN A 192.0.2.1\n")
            << QString() << 1 << u"named-checkzone refused"_s;
        QTest::newRow("link in place of the zone file")
            << QStringList{u"write-zone"_s, u"example.test"_s} << zoneText << u"link-file"_s << 1
            << u"is a link"_s;
        QTest::newRow("zone folder is a link")
            << QStringList{u"write-zone"_s, u"example.test"_s} << zoneText << u"link-folder"_s << 1
            << u"not a plain folder"_s;
        QTest::newRow("rndc verb not passed on")
            << QStringList{u"rndc"_s, u"halt"_s} << QByteArray() << QString() << 2
            << u"unknown verb"_s;
        QTest::newRow("rndc reload of a path")
            << QStringList{u"rndc"_s, u"reload"_s, u"../etc/x"_s} << QByteArray() << QString() << 2
            << u"unknown verb"_s;
        QTest::newRow("rndc with more words")
            << QStringList{u"rndc"_s, u"stop"_s, u"-p"_s} << QByteArray() << QString() << 2
            << u"unknown verb"_s;
        QTest::newRow("start-server with a configuration")
            << QStringList{u"start-server"_s, u"/tmp/x.conf"_s} << QByteArray() << QString() << 2
            << u"wrong arguments"_s;
        QTest::newRow("install-bind with a package")
            << QStringList{u"install-bind"_s, u"nmap"_s} << QByteArray() << QString() << 2
            << u"wrong arguments"_s;
        QTest::newRow("include the checker refuses")
            << QStringList{u"write-include"_s} << QByteArray("zone \"x\" { type primary; };\n")
            << QString() << 1 << u"named-checkconf refused"_s;
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, prepare);
        QFETCH(int, exitCode);
        QFETCH(QString, message);

        const QString zoneFolder = path(u"/var/lib/bind/korvi"_s);
        QDir(zoneFolder).removeRecursively();
        QFile::remove(zoneFolder);
        const QString outside = path(u"/outside"_s);
        QDir().mkpath(outside);
        write(u"/outside/target"_s, "untouched\n");
        if (prepare == u"link-file") {
            QDir().mkpath(zoneFolder);
            QVERIFY(QFile::link(outside + u"/target"_s, zoneFolder + u"/db.example.test"_s));
        } else if (prepare == u"link-folder") {
            QVERIFY(QFile::link(outside, zoneFolder));
        }
        const QByteArray local = read(u"/etc/bind/named.conf.local"_s);
        const QByteArray include = read(u"/etc/bind/named.conf.korvi"_s);

        const Run run = helper(arguments, input);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.output.contains(message), qPrintable(run.output));
        QCOMPARE(read(u"/outside/target"_s), QByteArray("untouched\n"));
        QCOMPARE(QDir(outside).entryList(QDir::Files), QStringList{u"target"_s});
        QCOMPARE(read(u"/etc/bind/named.conf.local"_s), local);
        QCOMPARE(read(u"/etc/bind/named.conf.korvi"_s), include);
        if (prepare.isEmpty())
            QVERIFY(!QFileInfo::exists(zoneFolder + u"/db.example.test"_s));
        QFile::remove(zoneFolder);
    }

    // The verbs that run programs: exactly these programs with exactly these
    // arguments (stand-ins on PATH record them), nothing after a failure.
    void programVerbs_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("rndc reconfig") << QStringList{u"rndc"_s, u"reconfig"_s} << QString()
                                       << QString() << 0 << QStringList{u"rndc reconfig"_s};
        QTest::newRow("rndc reload of a zone")
            << QStringList{u"rndc"_s, u"reload"_s, u"example.test"_s} << QString() << QString() << 0
            << QStringList{u"rndc reload example.test"_s};
        QTest::newRow("rndc fails") << QStringList{u"rndc"_s, u"status"_s} << QString() << u"rndc"_s
                                    << 3 << QStringList{u"rndc status"_s};
        QTest::newRow("install-bind, Debian")
            << QStringList{u"install-bind"_s} << QString() << QString() << 0
            << QStringList{u"apt-get update"_s,
                           u"apt-get install -y bind9 bind9-utils bind9-dnsutils"_s};
        QTest::newRow("install-bind, update fails")
            << QStringList{u"install-bind"_s} << QString() << u"apt-get"_s << 3
            << QStringList{u"apt-get update"_s};
        QTest::newRow("install-bind, Fedora")
            << QStringList{u"install-bind"_s} << u"fedora"_s << QString() << 0
            << QStringList{u"dnf install -y bind bind-utils"_s};
        QTest::newRow("start-server, Debian")
            << QStringList{u"start-server"_s} << QString() << QString() << 0
            << QStringList{u"named -u bind -c "_s + path(u"/etc/bind/named.conf"_s)};
        QTest::newRow("zone file on Fedora is relabelled")
            << QStringList{u"write-zone"_s, u"example.test"_s} << u"fedora"_s << QString() << 0
            << QStringList{u"restorecon "_s + path(u"/var/named/korvi/db.example.test"_s)};
    }
    void programVerbs() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, family);
        QFETCH(QString, failing);
        QFETCH(int, exitCode);
        QFETCH(QStringList, calls);
        const QString log = path(u"/calls"_s);
        QFile::remove(log);
        for (const QString& name :
             {u"rndc"_s, u"apt-get"_s, u"dnf"_s, u"named"_s, u"restorecon"_s}) {
            write(u"/standins/"_s + name, "#!/bin/sh\nprintf '%s\\n' \"" + name.toUtf8() +
                                              " $*\" >> '" + log.toUtf8() + "'\nexit " +
                                              (name == failing ? "100" : "0") + "\n");
            QFile::setPermissions(path(u"/standins/"_s + name),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const Run run = helper(arguments, zoneText, family);
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.output));
        QCOMPARE(QString::fromUtf8(read(u"/calls"_s)).split(u'\n', Qt::SkipEmptyParts), calls);
        QDir(path(u"/var/named"_s)).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestHelper)
#include "tst_helper.moc"
