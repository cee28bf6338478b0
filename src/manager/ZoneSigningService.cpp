#include "manager/ZoneSigningService.h"

#include <QJsonDocument>
#include <QPointer>

#include <ldns/ldns.h>

#include "host/HostLayout.h"
#include "manager/AppLog.h"
#include "manager/CommandRunner.h"
#include "manager/NamedServerControl.h"
#include "manager/ServerControl.h"
#include "model/RecordValidator.h"
#include "platform/PreferencesStore.h"

namespace korvi {

namespace {

QString keyOf(const QString& zone) {
    QString key = zone.trimmed().toLower();
    while (key.endsWith(u'.'))
        key.chop(1);
    return key;
}

} // namespace

ZoneSigningService::ZoneSigningService(const SystemLayout& layout, const CommandRunner& runner,
                                       AppLog* log, PreferencesStore* preferences,
                                       CheckedSaver* saver, ServerControl* control, QObject* parent)
    : QObject(parent), m_layout(layout), m_runner(runner), m_log(log), m_preferences(preferences),
      m_saver(saver), m_control(control) {
    if (!m_preferences)
        return;
    const std::optional<QByteArray> kept = m_preferences->data(QString::fromLatin1(preferencesKey));
    if (!kept)
        return;
    const QJsonObject all = QJsonDocument::fromJson(*kept).object();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const ZoneSigning signing = ZoneSigning::fromJson(it.value().toObject());
        if (signing.state != SigningState::unsigned_)
            m_zones.insert(keyOf(it.key()), signing);
    }
}

void ZoneSigningService::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

ZoneSigning ZoneSigningService::signing(const QString& zone) const {
    return m_zones.value(keyOf(zone));
}

QString ZoneSigningService::keyDirectory() const {
    if (m_layout.ownsIncludeOnly)
        return ownedFileLayout(m_layout).zoneDirectory;
    return m_layout.zoneDirectory;
}

QHash<QString, QStringList> ZoneSigningService::zoneLines() const {
    return signingZoneLines(m_zones, keyDirectory());
}

QStringList ZoneSigningService::policyStatements() const {
    return signingPolicyStatements(m_zones);
}

void ZoneSigningService::keep() {
    if (!m_preferences)
        return;
    QJsonObject all;
    for (auto it = m_zones.cbegin(); it != m_zones.cend(); ++it)
        all.insert(it.key(), it.value().toJson());
    m_preferences->setData(QString::fromLatin1(preferencesKey),
                           QJsonDocument(all).toJson(QJsonDocument::Compact));
    m_preferences->synchronize();
}

void ZoneSigningService::sign(const QString& zone, const ZoneSigning& choice) {
    ZoneSigning signing = choice;
    signing.state = SigningState::signing;
    signing.keyLifetimeDays = qBound(0, signing.keyLifetimeDays, ZoneSigning::maximumLifetimeDays);
    apply(zone, signing,
          QStringLiteral("🔏 Zone '%1' is signed by BIND with policy '%2'")
              .arg(keyOf(zone), signing.policyName()));
}

void ZoneSigningService::stopSigning(const QString& zone) {
    ZoneSigning signing = this->signing(zone);
    if (signing.state == SigningState::unsigned_) {
        finishLater(keyOf(zone), true, QString());
        return;
    }
    signing.state = SigningState::goingUnsigned;
    apply(zone, signing,
          QStringLiteral("Zone '%1' is going unsigned: BIND withdraws its signatures and keys")
              .arg(keyOf(zone)));
}

void ZoneSigningService::forget(const QString& zone) {
    if (!m_zones.remove(keyOf(zone)))
        return;
    keep();
    log(QStringLiteral("Zone '%1' was removed; its signing setting is dropped, its keys stay in %2")
            .arg(keyOf(zone), keyDirectory()),
        LogLevel::info);
    Q_EMIT signingChanged(keyOf(zone));
}

void ZoneSigningService::finishLater(const QString& zone, bool ok, const QString& message) {
    // The end is never announced before the call that asked for it returned.
    QMetaObject::invokeMethod(
        this, [this, zone, ok, message] { Q_EMIT signingApplied(zone, ok, message); },
        Qt::QueuedConnection);
}

