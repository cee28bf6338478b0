#pragma once

// Sends standard output (descriptor 1) into a file while it lives, for reading console lines.
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace korvi {

class StdoutCapture {
public:
    explicit StdoutCapture(const QString& path) : m_path(path) {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
    ~StdoutCapture() { finish(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;
    // Restores standard output; returns the lines written meanwhile.
    QStringList finish() {
        if (m_saved >= 0) {
            std::fflush(stdout);
            ::dup2(m_saved, STDOUT_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

private:
    QString m_path;
    int m_saved = -1;
};

} // namespace korvi
