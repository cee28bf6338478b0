#include "platform/Console.h"

#include <QMutex>

#include <atomic>

#include <cstdio>

namespace korvi {

namespace {
std::atomic<bool> toStandardError{false};
} // namespace

void setConsoleToStandardError(bool value) {
    toStandardError = value;
}

void consoleLine(const QString& line) {
    static QMutex mutex;
    const QByteArray bytes = line.toUtf8() + '\n';
    QMutexLocker lock(&mutex);
    FILE* stream = toStandardError ? stderr : stdout;
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace korvi
