#include "ui/AboutView.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/WebPageOpener.h"
#include "ui/icons/SymbolIcons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/Typography.h"

namespace korvi {

QString AboutView::versionText() {
    const QString version = QCoreApplication::applicationVersion();
    return tr("Version %1").arg(version.isEmpty() ? QStringLiteral("3.1") : version);
}

const char* AboutView::webAddress() {
    return "https://www.gnu.org/licenses/gpl-3.0.html";
}

AboutView::AboutView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("aboutView"));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, semanticColor(SemanticColor::windowBackground));
    setPalette(background);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->setSpacing(14);
    layout->addStretch();

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(applicationIcon().pixmap(QSize(80, 80)));
    icon->setFixedSize(80, 80);
    layout->addWidget(icon, 0, Qt::AlignHCenter);

    const QColor label = semanticColor(SemanticColor::label);
    const QColor secondary = semanticColor(SemanticColor::secondaryLabel);
    const auto centred = [layout](QLabel* text) {
        text->setAlignment(Qt::AlignCenter);
        text->setWordWrap(true);
        layout->addWidget(text);
    };
    centred(Typography::label(QStringLiteral("Korvi"), TextStyle::largeTitle, QFont::Bold, label,
                              QStringLiteral("aboutTitle"), this));
    centred(Typography::label(versionText(), TextStyle::headline, QFont::DemiBold, secondary,
                              QStringLiteral("versionLabel"), this));
    centred(Typography::label(tr("DNS Management Made Easy"), TextStyle::body, QFont::Normal, label,
                              QStringLiteral("taglineLabel"), this));

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    Typography::setTextColor(divider, semanticColor(SemanticColor::separator));
    layout->addWidget(divider);

    auto* link = new ProminentButton(tr("Read the GNU GPL"), this);
    link->setObjectName(QStringLiteral("websiteButton"));
    link->setIcon(symbolIcon(QStringLiteral("globe"), semanticColor(SemanticColor::textOnAccent)));
    link->setIconSize(QSize(16, 16));
    connect(link, &QPushButton::clicked, this,
            [] { WebPageOpener::open(QUrl(QString::fromLatin1(webAddress()))); });
    layout->addWidget(link, 0, Qt::AlignHCenter);

    centred(Typography::label(tr("© 2026 The Korvi developers"), TextStyle::subheadline,
                              QFont::Medium, label, QStringLiteral("copyrightLabel"), this));
    centred(Typography::label(tr("Free software under the GNU General Public License, "
                                 "version 3 or later."),
                              TextStyle::caption, QFont::Normal, secondary,
                              QStringLiteral("rightsLabel"), this));
    layout->addStretch();
}

} // namespace korvi
