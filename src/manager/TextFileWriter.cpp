#include "manager/TextFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace korvi {

bool TextFileWriter::writeNewFile(const QString& path, const QString& text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (written) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    *error = file.errorString();
    file.close();
    file.remove();
    return false;
}

bool TextFileWriter::replaceFile(const QString& path, const QString& text, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Cannot create the folder ") + folder;
        return false;
    }
    // No direct-write fallback: if the scratch file cannot be made next to
    // the target, the save fails rather than overwriting the file in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace korvi
