#pragma once

#include <QPointer>
#include <QWidget>

#include "model/BindConfigReader.h"
#include "ui/configuration/AdoptZoneDialog.h"

class QLabel;
class QVBoxLayout;

namespace korvi {

class DNSConfiguration;
class DNSServerManager;
struct ZoneAdoptionResult;

// The zones of the server's configuration that Korvi does not edit (declared
// outside Korvi's own files, not primary, or inside a view), each with its
// type, view and declaring file, marked read-only. Hidden when there are none.
// A primary zone an administrator declared outside views gets "Adopt into
// Korvi", which asks first and then hands the zone to the manager.
class ConfiguredZonesSection : public QWidget {
    Q_OBJECT

public:
    explicit ConfiguredZonesSection(DNSServerManager* manager, QWidget* parent = nullptr);

    // The text of one row, as the section shows it.
    static QString rowText(const ConfiguredZone& zone);

    // The open confirmation, if any (tests).
    AdoptZoneDialog* confirmation() const { return m_confirmation; }

private:
    void rebuild();
    void askToAdopt(const ConfiguredZone& zone);
    void adoptionFinished(const ZoneAdoptionResult& result);

    QPointer<DNSServerManager> m_manager;
    QPointer<DNSConfiguration> m_configuration;
    QVBoxLayout* m_rows = nullptr;
    QLabel* m_message = nullptr;
    QPointer<AdoptZoneDialog> m_confirmation;
    bool m_adopting = false;
};

} // namespace korvi
