#include "manager/HostDetection.h"

#include <QRegularExpression>

#include <limits>

#include "manager/AppLog.h"
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

QString packageManagerName(PackageManager manager) {
    switch (manager) {
    case PackageManager::homebrew:
        return QStringLiteral("Homebrew");
    case PackageManager::macPorts:
        return QStringLiteral("MacPorts");
    case PackageManager::apt:
        return QStringLiteral("APT");
    case PackageManager::none:
        break;
    }
    return QStringLiteral("None");
}

PackageManager packageManagerFromName(const QString& name) {
    for (PackageManager manager :
         {PackageManager::homebrew, PackageManager::macPorts, PackageManager::apt}) {
        if (packageManagerName(manager) == name)
            return manager;
    }
    return PackageManager::none;
}

HostDetection::HostDetection(const SystemLayout& layout, const CommandRunner& runner, AppLog* log,
                             QObject* parent)
    : QObject(parent), m_layout(layout), m_runner(runner), m_log(log) {}

void HostDetection::log(const QString& message, LogLevel level) const {
    if (m_log)
        m_log->add(message, level);
}

void HostDetection::setBindInstalled(bool value) {
    m_isBindInstalled = value;
    Q_EMIT bindInstalledChanged(value);
}

void HostDetection::setBindVersion(const QString& value) {
    m_bindVersion = value;
    Q_EMIT bindVersionChanged(value);
}

void HostDetection::setBindVersionSupported(bool value) {
    m_isBindVersionSupported = value;
    Q_EMIT bindVersionSupportedChanged(value);
}

bool HostDetection::isInstalled(PackageManager manager) const {
    switch (manager) {
    case PackageManager::homebrew:
        return m_homebrew;
    case PackageManager::macPorts:
        return m_macPorts;
    case PackageManager::apt:
        return m_apt;
    case PackageManager::none:
        break;
    }
    return false;
}

void HostDetection::setInstalled(PackageManager manager, bool value) {
    switch (manager) {
    case PackageManager::homebrew:
        m_homebrew = value;
        break;
    case PackageManager::macPorts:
        m_macPorts = value;
        break;
    case PackageManager::apt:
        m_apt = value;
        break;
    case PackageManager::none:
        return;
    }
    Q_EMIT installedChanged(manager, value);
}

void HostDetection::setAvailable(PackageManager manager) {
    m_available = manager;
    Q_EMIT availableChanged(manager);
}

void HostDetection::updateAvailable() {
    PackageManager chosen = PackageManager::none;
    for (PackageManager candidate :
         {PackageManager::homebrew, PackageManager::macPorts, PackageManager::apt}) {
        if (isInstalled(candidate)) {
            chosen = candidate;
            break;
        }
    }
    setAvailable(chosen);
    if (chosen != PackageManager::none) {
        log(QStringLiteral("✅ %1 detected and available for package installation")
                .arg(packageManagerName(chosen)),
            LogLevel::info);
        return;
    }
    const bool aptProbed =
        m_layout.aptProbePaths.isEmpty() || m_answered.contains(PackageManager::apt);
    if (!m_answered.isEmpty() && !aptProbed)
        return;
    log(QStringLiteral("❌ No package manager detected. Please install Homebrew or "
                       "MacPorts to enable BIND installation."),
        LogLevel::info);
}

void HostDetection::detectPackageManager(PackageManager manager) {
    if (manager == PackageManager::none ||
        (manager == PackageManager::apt && m_layout.aptProbePaths.isEmpty()))
        return;
    const SystemLayout layout = m_layout;
    const QPointer<HostDetection> guard(this);
    ManagerTasks::inBackground([layout, guard, manager] {
        const bool found = probe(layout, manager);
        ManagerTasks::onMainThread<HostDetection>(
            guard, [manager, found](HostDetection& d) { d.applyPackageManager(manager, found); });
    });
}

