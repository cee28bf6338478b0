#pragma once

#include "ui/tutorial/TutorialSection.h"

namespace korvi {

// Tutorial: The server settings: port, recursion, DNSSEC, forwarders and access control.
class ServerConfigurationSection : public TutorialSection {
    Q_OBJECT

public:
    explicit ServerConfigurationSection(QWidget* parent = nullptr);
};

} // namespace korvi
