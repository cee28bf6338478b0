#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: A tour of Korvi's sections and its main features.
class KorviOverviewSection : public TutorialSection {
    Q_OBJECT

public:
    explicit KorviOverviewSection(QWidget* parent = nullptr);
};

} // namespace korvi
