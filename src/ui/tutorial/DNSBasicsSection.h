#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: What DNS is: names, addresses, zones and records, and how a lookup runs.
class DNSBasicsSection : public TutorialSection {
    Q_OBJECT

public:
    explicit DNSBasicsSection(QWidget* parent = nullptr);
};

} // namespace korvi
