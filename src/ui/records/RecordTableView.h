#pragma once

#include <QTableView>

#include "manager/DNSServerManager.h"

namespace korvi {

class RecordTableModel;

// The dense view of a zone's records: one line per record in four columns
// (Name, Type, TTL, Data), ordered by a click on a column's header (a third
// click gives the zone's own order back), several rows selected at once with
// Shift and Ctrl, moved through with the keyboard. A double click or Enter on
// a row asks to edit its record while the server runs; kept records are
// greyed and never opened.
class RecordTableView : public QTableView {
    Q_OBJECT

public:
    explicit RecordTableView(QWidget* parent = nullptr);

    void setZone(const ZonePtr& zone);
    void setSearchText(const QString& text);
    void setBindRunning(bool running) { m_bindRunning = running; }
    bool isBindRunning() const { return m_bindRunning; }
    // A read-only table (a secondary zone's copy) never asks to edit a row.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    RecordTableModel* tableModel() const { return m_model; }
    // The selected rows, top to bottom.
    QList<int> selectedRecordRows() const;

Q_SIGNALS:
    void editRecordRequested(const korvi::DNSRecord& record);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openRow(const QModelIndex& index);

    RecordTableModel* m_model = nullptr;
    bool m_bindRunning = false;
    bool m_readOnly = false;
};

} // namespace korvi
