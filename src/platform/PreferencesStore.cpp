#include "platform/PreferencesStore.h"

#include <QSettings>

namespace korvi {

PreferencesStore::PreferencesStore() : m_settings(std::make_unique<QSettings>()) {}

PreferencesStore::PreferencesStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)),
      m_filePath(filePath) {}

PreferencesStore::~PreferencesStore() = default;

std::optional<QByteArray> PreferencesStore::data(const QString& key) const {
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toByteArray();
}

void PreferencesStore::setData(const QString& key, const QByteArray& value) {
    m_settings->setValue(key, value);
}

void PreferencesStore::remove(const QString& key) {
    m_settings->remove(key);
}

void PreferencesStore::synchronize() {
    m_settings->sync();
}

} // namespace korvi
