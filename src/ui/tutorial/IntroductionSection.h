#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: The first page: what Korvi is, what the tutorial teaches, and what it needs.
class IntroductionSection : public TutorialSection {
    Q_OBJECT

public:
    explicit IntroductionSection(QWidget* parent = nullptr);
};

} // namespace korvi
