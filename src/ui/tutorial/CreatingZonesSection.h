#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: How to create a zone, and what a zone is made of.
class CreatingZonesSection : public TutorialSection {
    Q_OBJECT

public:
    explicit CreatingZonesSection(QWidget* parent = nullptr);
};

} // namespace korvi
