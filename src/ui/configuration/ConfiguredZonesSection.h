#pragma once

#include <QPointer>
#include <QWidget>

#include "model/BindConfigReader.h"

class QVBoxLayout;

namespace korvi {

class DNSConfiguration;

// The zones of the server's configuration that Korvi does not edit (declared
// outside Korvi's own files, not primary, or inside a view), each with its
// type, view and declaring file, marked read-only. Hidden when there are none.
class ConfiguredZonesSection : public QWidget {
    Q_OBJECT

public:
    explicit ConfiguredZonesSection(DNSConfiguration* configuration, QWidget* parent = nullptr);

    // The text of one row, as the section shows it.
    static QString rowText(const ConfiguredZone& zone);

private:
    void rebuild();

    QPointer<DNSConfiguration> m_configuration;
    QVBoxLayout* m_rows = nullptr;
};

} // namespace korvi
