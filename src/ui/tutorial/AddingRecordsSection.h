#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: How to add records to a zone, with common examples.
class AddingRecordsSection : public TutorialSection {
    Q_OBJECT

public:
    explicit AddingRecordsSection(QWidget* parent = nullptr);
};

} // namespace korvi
