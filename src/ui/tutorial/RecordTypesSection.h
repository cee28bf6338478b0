#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: What each common record type does and when to use it.
class RecordTypesSection : public TutorialSection {
    Q_OBJECT

public:
    explicit RecordTypesSection(QWidget* parent = nullptr);
};

} // namespace korvi
