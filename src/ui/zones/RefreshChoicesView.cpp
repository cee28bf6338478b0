#include "ui/zones/RefreshChoicesView.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/RoundedPanel.h"
#include "ui/widgets/ScreenWidgets.h"

namespace korvi {

namespace {

// "Only in Korvi: www 3600 A 192.0.2.1; ... and 4 more", or nothing.
QString sideText(const QString& title, const QStringList& lines) {
    if (lines.isEmpty())
        return {};
    QStringList shown = lines.mid(0, RefreshChoicesView::shownLines);
    QString text = title + QStringLiteral(": ") + shown.join(QStringLiteral("; "));
    if (lines.size() > shown.size())
        text += QCoreApplication::translate("korvi::RefreshChoicesView", " … and %1 more")
                    .arg(lines.size() - shown.size());
    return text;
}

} // namespace

RefreshChoicesView::RefreshChoicesView(DNSServerManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager) {
    setObjectName(QStringLiteral("refreshChoices"));
    m_cards = new QVBoxLayout(this);
    m_cards->setContentsMargins(20, 12, 20, 0);
    m_cards->setSpacing(8);
    connect(manager, &DNSServerManager::refreshDifferencesChanged, this,
            &RefreshChoicesView::rebuild);
    rebuild();
}

void RefreshChoicesView::rebuild() {
    while (QLayoutItem* item = m_cards->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<ZoneDifference> differences =
        m_manager ? m_manager->refreshDifferences() : QList<ZoneDifference>();
    for (const ZoneDifference& difference : differences)
        m_cards->addWidget(card(difference));
    setVisible(!differences.isEmpty());
}

QWidget* RefreshChoicesView::card(const ZoneDifference& difference) {
    RoundedPanel* panel =
        ScreenWidgets::card(QStringLiteral("refreshChoice_") + difference.zoneName, 8);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(14, 10, 14, 10);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(
        ScreenWidgets::label(tr("Zone '%1' differs from its file").arg(difference.zoneName),
                             TextStyle::headline, QStringLiteral("refreshChoiceTitle")));
    texts->addWidget(ScreenWidgets::secondaryLabel(
        tr("%1. Nothing was changed; choose which one to keep.").arg(difference.summary()),
        TextStyle::caption, QStringLiteral("refreshChoiceSummary")));
    const QString inStore = sideText(tr("Only in Korvi"), difference.onlyInStore);
    const QString inFile = sideText(tr("Only in the file"), difference.onlyInFile);
    for (const QString& text : {inStore, inFile}) {
        if (text.isEmpty())
            continue;
        QLabel* line = ScreenWidgets::secondaryLabel(text, TextStyle::caption,
                                                     QStringLiteral("refreshChoiceLines"));
        line->setWordWrap(true);
        texts->addWidget(line);
    }
    layout->addLayout(texts, 1);

    auto* keep = new QPushButton(tr("Keep Korvi's version"));
    keep->setObjectName(QStringLiteral("keepKorviVersionButton"));
    auto* useFile = new QPushButton(tr("Use the file"));
    useFile->setObjectName(QStringLiteral("useFileVersionButton"));
    layout->addWidget(keep);
    layout->addWidget(useFile);
    const QString zone = difference.zoneName;
    QPointer<DNSServerManager> manager = m_manager;
    // Queued: the choice rebuilds the cards, this button's among them.
    connect(
        keep, &QPushButton::clicked, this,
        [manager, zone] {
            if (manager)
                manager->keepKorviVersion(zone);
        },
        Qt::QueuedConnection);
    connect(
        useFile, &QPushButton::clicked, this,
        [manager, zone] {
            if (manager)
                manager->useFileVersion(zone);
        },
        Qt::QueuedConnection);
    return panel;
}

} // namespace korvi
