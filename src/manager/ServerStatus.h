#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace korvi {

// State of the local named, as last determined.
enum class ServerStatus { running, stopped, error, unknown, notInstalled };

QString rawValue(ServerStatus status);
std::optional<ServerStatus> serverStatusFromRawValue(const QString& text);
const QList<ServerStatus>& allServerStatuses();

// Level of one application-log line.
enum class LogLevel { debug, info, warning, error, success };

// The word a level puts into a log line, for example "✅ SUCCESS".
QString levelWord(LogLevel level);
const QList<LogLevel>& allLogLevels();

} // namespace korvi
