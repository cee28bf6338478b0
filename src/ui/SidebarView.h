#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace korvi {

class DNSServerManager;
class StatusIndicator;

// The sidebar of the main window: the six sections, the server status and
// the server controls (start/stop, or the BIND installation block). It
// redraws whenever the manager announces a change of what it shows.
class SidebarView : public QWidget {
    Q_OBJECT

public:
    struct Section {
        QString title;
        QString symbol;
    };
    // The sections in order; the position is the section's tag.
    static const QList<Section>& sections();

    explicit SidebarView(DNSServerManager* manager, QWidget* parent = nullptr);

    int selectedTab() const;
    void setSelectedTab(int tab);

Q_SIGNALS:
    void selectedTabChanged(int tab);

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