bool HostDetection::probe(const SystemLayout& layout, PackageManager manager) {
    const int limit = layout.commandTimeoutMs;
    switch (manager) {
    case PackageManager::homebrew: {
        bool present = !DetectionProbe::firstExisting(layout.homebrewProbePaths).isEmpty();
        if (!present)
            present = DetectionProbe::runForText(layout.whichPath, {QStringLiteral("brew")},
                                                 std::nullopt, limit)
                          .has_value();
        if (!present)
            return false;
        // A brew that is there but does not answer is not a usable Homebrew.
        return DetectionProbe::run(layout.homebrewConfirmationPath,
                                   layout.homebrewConfirmationArguments,
                                   layout.homebrewConfirmationSearchPath, limit)
            .has_value();
    }
    case PackageManager::macPorts:
        if (!DetectionProbe::firstExisting(layout.macPortsProbePaths).isEmpty())
            return true;
        return DetectionProbe::runForText(layout.whichPath, {QStringLiteral("port")}, std::nullopt,
                                          limit)
            .has_value();
    case PackageManager::apt:
        // APT is only ever used at the path it is installed at, so that path
        // is the whole test.
        return !DetectionProbe::firstExisting(layout.aptProbePaths).isEmpty();
    case PackageManager::none:
        break;
    }
    return false;
}

void HostDetection::applyPackageManager(PackageManager manager, bool found) {
    m_answered.insert(manager);
    setInstalled(manager, found);
    updateAvailable();
    const QString line =
        found ? QStringLiteral("✅ %1 detected successfully") : QStringLiteral("❌ %1 not found");
    log(line.arg(packageManagerName(manager)), LogLevel::info);
}

void HostDetection::detectBind() {
    const SystemLayout layout = m_layout;
    const QPointer<HostDetection> guard(this);
    ManagerTasks::inBackground([layout, guard] {
        const QString path = findNamed(layout);
        ManagerTasks::onMainThread<HostDetection>(guard,
                                                  [path](HostDetection& d) { d.applyBind(path); });
    });
}

QString HostDetection::findNamed(const SystemLayout& layout) {
    const QString path = DetectionProbe::firstExisting(layout.bindProbePaths);
    if (!path.isEmpty())
        return path;
    return DetectionProbe::runForText(layout.whichPath, {QStringLiteral("named")},
                                      layout.bindSearchPath, layout.commandTimeoutMs)
        .value_or(QString());
}

void HostDetection::applyBind(const QString& path) {
    m_bindPath = path;
    if (!path.isEmpty()) {
        // The version query starts here, on the main thread, and only while
        // the detection exists.
        const QPointer<HostDetection> guard(this);
        m_runner.runProcess(path, m_layout.bindVersionArguments,
                            [guard](bool success, const QString& output) {
                                if (guard)
                                    guard->applyVersion(success, output);
                            });
    }
    setBindInstalled(!path.isEmpty());
    if (path.isEmpty()) {
        Q_EMIT bindDetected(path);
        log(QStringLiteral("BIND DNS server is not installed on this system"), LogLevel::error);
        return;
    }
    log(QStringLiteral("BIND DNS server detected at: ") + path, LogLevel::success);
    Q_EMIT bindDetected(path);
}

void HostDetection::applyVersion(bool success, const QString& output) {
    if (!success) {
        setBindVersion(QString());
        setBindVersionSupported(false);
        log(QStringLiteral("Failed to check BIND version"), LogLevel::error);
        return;
    }
    const QString version = parseBindVersion(output);
    const bool supported = isVersionSupported(version);
    setBindVersion(version);
    setBindVersionSupported(supported);
    if (supported)
        log(QStringLiteral("BIND version ") + version + QStringLiteral(" detected (supported)"),
            LogLevel::success);
    else
        log(QStringLiteral("BIND version ") + version +
                QStringLiteral(" is not supported. Minimum required: 9.0.0"),
            LogLevel::error);
}

QString HostDetection::parseBindVersion(const QString& output) {
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

bool HostDetection::isVersionSupported(const QString& version) {
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

} // namespace korvi
