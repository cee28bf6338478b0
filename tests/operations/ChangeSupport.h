#pragma once

// What the change tests share: a host whose zone folder and named.conf BIND's checkers judge,
// a manager on it with the serial day fixed, a zone added the way the new-zone form adds it,
// and the one changeFinished of a call, counted.

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include "BindCheckers.h"
#include "HostTestSupport.h"
#include "StoredZones.h"
#include "manager/ZoneRepository.h"

namespace korvi::test {

inline QDateTime fixedNoon() { // the day serials are made for, on the local clock
    return QDateTime(QDate(2025, 3, 5), QTime(12, 0));
}

inline DNSRecord a(const QString& name, const QString& address, qint64 ttl = 60) {
    return DNSRecord(name, DNSRecordType::A, address, ttl);
}

inline QStringList recordIds(const QList<DNSRecord>& records) {
    QStringList ids;
    for (const DNSRecord& record : records)
        ids.append(uuidText(record.id));
    return ids;
}

// Records whole, as text, for comparisons.
inline QByteArray recordsText(const QList<DNSRecord>& records) {
    QByteArray text;
    for (const DNSRecord& record : records)
        text += QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact) + '\n';
    return text;
}

// Everything stored, as text: "<none>" when the database cannot be read.
inline QByteArray storedBytes(const DNSServerManager& manager) {
    const auto zones = storedZones(manager);
    if (!zones)
        return "<none>"_ba;
    QByteArray text;
    for (const StoredZoneRows& zone : *zones) {
        text += zone.zone.name.toUtf8() + ' ' + zone.zone.filePath.toUtf8() + ' ' +
                QByteArray::number(zone.zone.soaRecord ? zone.zone.soaRecord->serial : -1) + '\n';
        for (const DNSRecord& record : zone.records)
            text += QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact) + '\n';
    }
    return text;
}

// The stored rows of one zone (empty when it is not stored).
inline std::optional<StoredZoneRows> storedZone(const DNSServerManager& manager,
                                                const QString& name) {
    for (const StoredZoneRows& zone : storedZones(manager).value_or(QList<StoredZoneRows>())) {
        if (zone.zone.name == name)
            return zone;
    }
    return std::nullopt;
}

// The end of one change: how many changeFinished carried its id, whether one came before the
// call returned, and the last one's outcome.
struct Finish {
    qsizetype count = 0;
    bool early = false;
    bool applied = false;
    QString message;
};

template <typename Source, typename Start>
inline Finish finishOf(Source* source, Start start, int timeoutMs = 20000) {
    QSignalSpy spy(source, &Source::changeFinished);
    const ChangeId id = start();
    Finish finish;
    finish.early = !spy.isEmpty();
    const auto ended = [&] {
        for (const QList<QVariant>& arguments : std::as_const(spy)) {
            if (arguments.at(0).value<ChangeId>() == id)
                return true;
        }
        return false;
    };
    // A change that never ends shows as a count of 0.
    (void)QTest::qWaitFor(ended, timeoutMs);
    QTest::qWait(30); // a second result would show here
    for (const QList<QVariant>& arguments : std::as_const(spy)) {
        if (arguments.at(0).value<ChangeId>() == id) {
            ++finish.count;
            finish.applied = arguments.at(1).toBool();
            finish.message = arguments.at(2).toString();
        }
    }
    return finish;
}

// named.conf without the line that dates it.
inline QByteArray withoutDate(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.startsWith("// 20"); });
    return lines.join('\n');
}

// The zone statement named.conf has for a zone.
inline QByteArray statementOf(const QString& zone) {
    return "zone \"" + zone.toUtf8() + "\" IN {";
}

// A private host with the helpers the change tests use.
class ChangeHost {
public:
    Host host;

    std::unique_ptr<DNSServerManager> manager() {
        auto manager = host.manager();
        manager->setClock(fixedNoon);
        return manager;
    }
    QString zonePath(const QString& name) const {
        return host.layout.zoneDirectory + u"/db."_s + name;
    }
    QString namedConf() const { return host.layout.namedConfigPath; }
    // The layout's reload command: logs each call to reload.calls and ends with the code.
    QString standInReload(int exitCode) {
        const QString calls = host.path(u"reload.calls"_s);
        host.write(u"bin/reload"_s,
                   "#!/bin/sh\necho reload >> '" + calls.toUtf8() + "'\nexit " +
                       QByteArray::number(exitCode) + "\n",
                   true);
        return calls;
    }
    // The zone the new-zone form makes (ns1 inside it, with its address), with www and ftp,
    // added through the manager: file, named.conf, list and store.
    ZonePtr addedZone(DNSServerManager& m, const QString& name = u"example.com"_s) {
        const ZonePtr zone = ZoneRepository::newZone(name, zonePath(name), QString(), QString(),
                                                     2025030501, u"192.0.2.1"_s);
        zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        zone->addRecord(a(u"ftp"_s, u"192.0.2.11"_s, 300));
        const Finish finish = finishOf(&m, [&] { return m.addZone(zone); });
        if (!finish.applied) {
            qWarning("the zone was not added: %s", qPrintable(finish.message));
            return {};
        }
        return zone;
    }
};

// The zone's first record of this name and type, or null.
inline const DNSRecord* recordNamed(const ZonePtr& zone, const QString& name,
                                    DNSRecordType type = DNSRecordType::A) {
    for (const DNSRecord& record : zone->records()) {
        if (record.name == name && record.type == type)
            return &record;
    }
    return nullptr;
}

} // namespace korvi::test
