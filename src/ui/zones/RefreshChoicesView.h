#pragma once

#include <QPointer>
#include <QWidget>

#include "manager/DNSServerManager.h"

class QVBoxLayout;

namespace korvi {

// Above every screen after a refresh: one card per zone whose file on disk
// differs from Korvi's store, with what differs and the two ways out, "Keep
// Korvi's version" (the file is written again) and "Use the file" (the store
// takes the file's records). Hidden while no zone differs. Each card is named
// "refreshChoice_<zone>", its buttons "keepKorviVersionButton" and
// "useFileVersionButton".
class RefreshChoicesView : public QWidget {
    Q_OBJECT

public:
    explicit RefreshChoicesView(DNSServerManager* manager, QWidget* parent = nullptr);

    // How many record lines a card lists on each side before "and N more".
    static constexpr int shownLines = 3;

private:
    void rebuild();
    QWidget* card(const ZoneDifference& difference);

    QPointer<DNSServerManager> m_manager;
    QVBoxLayout* m_cards = nullptr;
};

} // namespace korvi
