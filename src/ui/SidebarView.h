#pragma once

#include <QString>
#include <QWidget>

#include "ui/Section.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace korvi {

class DNSServerManager;
class StatusIndicator;

// The sidebar of the main window: the seven sections, the server status and
// the server controls (start/stop, or the BIND installation block). It
// redraws whenever the manager announces a change of what it shows.
class SidebarView : public QWidget {
    Q_OBJECT

public:
    struct SectionEntry {
        QString title;
        QString symbol;
    };
    // The sections in order; the position is the section's tag.
    static const QList<SectionEntry>& sections();

    explicit SidebarView(DNSServerManager* manager, QWidget* parent = nullptr);

    Section selectedSection() const;
    void setSelectedSection(Section section);

Q_SIGNALS:
    void selectedSectionChanged(korvi::Section section);

private:
    void updateServerBlock();
    void serverButtonPressed();

    DNSServerManager* m_manager;
    QListWidget* m_list;
    StatusIndicator* m_indicator;
    QLabel* m_statusText;
    QPushButton* m_serverButton;
    QWidget* m_installBlock;
    QPushButton* m_installButton;
    QLabel* m_installCaption;
};

} // namespace korvi
