#pragma once

#include <QAbstractButton>
#include <QStringList>

namespace korvi {

// A one-click forwarder preset: its title above its servers, one per line,
// on a rounded background.
class ForwarderPresetButton : public QAbstractButton {
    Q_OBJECT

public:
    ForwarderPresetButton(const QString& title, const QStringList& servers,
                          QWidget* parent = nullptr);

    const QString& title() const { return m_title; }
    const QStringList& servers() const { return m_servers; }

    // The forwarders after the preset: its servers not yet in the list
    // appended in order, the others skipped.
    static QStringList appliedTo(const QStringList& forwarders, const QStringList& servers);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_title;
    QStringList m_servers;
    bool m_hovered = false;
};

} // namespace korvi
