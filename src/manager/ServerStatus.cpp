#include "manager/ServerStatus.h"

namespace korvi {

QString rawValue(ServerStatus status) {
    switch (status) {
    case ServerStatus::running:
        return QStringLiteral("running");
    case ServerStatus::stopped:
        return QStringLiteral("stopped");
    case ServerStatus::error:
        return QStringLiteral("error");
    case ServerStatus::unknown:
        return QStringLiteral("unknown");
    case ServerStatus::notInstalled:
        return QStringLiteral("not_installed");
    }
    return {};
}

const QList<ServerStatus>& allServerStatuses() {
    static const QList<ServerStatus> all = {ServerStatus::running, ServerStatus::stopped,
                                            ServerStatus::error, ServerStatus::unknown,
                                            ServerStatus::notInstalled};
    return all;
}

std::optional<ServerStatus> serverStatusFromRawValue(const QString& text) {
    for (ServerStatus status : allServerStatuses()) {
        if (rawValue(status) == text)
            return status;
    }
    return std::nullopt;
}

QString levelWord(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return QStringLiteral("🔍 DEBUG");
    case LogLevel::info:
        return QStringLiteral("ℹ️ INFO");
    case LogLevel::warning:
        return QStringLiteral("⚠️ WARNING");
    case LogLevel::error:
        return QStringLiteral("❌ ERROR");
    case LogLevel::success:
        return QStringLiteral("✅ SUCCESS");
    }
    return {};
}

const QList<LogLevel>& allLogLevels() {
    static const QList<LogLevel> all = {LogLevel::debug, LogLevel::info, LogLevel::warning,
                                        LogLevel::error, LogLevel::success};
    return all;
}

} // namespace korvi
