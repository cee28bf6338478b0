#pragma once

#include <QString>
#include <QWidget>

namespace korvi {

// The content of the About window: icon, name, version, tagline, a link to
// Korvi's web site, and the copyright lines.
class AboutView : public QWidget {
    Q_OBJECT

public:
    explicit AboutView(QWidget* parent = nullptr);

    // "Version " and the application's version, "3.1" when it has none.
    static QString versionText();
    static const char* webAddress();
};

} // namespace korvi
