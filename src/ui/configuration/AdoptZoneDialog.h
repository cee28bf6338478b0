#pragma once

#include <QDialog>

#include "model/BindConfigReader.h"
#include "platform/SystemLayout.h"

namespace korvi {

// The question "Adopt into Korvi" asks before anything changes: what moves
// where, which files Korvi writes from then on, and where the copies of the
// original files go. Accepted with "Adopt", anything else changes nothing.
class AdoptZoneDialog : public QDialog {
    Q_OBJECT

public:
    AdoptZoneDialog(const ConfiguredZone& zone, const SystemLayout& layout,
                    QWidget* parent = nullptr);

    // The explanation the dialog shows.
    static QString explanation(const ConfiguredZone& zone, const SystemLayout& layout);

    const ConfiguredZone& zone() const { return m_zone; }

private:
    ConfiguredZone m_zone;
};

} // namespace korvi
