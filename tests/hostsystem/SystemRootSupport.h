#pragma once

// A copy of this machine's Debian BIND configuration (/etc/bind) inside a
// test's folder, every path rebased there, with a control channel and key of
// its own so that the real named runs it as the current user at a high port.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

#include "HostTestSupport.h"
#include "SandboxServer.h"
#include "host/HostLayout.h"

namespace korvi::test {

struct SystemRoot {
    QString root;
    quint16 port = 0;
    quint16 controlPort = 0;

    QString path(const QString& absolute) const { return root + absolute; }
    QString configuration() const { return path(u"/etc/bind/named.conf"_s); }

    // Every file of the rebased /etc/bind, by name.
    QMap<QString, QByteArray> distributionFiles() const {
        QMap<QString, QByteArray> files;
        QDirIterator it(path(u"/etc/bind"_s), QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            const QString file = it.next();
            files.insert(it.fileName(), readFile(file));
        }
        return files;
    }

    // Copies /etc/bind with its paths moved under root; the options get a pid
    // file and keys of the test's own, and named.conf a control channel on
    // controlPort with the test's key. Returns the reason when it could not.
    QString create() {
        port = freePort();
        controlPort = freePort();
        if (port == 0 || controlPort == 0 || port == controlPort)
            return u"no free ports"_s;
        QDirIterator it(u"/etc/bind"_s, QDir::Files);
        while (it.hasNext()) {
            const QString file = it.next();
            if (it.fileName() == u"rndc.key")
                continue; // the machine's key stays the machine's
            QByteArray bytes = readFile(file);
            bytes.replace("\"/etc/bind/", "\"" + root.toUtf8() + "/etc/bind/");
            bytes.replace("\"/var/cache/bind\"", "\"" + root.toUtf8() + "/var/cache/bind\"");
            bytes.replace("\"/usr/share/dns/", "\"" + root.toUtf8() + "/usr/share/dns/");
            if (it.fileName() == u"named.conf.options") {
                const QByteArray own = "options {\n\tpid-file \"" + root.toUtf8() +
                                       "/run/named.pid\";\n\tsession-keyfile \"" + root.toUtf8() +
                                       "/run/session.key\";\n\tlisten-on port " +
                                       QByteArray::number(port) + " { 127.0.0.1; };\n";
                bytes.replace("options {\n", own);
                bytes.replace("listen-on-v6 { any; };", "listen-on-v6 { none; };");
            }
            if (it.fileName() == u"named.conf")
                bytes += "include \"" + root.toUtf8() +
                         "/etc/bind/test-rndc.key\";\ncontrols { inet 127.0.0.1 port " +
                         QByteArray::number(controlPort) +
                         " allow { 127.0.0.1; } keys { \"rndc-key\"; }; };\n";
            if (writeFile(root, u"etc/bind/"_s + it.fileName(), bytes, false).isEmpty())
                return u"could not copy "_s + file;
        }
        for (const char* folder : {"/var/cache/bind", "/var/lib/bind", "/run", "/usr/share/dns"})
            QDir().mkpath(path(QString::fromLatin1(folder)));
        QFile::copy(u"/usr/share/dns/root.hints"_s, path(u"/usr/share/dns/root.hints"_s));
        if (!makeRndcKey(path(u"/etc/bind/test-rndc.key"_s)))
            return u"rndc-confgen failed"_s;
        // rndc, recorded, then the real one.
        const QString calls = path(u"/rndc.calls"_s);
        // Called without a key (through the helper, which runs rndc as the
        // distribution has it configured) it takes the test's key and port,
        // as rndc takes the machine's.
        const QByteArray own = " -k '" + path(u"/etc/bind/test-rndc.key"_s).toUtf8() +
                               "' -s 127.0.0.1 -p " + QByteArray::number(controlPort);
        writeFile(root, u"bin/rndc"_s,
                  "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + calls.toUtf8() +
                      "'\nif [ \"$1\" = -k ]; then exec /usr/sbin/rndc \"$@\"; fi\n"
                      "exec /usr/sbin/rndc" +
                      own + " \"$@\"\n");
        return QString();
    }

    // The distribution layout on this root, its named started as the current
    // user at the test's port, rndc with the test's key and control port.
    SystemLayout layout() const {
        HostLayoutFacts facts;
        facts.os = parseOsRelease(u"ID=debian\n"_s);
        facts.root = true;
        SystemLayout layout = standardLayoutFor(facts, root);
        layout.serverPort = port;
        layout.rndcKeyPath = path(u"/etc/bind/test-rndc.key"_s);
        layout.rndcControlPort = controlPort;
        layout.pidFilePath = path(u"/run/named.pid"_s);
        layout.namedUser.clear();
        layout.runDirectory.clear();
        layout.startCommand = {layout.bindExecutablePath, u"-c"_s, configuration(), u"-p"_s,
                               QString::number(port)};
        layout.temporaryDirectory = path(u"/tmp"_s);
        layout.dataDirectory = path(u"/korvi-data"_s);
        layout.commandSearchPath = path(u"/bin"_s) + u":/usr/sbin:/usr/bin:/sbin:/bin"_s;
        layout.appArmorProfilesPath.clear();
        return layout;
    }

    QStringList rndcCalls() const {
        return QString::fromUtf8(readFile(path(u"/rndc.calls"_s))).split(u'\n', Qt::SkipEmptyParts);
    }
};

} // namespace korvi::test
