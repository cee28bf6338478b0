#pragma once

#include <QStyledItemDelegate>

namespace korvi {

// Draws one zone of a ZoneListModel. In the zone management list a row shows
// the name (with "(Server Stopped)" while the server does not run), the
// record count, the zone file's name and a delete button; in the records
// screen's zone column it shows the name, a warning icon while the server does
// not run, and the record count. Rows are painted, not built from widgets, so
// a long zone list costs nothing per row.
class ZoneRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    enum class Style { management, column };

    explicit ZoneRowDelegate(Style style, QObject* parent = nullptr);

    Style style() const { return m_style; }
    void setBindRunning(bool running);
    bool isBindRunning() const { return m_bindRunning; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where a management row draws its delete button.
    QRect deleteButtonRect(const QRect& rowRect) const;

    // "4 records".
    static QString recordCountText(qlonglong count);
    static QString stoppedBadgeText() { return tr("(Server Stopped)"); }

Q_SIGNALS:
    // The delete button of a row was pressed while the server runs.
    void deleteRequested(int row);

private:
    void paintManagementRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const;
    void paintColumnRow(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const;

    Style m_style;
    bool m_bindRunning = false;
    int m_pressedRow = -1;
};

} // namespace korvi
