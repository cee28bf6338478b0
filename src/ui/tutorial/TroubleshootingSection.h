#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: Common problems with BIND and Korvi, and the commands that help.
class TroubleshootingSection : public TutorialSection {
    Q_OBJECT

public:
    explicit TroubleshootingSection(QWidget* parent = nullptr);
};

} // namespace korvi
