#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace korvi {

class RecordTableView;
class SecondaryZoneCopy;

// A secondary zone as Korvi shows it: its primaries, the serial and the time
// of the last transfer, and the copy's records in a table that cannot be
// edited. The record buttons are there, disabled, with the reason: the
// zone's records change on its primary.
class SecondaryZoneView : public QWidget {
    Q_OBJECT

public:
    explicit SecondaryZoneView(SecondaryZoneCopy* copy, QWidget* parent = nullptr);

    RecordTableView* table() const { return m_table; }

private:
    void update();

    QPointer<SecondaryZoneCopy> m_copy;
    QLabel* m_serial = nullptr;
    QLabel* m_transfer = nullptr;
    QLabel* m_problem = nullptr;
    RecordTableView* m_table = nullptr;
};

} // namespace korvi
