#include "storage/ZoneDatabase.h"

#include <QThread>

#include "storage/SnapshotStore.h"
#include "storage/ZoneDatabaseWorker.h"

namespace korvi {

ZoneDatabase::ZoneDatabase(ZoneDatabaseSettings settings, QObject* parent)
    : QObject(parent), m_thread(new QThread(this)), m_context(new QObject),
      m_worker(std::make_unique<ZoneDatabaseWorker>(std::move(settings))) {
    m_thread->setObjectName(QStringLiteral("Korvi zone database"));
    m_context->moveToThread(m_thread);
    m_thread->start();
}

ZoneDatabase::~ZoneDatabase() {
    // Posted after every request already made, so each of them still runs;
    // the connection is closed on the thread that opened it.
    ZoneDatabaseWorker* worker = m_worker.get();
    QMetaObject::invokeMethod(
        m_context,
        [worker] {
            worker->store().close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread->wait();
    delete m_context;
}

QString ZoneDatabase::databaseFileName() {
    return QStringLiteral("zones.sqlite");
}

QString ZoneDatabase::goodCopyFileName() {
    return QStringLiteral("zones.last-good.sqlite");
}

template <typename Work> void ZoneDatabase::post(Work&& work) {
    QMetaObject::invokeMethod(m_context, std::forward<Work>(work), Qt::QueuedConnection);
}

void ZoneDatabase::open() {
    post([this, worker = m_worker.get()] {
        QString failure;
        const ZoneDatabaseOpening opening = worker->open(&failure);
        QMetaObject::invokeMethod(
            this,
            [this, opening, failure] {
                if (failure.isEmpty())
                    Q_EMIT opened(opening);
                else
                    Q_EMIT openFailed(failure, opening.notices);
            },
            Qt::QueuedConnection);
        if (!failure.isEmpty())
            return;
        // The copy runs after the requests already waiting (the zone list
        // first of all), so that it never delays the first screen.
        QMetaObject::invokeMethod(
            m_context,
            [this, worker] {
                if (const StoreResult kept = worker->keepGoodCopy(); !kept) {
                    const StoreNotice warning{
                        StoreNotice::Level::warning,
                        QStringLiteral("⚠️ The last good copy of the zone database was not "
                                       "renewed: ") +
                            kept.error};
                    QMetaObject::invokeMethod(
                        this, [this, warning] { Q_EMIT notice(warning); }, Qt::QueuedConnection);
                }
            },
            Qt::QueuedConnection);
    });
}

ZoneDatabase::RequestId ZoneDatabase::loadZones() {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request] {
        QString error;
        const auto zones = worker->store().zones(&error);
        QMetaObject::invokeMethod(
            this,
            [this, request, zones, error] {
                if (zones)
                    Q_EMIT zonesLoaded(request, *zones);
                else
                    Q_EMIT loadFailed(request,
                                      QStringLiteral("The zone list cannot be read: ") + error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

ZoneDatabase::RequestId ZoneDatabase::loadRecords(const QUuid& zone) {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request, zone] {
        QString error;
        auto records = worker->store().records(zone, &error);
        QMetaObject::invokeMethod(
            this,
            [this, request, zone, records = std::move(records), error] {
                if (records)
                    Q_EMIT recordsLoaded(request, zone, *records);
                else
                    Q_EMIT loadFailed(request,
                                      QStringLiteral("The records of the zone cannot be read: ") +
                                          error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

ZoneDatabase::RequestId
ZoneDatabase::write(std::function<StoreResult(ZoneDatabaseWorker&)> change) {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request, change = std::move(change)] {
        const StoreResult result = change(*worker);
        QMetaObject::invokeMethod(
            this,
            [this, request, result] {
                if (result)
                    Q_EMIT written(request);
                else
                    Q_EMIT writeFailed(request, QStringLiteral("The change was not stored: ") +
                                                    result.error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

ZoneDatabase::RequestId ZoneDatabase::addZone(const StoredZone& zone,
                                              const QList<DNSRecord>& records) {
    return write([zone, records](ZoneDatabaseWorker& worker) {
        return worker.store().addZone(zone, records);
    });
}

ZoneDatabase::RequestId ZoneDatabase::removeZone(const QUuid& zone) {
    return write([zone](ZoneDatabaseWorker& worker) { return worker.store().removeZone(zone); });
}

ZoneDatabase::RequestId ZoneDatabase::addRecord(const QUuid& zone, const DNSRecord& record,
                                                const std::optional<SOARecord>& soa) {
    return write([zone, record, soa](ZoneDatabaseWorker& worker) {
        return worker.store().addRecord(zone, record, soa);
    });
}

ZoneDatabase::RequestId ZoneDatabase::updateRecord(const QUuid& zone, const DNSRecord& record,
                                                   const std::optional<SOARecord>& soa) {
    return write([zone, record, soa](ZoneDatabaseWorker& worker) {
        return worker.store().updateRecord(zone, record, soa);
    });
}

ZoneDatabase::RequestId ZoneDatabase::deleteRecord(const QUuid& zone, const QUuid& record,
                                                   const std::optional<SOARecord>& soa) {
    return write([zone, record, soa](ZoneDatabaseWorker& worker) {
        return worker.store().deleteRecord(zone, record, soa);
    });
}

ZoneDatabase::RequestId ZoneDatabase::updateSoa(const QUuid& zone,
                                                const std::optional<SOARecord>& soa) {
    return write(
        [zone, soa](ZoneDatabaseWorker& worker) { return worker.store().setSoa(zone, soa); });
}

ZoneDatabase::RequestId ZoneDatabase::replaceRecords(const QUuid& zone,
                                                     const QList<DNSRecord>& records,
                                                     const std::optional<SOARecord>& soa) {
    return write([zone, records, soa](ZoneDatabaseWorker& worker) {
        return worker.store().replaceRecords(zone, records, soa);
    });
}

// The change history.

ZoneDatabase::RequestId ZoneDatabase::addSnapshot(const ChangeSnapshot& snapshot, int keepPerZone) {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request, snapshot, keepPerZone] {
        SnapshotStore store(worker->store(), worker->directory());
        ChangeSnapshot kept = snapshot;
        const StoreResult result = store.add(&kept, keepPerZone);
        const qint64 id = kept.id;
        QMetaObject::invokeMethod(
            this,
            [this, request, result, id] {
                if (id > 0)
                    Q_EMIT snapshotKept(request, id);
                if (result)
                    Q_EMIT written(request);
                else
                    Q_EMIT writeFailed(request, QStringLiteral("The snapshot was not kept: ") +
                                                    result.error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

ZoneDatabase::RequestId ZoneDatabase::loadSnapshots() {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request] {
        QString error;
        const auto snapshots = SnapshotStore(worker->store(), worker->directory()).list(&error);
        QMetaObject::invokeMethod(
            this,
            [this, request, snapshots, error] {
                if (snapshots)
                    Q_EMIT snapshotsLoaded(request, *snapshots);
                else
                    Q_EMIT loadFailed(
                        request, QStringLiteral("The change history cannot be read: ") + error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

ZoneDatabase::RequestId ZoneDatabase::loadSnapshot(qint64 id) {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request, id] {
        QString error;
        const auto snapshot =
            SnapshotStore(worker->store(), worker->directory()).withTexts(id, &error);
        QMetaObject::invokeMethod(
            this,
            [this, request, snapshot, error] {
                if (snapshot)
                    Q_EMIT snapshotLoaded(request, *snapshot);
                else
                    Q_EMIT loadFailed(request,
                                      QStringLiteral("The snapshot cannot be read: ") + error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

// The application log.

ZoneDatabase::RequestId ZoneDatabase::appendLog(const QString& writer, const QStringList& lines) {
    return write([writer, lines](ZoneDatabaseWorker& worker) {
        return LogStore(worker.store()).append(writer, lines);
    });
}

ZoneDatabase::RequestId ZoneDatabase::loadLog(qint64 afterId, int limit) {
    const RequestId request = ++m_lastRequest;
    post([this, worker = m_worker.get(), request, afterId, limit] {
        LogStore store(worker->store());
        QString error;
        const auto lines = store.after(afterId, limit, &error);
        const std::optional<qint64> version = store.dataVersion(&error);
        QMetaObject::invokeMethod(
            this,
            [this, request, lines, version, error] {
                if (lines && version)
                    Q_EMIT logLoaded(request, *lines, *version);
                else
                    Q_EMIT loadFailed(request,
                                      QStringLiteral("The stored log cannot be read: ") + error);
            },
            Qt::QueuedConnection);
    });
    return request;
}

} // namespace korvi
