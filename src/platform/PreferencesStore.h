#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace korvi {

// The user's preferences: byte strings under keys. The application uses the
// platform's native store (QSettings); tests give it a private file.
class PreferencesStore {
public:
    // The platform's preferences for this application.
    PreferencesStore();
    // An INI file at this path (tests, sandbox mode).
    explicit PreferencesStore(const QString& filePath);
    ~PreferencesStore();
    PreferencesStore(const PreferencesStore&) = delete;
    PreferencesStore& operator=(const PreferencesStore&) = delete;

    std::optional<QByteArray> data(const QString& key) const;
    void setData(const QString& key, const QByteArray& value);
    void remove(const QString& key);
    // Writes pending changes to permanent storage now.
    void synchronize();
    // The INI file's path; empty for the platform's preferences.
    const QString& filePath() const { return m_filePath; }

private:
    std::unique_ptr<QSettings> m_settings;
    QString m_filePath;
};

} // namespace korvi