void ZoneSigningService::apply(const QString& zone, const ZoneSigning& choice,
                               const QString& doneLine) {
    const QString key = keyOf(zone);
    if (!isValidDomainName(key) || !m_configurationSave) {
        log(QStringLiteral("❌ Signing of '%1' was not changed: not a zone name").arg(zone),
            LogLevel::error);
        finishLater(key, false, QStringLiteral("'%1' is not a zone name").arg(zone));
        return;
    }
    const std::optional<ZoneSigning> previous =
        m_zones.contains(key) ? std::optional(m_zones.value(key)) : std::nullopt;
    m_zones.insert(key, choice);
    const SaveId id = m_configurationSave();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(
        m_saver, &CheckedSaver::finished, this,
        [this, id, key, previous, doneLine, connection](SaveId finished, const QString&,
                                                        bool written, const QString& reason) {
            if (finished != id)
                return;
            disconnect(*connection);
            if (!written) {
                // The server keeps what it had; so does Korvi.
                if (previous)
                    m_zones.insert(key, *previous);
                else
                    m_zones.remove(key);
                log(QStringLiteral("❌ Signing of '%1' was not changed: %2").arg(key, reason),
                    LogLevel::error);
                Q_EMIT signingApplied(key, false, reason);
                return;
            }
            keep();
            Q_EMIT signingChanged(key);
            tellServer(key, doneLine);
        });
}

void ZoneSigningService::tellServer(const QString& zone, const QString& doneLine) {
    if (!m_control || m_control->status() != ServerStatus::running) {
        log(doneLine + QStringLiteral(" once the server runs"), LogLevel::info);
        Q_EMIT signingApplied(zone, true, QString());
        return;
    }
    const QPointer<ZoneSigningService> self(this);
    m_control->reconfigure([self, zone, doneLine](bool ok, const QString& message) {
        if (!self)
            return;
        if (!ok) {
            Q_EMIT self->signingApplied(zone, false, message);
            return;
        }
        self->m_control->reloadZone(zone, [self, zone, doneLine](bool ok, const QString& message) {
            if (!self)
                return;
            if (ok)
                self->log(doneLine, LogLevel::success);
            Q_EMIT self->signingApplied(zone, ok, message);
        });
    });
}

void ZoneSigningService::readKeyStatus(const QString& zone) {
    runRndc(zone, {QStringLiteral("dnssec"), QStringLiteral("-status")});
}

void ZoneSigningService::confirmDsPublished(const QString& zone) {
    runRndc(zone,
            {QStringLiteral("dnssec"), QStringLiteral("-checkds"), QStringLiteral("published")});
}

void ZoneSigningService::runRndc(const QString& zone, const QStringList& words) {
    const QString key = keyOf(zone);
    if (!isValidDomainName(key)) {
        const QString message = QStringLiteral("'%1' is not a zone name").arg(zone);
        QMetaObject::invokeMethod(
            this, [this, key, message] { Q_EMIT keyStatusRead(key, false, message); },
            Qt::QueuedConnection);
        return;
    }
    const QPointer<ZoneSigningService> self(this);
    m_runner.runCommand(NamedServerControl::rndcCommand(m_layout, words + QStringList{key}),
                        [self, key](bool success, const QString& output) {
                            if (self)
                                Q_EMIT self->keyStatusRead(key, success, output.trimmed());
                        });
}

