#pragma once

#include <QPushButton>

namespace korvi {

// The emphasised button of a screen: the desktop's highlighted text on its
// highlight colour, the same on every platform style, following the palette
// when it changes; faded while disabled.
class ProminentButton : public QPushButton {
    Q_OBJECT

public:
    explicit ProminentButton(const QString& text = QString(), QWidget* parent = nullptr);

private:
    void restyle();
};

} // namespace korvi
