#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

#include "model/DNSRecord.h"
#include "ui/widgets/Palette.h"

namespace korvi {

// Draws one record of a RecordListModel as a rounded card: the name with the
// "(Server Stopped)" badge while the server does not run and the type badge
// in the type's colour, the value, the TTL and the numbers that apply, and a
// pencil at the right, blue while the record can be opened. Rows are painted,
// so a list of any length holds no widget per record; the list view opens a
// record when its row is clicked. A record of a type Korvi keeps without
// editing (DS, NAPTR, HTTPS, ...) shows that type's name and a "read-only"
// badge instead of the pencil.
class RecordRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit RecordRowDelegate(QObject* parent = nullptr);

    void setBindRunning(bool running) { m_bindRunning = running; }
    bool isBindRunning() const { return m_bindRunning; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The colour of a type's badge.
    static NamedColor typeColor(DNSRecordType type);
    // The type as the row's badge names it: BIND's name for a kept type.
    static QString typeName(const DNSRecord& record);
    // The badge of a record that cannot be opened.
    static QString readOnlyText();
    // The name as the row shows it: "@" for the zone apex.
    static QString shownName(const DNSRecord& record);
    // The third line: "TTL: 3600", then "Priority: 10", "Weight: 5",
    // "Port: 80" for the numbers the record holds.
    static QStringList detailTexts(const DNSRecord& record);

private:
    bool m_bindRunning = false;
};

} // namespace korvi
