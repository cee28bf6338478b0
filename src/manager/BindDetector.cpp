#include "manager/BindDetector.h"

#include <QPointer>
#include <QRegularExpression>

#include <limits>
#include <optional>

#include "manager/DNSServerManager.h"
#include "manager/DetectionProbe.h"
#include "manager/ManagerTasks.h"

namespace korvi {

namespace {

const QString unknownVersion = QStringLiteral("Unknown");

// Line breaks: line feed, vertical tab, form feed, carriage return, next
// line, and the Unicode line and paragraph separators.
const QRegularExpression& lineBreaks() {
    static const QRegularExpression pattern(
        QStringLiteral("[\\n\\x{0B}\\x{0C}\\r\\x{85}\\x{2028}\\x{2029}]"));
    return pattern;
}

// A whole decimal integer with an optional sign, in range; nothing else, not
// even white space.
std::optional<qint64> decimalInteger(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : std::numeric_limits<qint64>::max();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const quint64 digit = c - u'0';
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == quint64(std::numeric_limits<qint64>::max()) + 1
                   ? std::numeric_limits<qint64>::min()
                   : -qint64(magnitude);
    return qint64(magnitude);
}

bool startsWithNumber(const QString& word) {
    const QList<uint> codePoints = word.toUcs4();
    return !codePoints.isEmpty() && QChar::isNumber(char32_t(codePoints.first()));
}

} // namespace

void BindDetector::detect(DNSServerManager& manager) {
    const SystemLayout layout = manager.layout();
    const QPointer<DNSServerManager> guard(&manager);
    ManagerTasks::inBackground([layout, guard] {
        const QString path = findNamed(layout);
        ManagerTasks::onMainThread(guard, [path](DNSServerManager& m) { apply(m, path); });
    });
}

QString BindDetector::findNamed(const SystemLayout& layout) {
    const QString path = DetectionProbe::firstExisting(layout.bindProbePaths);
    if (!path.isEmpty())
        return path;
    return DetectionProbe::runForText(layout.whichPath, {QStringLiteral("named")},
                                      layout.bindSearchPath, layout.commandTimeoutMs)
        .value_or(QString());
}

void BindDetector::apply(DNSServerManager& manager, const QString& path) {
    manager.m_detectedBindPath = path;
    if (!path.isEmpty())
        queryVersion(manager, path);
    manager.setBindInstalled(!path.isEmpty());
    if (path.isEmpty()) {
        manager.setServerStatus(ServerStatus::notInstalled);
        manager.addLog(QStringLiteral("BIND DNS server is not installed on this system"),
                       LogLevel::error);
        return;
    }
    manager.addLog(QStringLiteral("BIND DNS server detected at: ") + path, LogLevel::success);
    // The first time named is found, the manager also does what start-up
    // does for an installed BIND; that includes the status check.
    if (manager.m_installedBindStepsDone)
        manager.checkServerStatus();
    else
        manager.runInstalledBindSteps();
}

void BindDetector::queryVersion(DNSServerManager& manager, const QString& path) {
    const QPointer<DNSServerManager> guard(&manager);
    manager.runProcess(path, manager.layout().bindVersionArguments,
                       [guard](bool success, const QString& output) {
                           if (guard)
                               applyVersion(*guard, success, output);
                       });
}

void BindDetector::applyVersion(DNSServerManager& manager, bool success, const QString& output) {
    if (!success) {
        manager.setBindVersion(QString());
        manager.setBindVersionSupported(false);
        manager.addLog(QStringLiteral("Failed to check BIND version"), LogLevel::error);
        return;
    }
    const QString version = parseBindVersion(output);
    const bool supported = isVersionSupported(version);
    manager.setBindVersion(version);
    manager.setBindVersionSupported(supported);
    if (supported)
        manager.addLog(QStringLiteral("BIND version ") + version +
                           QStringLiteral(" detected (supported)"),
                       LogLevel::success);
    else
        manager.addLog(QStringLiteral("BIND version ") + version +
                           QStringLiteral(" is not supported. Minimum required: 9.0.0"),
                       LogLevel::error);
}

QString BindDetector::parseBindVersion(const QString& output) {
    static const QRegularExpression number(QStringLiteral("^\\d+\\.\\d+(\\.\\d+)*"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression wordBreaks(QStringLiteral("[ \\t]"));
    const QStringList lines = output.split(lineBreaks());
    for (const QString& line : lines) {
        if (!line.toLower().contains(QStringLiteral("bind")))
            continue;
        const QStringList words = line.split(wordBreaks, Qt::SkipEmptyParts);
        for (const QString& word : words) {
            if (!word.contains(u'.') || !startsWithNumber(word))
                continue;
            const QRegularExpressionMatch match = number.match(word);
            if (match.hasMatch())
                return match.captured(0);
        }
    }
    return unknownVersion;
}

bool BindDetector::isVersionSupported(const QString& version) {
    if (version == unknownVersion)
        return false;
    const QStringList components = version.split(u'.');
    const std::optional<qint64> major = decimalInteger(components.first());
    if (!major)
        return false;
    if (*major > 9)
        return true;
    if (*major < 9)
        return false;
    if (components.size() > 1) {
        const std::optional<qint64> minor = decimalInteger(components[1]);
        if (minor && *minor < 0)
            return false;
    }
    return true;
}

// The manager's own names for BIND detection.

void DNSServerManager::checkBindInstallation() {
    BindDetector::detect(*this);
}

QString DNSServerManager::parseBindVersion(const QString& output) {
    return BindDetector::parseBindVersion(output);
}

bool DNSServerManager::isVersionSupported(const QString& version) {
    return BindDetector::isVersionSupported(version);
}

} // namespace korvi