void ZoneSigningService::readDsRecords(const QString& zone) {
    const QString key = keyOf(zone);
    DnsQuestion question;
    if (!m_layout.serverAddress.isEmpty())
        question.address = m_layout.serverAddress;
    if (m_layout.serverPort != 0)
        question.port = m_layout.serverPort;
    question.name = key;
    question.type = QStringLiteral("DNSKEY");
    ServerQuery::ask(this, question, [this, key](const DnsAnswer& answer) {
        if (!answer.responded()) {
            Q_EMIT dsRecordsRead(key, {}, answer.error);
            return;
        }
        QStringList keys;
        for (qsizetype i = 0; i < answer.records.size(); ++i) {
            if (answer.recordTypes.value(i) == u"DNSKEY")
                keys.append(answer.records.at(i));
        }
        // Going unsigned ends when the server publishes no key any more.
        if (keys.isEmpty() && answer.outcome == DnsOutcome::noError && answer.authoritative &&
            signing(key).state == SigningState::goingUnsigned) {
            m_zones.remove(key);
            keep();
            log(QStringLiteral("Zone '%1' is unsigned: the server publishes no DNSKEY").arg(key),
                LogLevel::info);
            Q_EMIT signingChanged(key);
        }
        QString problem;
        const QStringList records = dsRecords(key, keys, &problem);
        if (records.isEmpty() && problem.isEmpty())
            problem =
                answer.outcome == DnsOutcome::noError
                    ? QStringLiteral("The server publishes no key-signing DNSKEY for '%1'").arg(key)
                    : QStringLiteral("The server answered %1").arg(answer.rcode);
        Q_EMIT dsRecordsRead(key, records, problem);
    });
}

QStringList ZoneSigningService::dsRecords(const QString& zone, const QStringList& dnskeyData,
                                          QString* problem) {
    const QString owner = keyOf(zone) + u'.';
    QStringList records;
    QStringList unreadable;
    for (const QString& data : dnskeyData) {
        const QByteArray text = (owner + QStringLiteral(" 3600 IN DNSKEY ") + data).toUtf8();
        ldns_rr* key = nullptr;
        if (ldns_rr_new_frm_str(&key, text.constData(), 0, nullptr, nullptr) != LDNS_STATUS_OK ||
            !key) {
            unreadable.append(data.left(40));
            continue;
        }
        // Only the keys the parent points at: the SEP bit (flags 257).
        const bool entryPoint = (ldns_rdf2native_int16(ldns_rr_rdf(key, 0)) & 0x0001) != 0;
        ldns_rr* ds = entryPoint ? ldns_key_rr2ds(key, LDNS_SHA256) : nullptr;
        if (ds && ldns_rr_rd_count(ds) == 4) {
            const auto field = [ds](size_t i) {
                char* raw = ldns_rdf2str(ldns_rr_rdf(ds, i));
                const QString value = QString::fromUtf8(raw);
                free(raw);
                return value;
            };
            records.append(QStringLiteral("%1 IN DS %2 %3 %4 %5")
                               .arg(owner, field(0), field(1), field(2), field(3).toUpper()));
        }
        if (ds)
            ldns_rr_free(ds);
        ldns_rr_free(key);
    }
    if (problem)
        *problem = unreadable.isEmpty()
                       ? QString()
                       : QStringLiteral("Unreadable DNSKEY data: %1").arg(unreadable.join(u", "));
    return records;
}

SigningCheck ZoneSigningService::judgeSignedAnswer(const DnsAnswer& answer) {
    using Outcome = SigningCheck::Outcome;
    if (!answer.responded())
        return {Outcome::noAnswer, answer.error};
    if (answer.outcome != DnsOutcome::noError)
        return {Outcome::refusedAnswer, answer.rcode};
    if (!answer.authoritative)
        return {Outcome::notAuthoritative, answer.rcode};
    if (!answer.recordTypes.contains(u"SOA") || !answer.recordTypes.contains(u"RRSIG"))
        return {Outcome::noSignature, answer.rcode};
    return {Outcome::signedAnswer, answer.rcode};
}

void ZoneSigningService::checkSignedAnswer(const QString& zone) {
    const QString key = keyOf(zone);
    DnsQuestion question;
    if (!m_layout.serverAddress.isEmpty())
        question.address = m_layout.serverAddress;
    if (m_layout.serverPort != 0)
        question.port = m_layout.serverPort;
    question.name = key;
    question.type = QStringLiteral("SOA");
    question.dnssecOk = true;
    ServerQuery::ask(this, question, [this, key](const DnsAnswer& answer) {
        Q_EMIT signedAnswerChecked(key, judgeSignedAnswer(answer));
    });
}

} // namespace korvi
