#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: Habits that keep a DNS server tidy, safe and fast.
class BestPracticesSection : public TutorialSection {
    Q_OBJECT

public:
    explicit BestPracticesSection(QWidget* parent = nullptr);
};

} // namespace korvi
