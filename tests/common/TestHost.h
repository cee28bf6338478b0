#pragma once

// A private host for manager tests: a layout whose BIND files, zone folder,
// temporary folder and preferences all lie in one QTemporaryDir, so a test
// never touches the machine's files or the user's preferences.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThreadPool>

#include <memory>

#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"
#include "platform/PreferencesStore.h"
#include "platform/SystemLayout.h"

namespace korvi::testing {

using korvi::test::isolatedLayout;

class TestHost {
public:
    TestHost() {
        for (const char* sub : {"etc", "var/named", "tmp"})
            QDir(root()).mkpath(QLatin1String(sub));
        m_layout = isolatedLayout(root());
    }

    QString root() const { return m_dir.path(); }
    QString path(const char* relative) const { return m_dir.filePath(QLatin1String(relative)); }
    SystemLayout& layout() { return m_layout; }

    // A manager on this host; a second call gives a second manager on the
    // same preferences file, as after a restart.
    std::unique_ptr<DNSServerManager> makeManager() {
        auto prefs = std::make_shared<PreferencesStore>(path("prefs.ini"));
        auto manager = std::make_unique<DNSServerManager>(m_layout, prefs);
        settle();
        return manager;
    }

    bool writeFile(const QString& fileName, const QByteArray& bytes) const {
        QFile file(fileName.startsWith(u'/') ? fileName : m_dir.filePath(fileName));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // Runs what is queued on the main thread and in the thread pool.
    static void settle() {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }

private:
    QTemporaryDir m_dir;
    SystemLayout m_layout;
};

// The manager's log lines without their time stamps: "ℹ️ INFO: text".
inline QStringList logMessages(const DNSServerManager& manager) {
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} )"));
    QStringList out;
    for (const QString& line : manager.logs())
        out.append(QString(line).remove(stamp));
    return out;
}

inline QString infoLine(const QString& m) {
    return QStringLiteral("ℹ️ INFO: ") + m;
}
inline QString warningLine(const QString& m) {
    return QStringLiteral("⚠️ WARNING: ") + m;
}
inline QString successLine(const QString& m) {
    return QStringLiteral("✅ SUCCESS: ") + m;
}

} // namespace korvi::testing
