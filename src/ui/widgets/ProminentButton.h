#pragma once

#include <QPushButton>

namespace korvi {

// The emphasised button of a screen: white text on the accent colour, the
// same on every platform style; faded while disabled.
class ProminentButton : public QPushButton {
    Q_OBJECT

public:
    explicit ProminentButton(const QString& text = QString(), QWidget* parent = nullptr);
};

} // namespace korvi
