#include "model/ZoneSigning.h"

#include <QJsonValue>

namespace korvi {

QString ZoneSigning::algorithmWord(SigningAlgorithm algorithm) {
    switch (algorithm) {
    case SigningAlgorithm::ecdsap256sha256:
        return QStringLiteral("ecdsap256sha256");
    case SigningAlgorithm::ed25519:
        return QStringLiteral("ed25519");
    }
    return QStringLiteral("ecdsap256sha256");
}

QString ZoneSigning::lifetimeWord() const {
    if (keyLifetimeDays <= 0)
        return QStringLiteral("unlimited");
    return QStringLiteral("P%1D").arg(qMin(keyLifetimeDays, maximumLifetimeDays));
}

QString ZoneSigning::policyName() const {
    switch (state) {
    case SigningState::unsigned_:
        return QString();
    case SigningState::goingUnsigned:
        return QStringLiteral("insecure");
    case SigningState::signing:
        break;
    }
    if (bindDefaultPolicy)
        return QStringLiteral("default");
    // One policy per choice: zones with the same choice share it, and a
    // changed choice names another policy instead of changing one in use.
    return QStringLiteral("korvi-%1-%2").arg(algorithmWord(algorithm), lifetimeWord().toLower());
}

std::optional<QString> ZoneSigning::policyStatement() const {
    if (state != SigningState::signing || bindDefaultPolicy)
        return std::nullopt;
    return QStringLiteral("dnssec-policy \"%1\" { keys { csk lifetime %2 algorithm %3; }; };")
        .arg(policyName(), lifetimeWord(), algorithmWord(algorithm));
}

QStringList ZoneSigning::zoneLines(const QString& keyDirectory) const {
    if (state == SigningState::unsigned_)
        return {};
    QStringList lines{QStringLiteral("dnssec-policy \"%1\";").arg(policyName()),
                      QStringLiteral("inline-signing yes;")};
    if (!keyDirectory.isEmpty())
        lines.append(QStringLiteral("key-directory \"%1\";").arg(keyDirectory));
    return lines;
}

QJsonObject ZoneSigning::toJson() const {
    QString stateWord = QStringLiteral("unsigned");
    if (state == SigningState::signing)
        stateWord = QStringLiteral("signing");
    else if (state == SigningState::goingUnsigned)
        stateWord = QStringLiteral("going-unsigned");
    return QJsonObject{{QStringLiteral("state"), stateWord},
                       {QStringLiteral("policy"),
                        bindDefaultPolicy ? QStringLiteral("default") : QStringLiteral("korvi")},
                       {QStringLiteral("algorithm"), algorithmWord(algorithm)},
                       {QStringLiteral("lifetimeDays"), keyLifetimeDays}};
}

ZoneSigning ZoneSigning::fromJson(const QJsonObject& object) {
    ZoneSigning signing;
    const QString state = object.value(QStringLiteral("state")).toString();
    if (state == u"signing")
        signing.state = SigningState::signing;
    else if (state == u"going-unsigned")
        signing.state = SigningState::goingUnsigned;
    signing.bindDefaultPolicy = object.value(QStringLiteral("policy")).toString() != u"korvi";
    if (object.value(QStringLiteral("algorithm")).toString() == u"ed25519")
        signing.algorithm = SigningAlgorithm::ed25519;
    signing.keyLifetimeDays =
        qBound(0, object.value(QStringLiteral("lifetimeDays")).toInt(), maximumLifetimeDays);
    return signing;
}

QHash<QString, QStringList> signingZoneLines(const ZoneSigningMap& zones,
                                             const QString& keyDirectory) {
    QHash<QString, QStringList> lines;
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        const QStringList zoneLines = it.value().zoneLines(keyDirectory);
        if (!zoneLines.isEmpty())
            lines.insert(it.key().toLower(), zoneLines);
    }
    return lines;
}

QStringList signingPolicyStatements(const ZoneSigningMap& zones) {
    QMap<QString, QString> byName;
    for (const ZoneSigning& signing : zones) {
        if (const std::optional<QString> statement = signing.policyStatement())
            byName.insert(signing.policyName(), *statement);
    }
    return byName.values();
}

} // namespace korvi
