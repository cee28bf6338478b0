#pragma once

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

#include "model/BindConfigReader.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class DNSConfiguration;
class OwnedFileSaver;
class ZoneRepository;

// How one adoption ended.
struct ZoneAdoptionResult {
    QString zone;
    bool adopted = false;
    QString message;      // Korvi's words, for the window and the log
    QString backupFolder; // where the copies of the original files are; empty when none was made
};

// Takes a primary zone that an administrator declared in a file of a
// distribution's BIND (named.conf.local, say) into Korvi's include, as one
// operation that is done whole or leaves everything as it was:
//   1. the zone's file is read completely with Korvi's zone reader;
//   2. the declaring file and the zone's file are copied into a new folder of
//      their own below Korvi's data folder (backupRoot());
//   3. Korvi's file for the zone is written from what was read, then the
//      helper's adopt-zone verb takes exactly the zone's statement out of the
//      declaring file and lists the zone in Korvi's include, once
//      named-checkconf has accepted the whole new configuration;
//   4. the zone joins Korvi's zones (and store) and the configuration's list
//      marks it as Korvi's.
// Any refusal or failure ends the adoption with the declaring file as it was
// and Korvi's new zone file removed again. finished() reports the outcome once
// per adopt().
class ZoneAdoption : public QObject {
    Q_OBJECT

public:
    ZoneAdoption(const SystemLayout& layout, AppLog* log, ZoneRepository* repository,
                 DNSConfiguration* configuration, QObject* parent = nullptr);
    ~ZoneAdoption() override;

    // Why a zone of the configuration cannot be adopted on this layout, or
    // nothing when it can: a primary IN zone outside views, declared in an
    // administrator's file of the configuration's folder (neither Korvi's
    // include nor the distribution's stock zone files), with a file, on a
    // distribution layout that has a data folder for the copies.
    static std::optional<QString> refusal(const ConfiguredZone& zone, const SystemLayout& layout);
    // The folder the copies go to, each adoption in a time-stamped folder of
    // its own.
    static QString backupRoot(const SystemLayout& layout);

    void adopt(const ConfiguredZone& zone);
    bool isBusy() const { return m_busy; }

    // What the reading step hands to the steps that change files.
    struct Prepared;

Q_SIGNALS:
    void finished(const korvi::ZoneAdoptionResult& result);

private:
    void prepared(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work);
    void takeOver(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work);
    void undo(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work,
              const QString& reason);
    // The repository's addition of the adopted zone has ended.
    void added(const ConfiguredZone& zone, const std::shared_ptr<Prepared>& work, bool applied,
               const QString& message);
    void finish(ZoneAdoptionResult result);

    SystemLayout m_layout;
    QPointer<AppLog> m_log;
    ZoneRepository* m_repository;
    QPointer<DNSConfiguration> m_configuration;
    std::unique_ptr<OwnedFileSaver> m_files;
    bool m_busy = false;
};

} // namespace korvi

Q_DECLARE_METATYPE(korvi::ZoneAdoptionResult)
