#pragma once

// Shared helpers of the storage tests: a private preferences file and host
// layout inside a QTemporaryDir, and a capture of standard output so that the
// console lines and log lines an operation writes can be checked in order.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <cstdio>
#include <memory>
#include <unistd.h>

#include "manager/DNSServerManager.h"
#include "manager/ZoneStorage.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi::testing {

// Redirects file descriptor 1 into a file until finish(). Nothing the test
// framework prints may happen in between, so tests collect their verdicts
// first and assert after finish().
class ConsoleCapture {
public:
    explicit ConsoleCapture(const QString& path) : m_path(path) {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        QFile::remove(path);
        std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
        m_file = file;
        ::dup2(::fileno(file), STDOUT_FILENO);
    }
    ~ConsoleCapture() { restore(); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Restores standard output and returns the lines written meanwhile.
    QStringList finish() {
        restore();
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("<capture file unreadable>")};
        QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
        std::fclose(m_file);
        m_saved = -1;
    }

    QString m_path;
    int m_saved = -1;
    std::FILE* m_file = nullptr;
};

// Application-log lines lose their time stamp, so "2026-01-31 08:05:09 ℹ️
// INFO: text" reads "ℹ️ INFO: text"; console lines stay as they are.
inline QStringList withoutTimeStamps(const QStringList& lines) {
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} )"));
    QStringList out;
    for (const QString& line : lines) {
        const auto match = stamp.match(line);
        out.append(match.hasMatch() ? line.mid(match.capturedLength()) : line);
    }
    return out;
}

inline QString info(const QString& message) {
    return QStringLiteral("ℹ️ INFO: ") + message;
}
inline QString warning(const QString& message) {
    return QStringLiteral("⚠️ WARNING: ") + message;
}

// Everything of a test lives in one temporary directory: the preferences
// file, and the host layout the manager is built on.
class StorageSandbox {
public:
    StorageSandbox() { QDir(m_dir.path()).mkpath(QStringLiteral("var/named")); }

    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString preferencesPath() const { return path(QStringLiteral("preferences.ini")); }

    // A new store on the sandbox's preferences file.
    std::shared_ptr<PreferencesStore> openPreferences() const {
        return std::make_shared<PreferencesStore>(preferencesPath());
    }

    SystemLayout layout() const {
        SystemLayout layout = SystemLayout::standard();
        layout.namedConfigPath = path(QStringLiteral("etc/named.conf"));
        layout.zoneDirectory = path(QStringLiteral("var/named"));
        layout.bindExecutablePath = path(QStringLiteral("sbin/named"));
        layout.allowedCommandPrefixes = {path(QStringLiteral("sbin/"))};
        layout.allowedPathPrefixes = {path(QStringLiteral("etc/")),
                                      path(QStringLiteral("var/named/"))};
        layout.temporaryDirectory = path(QStringLiteral("tmp"));
        return layout;
    }

    // A manager on the sandbox layout; its start-up (which loads the stored
    // zones) writes into the capture file rather than the test's output.
    std::unique_ptr<DNSServerManager>
    makeManager(std::shared_ptr<PreferencesStore> preferences = {},
                QStringList* startUpLines = nullptr) const {
        if (!preferences)
            preferences = openPreferences();
        ConsoleCapture capture(path(QStringLiteral("startup.txt")));
        auto manager = std::make_unique<DNSServerManager>(layout(), preferences);
        const QStringList lines = capture.finish();
        if (startUpLines)
            *startUpLines = withoutTimeStamps(lines);
        settle();
        return manager;
    }

    // Lets the background work a manager starts with (detection probes and
    // what their results schedule) finish before a test captures any lines,
    // so that none of it writes into a capture.
    static void settle() {
        for (int round = 0; round < 5; ++round) {
            QCoreApplication::processEvents();
            if (QThreadPool::globalInstance()->activeThreadCount() == 0)
                break;
            QThreadPool::globalInstance()->waitForDone(10000);
        }
        QCoreApplication::processEvents();
    }

