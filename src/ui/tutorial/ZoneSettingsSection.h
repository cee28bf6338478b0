#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: The SOA settings of a zone and good habits for them.
class ZoneSettingsSection : public TutorialSection {
    Q_OBJECT

public:
    explicit ZoneSettingsSection(QWidget* parent = nullptr);
};

} // namespace korvi
