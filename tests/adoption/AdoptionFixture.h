#pragma once

// A distribution's BIND rebased into a test's folder: the machine's stock /etc/bind files with
// their paths moved there, and an administrator's zone written into named.conf.local.

#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "host/HostLayout.h"
#include "manager/DNSServerManager.h"
#include "manager/ZoneAdoption.h"

namespace korvi::test {

inline const QByteArray adminZoneText =
    "; the shop's zone, kept by hand\n"
    "$TTL 3600\n"
    "@\tIN SOA ns1.shop.example. hostmaster.shop.example. ( 2024010101 3600 900 604800 300 )\n"
    "\tIN NS ns1\n"
    "\tIN MX 10 mail\n"
    "ns1\tIN A 192.0.2.1\n"
    "www\tIN A 192.0.2.80\n"
    "mail\tIN A 192.0.2.25\n"
    "shop\tIN CNAME www\n"
    "@\tIN TXT \"v=spf1 mx -all\"\n";

struct AdoptionHost {
    QString root;
    SystemLayout layout;
    OwnedFileLayout files;
    QByteArray localBefore; // named.conf.local as written, the zone's statement in it
    QByteArray statement;   // the zone's statement, as it is in named.conf.local

    QString path(const QString& absolute) const { return root + absolute; }
    QString local() const { return files.includeHost; }
    QString adminZoneFile() const { return path(u"/var/lib/bind/db.shop.example"_s); }

    // Returns the reason when the host could not be made. With korviAlready, Korvi owns
    // korvi.example and named.conf.local has its include line; `fileName` is the zone's file
    // as the statement names it (empty: the absolute path).
    QString create(const QString& folder, bool korviAlready, QString fileName = {}) {
        root = folder;
        if (!QFileInfo::exists(u"/etc/bind/named.conf.default-zones"_s) || !bindCheckersInstalled())
            return u"no Debian BIND on this machine"_s;
        HostLayoutFacts facts;
        facts.os = parseOsRelease(u"ID=debian\n"_s);
        facts.root = true;
        layout = standardLayoutFor(facts, root);
        layout.temporaryDirectory = path(u"/tmp"_s);
        files = ownedFileLayout(layout);
        QDirIterator it(u"/etc/bind"_s, QDir::Files);
        while (it.hasNext()) {
            const QString file = it.next();
            if (it.fileName() == u"rndc.key")
                continue; // the machine's key stays the machine's
            QByteArray bytes = readFile(file);
            for (const char* folder : {"/etc/bind/", "/var/cache/bind", "/usr/share/dns/"})
                bytes.replace("\"" + QByteArray(folder), "\"" + root.toUtf8() + folder);
            if (writeFile(root, u"etc/bind/"_s + it.fileName(), bytes, false).isEmpty())
                return u"could not copy "_s + file;
        }
        for (const char* sub : {"/var/cache/bind", "/var/lib/bind", "/usr/share/dns", "/tmp"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        QFile::copy(u"/usr/share/dns/root.hints"_s, path(u"/usr/share/dns/root.hints"_s));

        QString zoneFile = adminZoneFile();
        if (!fileName.isEmpty()) {
            zoneFile = path(u"/var/cache/bind/"_s + fileName);
        } else {
            fileName = zoneFile;
        }
        writeFile(root, zoneFile, adminZoneText, false);
        localBefore = readFile(local());
        if (korviAlready) {
            localBefore += files.includeLine() + '\n';
            writeFile(root, files.korviInclude, ownedIncludeText(files, {u"korvi.example"_s}),
                      false);
            writeFile(root, files.zoneFile(u"korvi.example"_s),
                      "$TTL 300\n@ IN SOA ns1.korvi.example. h.korvi.example. 1 3600 900 604800 "
                      "300\n@ IN NS ns1\nns1 IN A 192.0.2.9\n",
                      false);
        }
        statement = "zone \"shop.example\" {\n\ttype primary;\n\tfile \"" + fileName.toUtf8() +
                    "\";\n\tallow-transfer { none; };\n};\n";
        localBefore += "\n// The shop, kept by hand.\n" + statement +
                       "// zone \"shop.example\" { type primary; }; (an old note)\n";
        writeFile(root, local(), localBefore, false);
        return {};
    }

    // named.conf.local as adoption must leave it: without the statement, and with Korvi's
    // include line once Korvi has a zone.
    QByteArray localAfter(bool korviAlready) const {
        QByteArray expected = localBefore;
        expected.remove(expected.indexOf(statement), statement.size());
        if (!korviAlready)
            expected += files.includeLine() + '\n';
        return expected;
    }

    // BIND's judgement of the whole configuration on disk, zone files loaded.
    ProgramResult checkWithZones() const {
        auto process = startProgram(checkConfProgram, {u"-z"_s, files.configuration});
        return finishProgram(*process);
    }

    std::unique_ptr<DNSServerManager> manager() const {
        auto m = makeManager(root, layout);
        if (!waitForDetections(*m))
            return nullptr;
        m->loadConfigurationFromFile();
        settle();
        return m;
    }
};

inline std::optional<ConfiguredZone> configuredZone(const DNSServerManager& manager,
                                                    const QString& name) {
    for (const ConfiguredZone& zone : manager.configuration()->configuredZones()) {
        if (zone.name == name)
            return zone;
    }
    return std::nullopt;
}

inline ZonePtr korviZone(const DNSServerManager& manager, const QString& name) {
    for (const ZonePtr& zone : manager.zones()) {
        if (zone->name() == name)
            return zone;
    }
    return {};
}

// The one adoption's result, once it has ended.
inline std::optional<ZoneAdoptionResult> waitForAdoption(QSignalSpy& spy, int timeoutMs = 60000) {
    if (spy.isEmpty() && !spy.wait(timeoutMs))
        return std::nullopt;
    return spy.first().first().value<ZoneAdoptionResult>();
}

} // namespace korvi::test