    // Runs f() with standard output captured; gives the lines, time stamps
    // removed, and then lets the queued log appends run.
    template <typename F> QStringList lines(F f) const {
        ConsoleCapture capture(path(QStringLiteral("console.txt")));
        f();
        const QStringList out = withoutTimeStamps(capture.finish());
        QCoreApplication::processEvents();
        return out;
    }

private:
    QTemporaryDir m_dir;
};

// A readable one-line summary of a zone list, for comparing two lists.
inline QStringList zoneSummary(const QList<ZonePtr>& zones) {
    QStringList out;
    for (const ZonePtr& zone : zones) {
        QStringList ids;
        for (const DNSRecord& record : zone->records())
            ids.append(uuidText(record.id));
        out.append(zone->name() + u'|' + zone->filePath() + u'|' + ids.join(u',') + u'|' +
                   (zone->soaRecord() ? QString::number(zone->soaRecord()->serial)
                                      : QStringLiteral("no SOA")));
    }
    return out;
}

// A zone with a varied set of records: every optional field appears in some
// record, one TXT value holds "/" and non-ASCII text.
inline ZonePtr sampleZone(const QString& name, int recordCount, bool withSoa) {
    const ZonePtr zone = ZonePtr::create(name, QStringLiteral("/usr/local/var/named/db.") + name);
    QList<DNSRecord> records;
    for (int i = 0; i < recordCount; ++i) {
        switch (i % 6) {
        case 0:
            records.append(DNSRecord(QStringLiteral("host%1").arg(i), DNSRecordType::A,
                                     QStringLiteral("192.0.2.%1").arg(i % 250 + 1), 3600));
            break;
        case 1: {
            RecordOptions o;
            o.priority = i;
            records.append(DNSRecord(QString(), DNSRecordType::MX,
                                     QStringLiteral("mail.") + name + u'.', 7200, o));
            break;
        }
        case 2: {
            RecordOptions o;
            o.priority = 10;
            o.weight = 5;
            o.port = 5060;
            records.append(DNSRecord(QStringLiteral("_sip._tcp"), DNSRecordType::SRV,
                                     QStringLiteral("sip.") + name, 300, o));
            break;
        }
        case 3: {
            RecordOptions o;
            o.flag = 0;
            o.tag = QStringLiteral("issue");
            records.append(DNSRecord(QString(), DNSRecordType::CAA,
                                     QStringLiteral("0 issue \"letsencrypt.org\""), 86400, o));
            break;
        }
        case 4: {
            RecordOptions o;
            o.usage = 3;
            o.selector = 1;
            o.digestType = 1;
            o.algorithm = 4;
            records.append(DNSRecord(QStringLiteral("_443._tcp"), DNSRecordType::TLSA,
                                     QStringLiteral("3 1 1 abcdef0123456789"), 600, o));
            break;
        }
        default:
            records.append(DNSRecord(QStringLiteral("txt%1").arg(i), DNSRecordType::TXT,
                                     QStringLiteral("\"see https://example.net/a/b – żółw ✓\""),
                                     60));
            break;
        }
    }
    zone->setRecords(records);
    if (withSoa) {
        SOARecord soa;
        soa.primaryNameServer = QStringLiteral("ns1.") + name + u'.';
        soa.adminEmail = QStringLiteral("admin.") + name + u'.';
        soa.serial = 2025030500 + recordCount;
        zone->setSoaRecord(soa);
    }
    return zone;
}

// The bytes a manager stores for these zones (made in a scratch sandbox).
inline QByteArray storedDocument(const QList<ZonePtr>& zones) {
    StorageSandbox scratch;
    auto preferences = scratch.openPreferences();
    auto manager = scratch.makeManager(preferences);
    manager->setZones(zones);
    scratch.lines([&] { manager->saveZonesToStorage(); });
    return preferences->data(ZoneStorage::savedZonesKey()).value_or(QByteArray());
}

} // namespace korvi::testing
