#include "manager/ServerLogWords.h"

#include <QFile>

namespace korvi {

qint64 serverLogSize(const QStringList& logPaths) {
    for (const QString& path : logPaths) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            return file.size();
    }
    return -1;
}

QString serverLogLinesAbout(const QStringList& logPaths, const QString& zoneName, int count,
                            qint64 from) {
    const QString named = QStringLiteral("zone ") + zoneName + u'/';
    const QString quoted = u'\'' + zoneName + u'\'';
    for (const QString& path : logPaths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        constexpr qint64 tail = 64 * 1024;
        if (from >= 0 && from <= file.size())
            file.seek(qMax(from, file.size() - tail));
        else if (file.size() > tail)
            file.seek(file.size() - tail);
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QStringList found;
        for (qsizetype i = lines.size() - 1; i >= 0 && found.size() < count; --i) {
            const QString& line = lines.at(i);
            if (line.contains(named) || line.contains(quoted))
                found.prepend(line.trimmed());
        }
        return found.join(u'\n');
    }
    return QString();
}

std::optional<QString> serverLoadRefusal(const QStringList& logPaths, const QString& zoneName,
                                         qint64 from) {
    if (from < 0)
        return std::nullopt;
    const QString lines = serverLogLinesAbout(logPaths, zoneName, 3, from);
    if (!lines.contains(QStringLiteral("not loaded due to errors")))
        return std::nullopt;
    return lines;
}

} // namespace korvi
