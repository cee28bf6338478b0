// The records screen's table: columns, sorting by each header, the search,
// the cards/table choice, deleting selected records (judged by BIND's
// checker), kept records left alone, and the screen's keys, driven through
// the real widgets.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>

#include "ScreenTestSupport.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordRowDelegate.h"
#include "ui/records/RecordTableModel.h"
#include "ui/records/RecordTableView.h"
#include "ui/records/RecordsListView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

DNSRecord record(const QString& name, DNSRecordType type, const QString& value, qint64 ttl,
                 std::optional<qint64> priority = {}, std::optional<qint64> weight = {},
                 std::optional<qint64> port = {}) {
    DNSRecord made(name, type, value, ttl);
    made.priority = priority;
    made.weight = weight;
    made.port = port;
    return made;
}

// A record of a type Korvi lists and keeps without editing.
DNSRecord kept(const QString& name, const QString& type, const QString& data, qint64 ttl) {
    DNSRecord made;
    made.name = name;
    made.keptType = type;
    made.value = data;
    made.ttl = ttl;
    return made;
}

// Names, types, TTLs and data chosen so that each column orders the records
// differently; TTLs whose text order differs from their numeric order; two
// names equal but for letter case; two records of the same type.
QList<DNSRecord> sortingRecords() {
    return {record("", DNSRecordType::NS, "ns1.example.com.", 86400),
            record("www", DNSRecordType::A, "192.0.2.10", 300),
            record("Mail", DNSRecordType::MX, "mail.example.com.", 3600, 10),
            record("mail", DNSRecordType::A, "192.0.2.20", 60),
            record("ftp", DNSRecordType::CNAME, "www.example.com.", 1000000),
            record("_sip._tcp", DNSRecordType::SRV, "sip.example.com.", 3600, 10, 5, 5060),
            kept("info", "HINFO", "\"PC\" \"Linux\"", 7200),
            record("v6", DNSRecordType::AAAA, "2001:db8::1", 300)};
}

QStringList columnTexts(const QAbstractItemModel* model, int column) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

QStringList tableNames(const RecordTableView* table) {
    return columnTexts(table->model(), RecordTableModel::nameColumn);
}

QStringList cardNames(const RecordsListView* cards) {
    QStringList names;
    for (int row = 0; row < cards->model()->rowCount(); ++row)
        names.append(RecordRowDelegate::shownName(cards->model()->recordAt(row)));
    return names;
}

void clickHeader(QTableView* table, int column) {
    QHeaderView* header = table->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void clickTableRow(QTableView* table, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QRect rect = table->visualRect(table->model()->index(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, rect.center());
}

// A double click as the window system delivers it: a click, then the
// double-click event.
void doubleClick(QTableView* table, QPoint at) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

QStringList recordNames(const ZonePtr& zone) {
    QStringList names;
    for (const DNSRecord& one : zone->records())
        names.append(RecordRowDelegate::shownName(one));
    return names;
}

} // namespace

class RecordTableTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<DNSRecordView> m_view;

    // A records screen showing these zones, the first one chosen, as a table.
    DNSRecordView* openTable(const QList<ZonePtr>& zones,
                             ServerStatus status = ServerStatus::running) {
        m_manager->setServerStatus(status);
        m_manager->setZones(zones);
        m_view = std::make_unique<DNSRecordView>(m_manager.get());
        showScreen(m_view.get());
        click(m_view.get(), u"tableViewButton"_s);
        return m_view.get();
    }

    // A zone in the manager's zone folder that BIND's checker accepts, with
    // a kept record among the others.
    ZonePtr checkedZone() {
        auto zone =
            ZonePtr::create(u"example.com"_s, m_manager->zoneDirectory() + u"/db.example.com"_s);
        zone->setRecords({record("", DNSRecordType::NS, "ns1.example.com.", 3600),
                          record("ns1", DNSRecordType::A, "192.0.2.1", 3600),
                          record("www", DNSRecordType::A, "192.0.2.10", 3600),
                          record("ftp", DNSRecordType::A, "192.0.2.11", 3600),
                          kept("info", "HINFO", "\"PC\" \"Linux\"", 3600),
                          record("db", DNSRecordType::A, "192.0.2.12", 3600),
                          record("mail", DNSRecordType::A, "192.0.2.13", 3600)});
        return zone;
    }

    // The screen's window active, so that its keys reach their shortcuts.
    bool activate(QWidget* view) {
        view->activateWindow();
        return QTest::qWaitForWindowActive(view);
    }

private Q_SLOTS:
    void initTestCase() { m_manager = screenManager(m_dir.path(), ServerStatus::running); }
    void cleanup() { m_view.reset(); }
    // A zone file check may still run: its scratch copy goes when it has answered.
    void cleanupTestCase() {
        QTRY_COMPARE(scratchCopiesBelow(m_manager->layout().temporaryDirectory), QStringList());
        settle();
    }

    // Four columns, one line per record in the zone's order; kept records show
    // BIND's name of their type and are greyed.
    void tableShowsTheZone() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/nowhere/db.example.com"_s);
        zone->setRecords(sortingRecords());
        auto* view = openTable({zone});
        RecordTableView* table = child<RecordTableView>(view, u"recordTable"_s);
        QVERIFY(table && table->isVisible());
        QVERIFY(!view->recordsList()->isVisible());
        QVERIFY(view->showsTable());
        QAbstractItemModelTester tester(table->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList headers;
        for (int column = 0; column < table->model()->columnCount(); ++column)
            headers.append(table->model()->headerData(column, Qt::Horizontal).toString());
        QCOMPARE(headers, (QStringList{"Name", "Type", "TTL", "Data"}));
        QCOMPARE(tableNames(table),
                 (QStringList{"@", "www", "Mail", "mail", "ftp", "_sip._tcp", "info", "v6"}));
        QCOMPARE(columnTexts(table->model(), RecordTableModel::typeColumn),
                 (QStringList{"NS", "A", "MX", "A", "CNAME", "SRV", "HINFO", "AAAA"}));
        QCOMPARE(columnTexts(table->model(), RecordTableModel::ttlColumn),
                 (QStringList{"86400", "300", "3600", "60", "1000000", "3600", "7200", "300"}));
        QCOMPARE(columnTexts(table->model(), RecordTableModel::dataColumn),
                 (QStringList{"ns1.example.com.", "192.0.2.10", "10 mail.example.com.",
                              "192.0.2.20", "www.example.com.", "10 5 5060 sip.example.com.",
                              "\"PC\" \"Linux\"", "2001:db8::1"}));
        const QModelIndex keptRow = table->model()->index(6, RecordTableModel::nameColumn);
        const QModelIndex plainRow = table->model()->index(1, RecordTableModel::nameColumn);
        QVERIFY(keptRow.data(Qt::ForegroundRole).isValid());
        QVERIFY(!plainRow.data(Qt::ForegroundRole).isValid());
        QVERIFY(keptRow.data(Qt::ToolTipRole).toString().startsWith(u"Read-only"_s));
        QVERIFY(!(table->model()->flags(keptRow) & Qt::ItemIsEditable));
        QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void sortByHeader_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("names");
        const int name = RecordTableModel::nameColumn;
        const int type = RecordTableModel::typeColumn;
        const int ttl = RecordTableModel::ttlColumn;
        const int data = RecordTableModel::dataColumn;
        // Letter case is ignored, then capitals first; the apex comes first.
        QTest::newRow("name ascending")
            << name << 1
            << QStringList{"@", "_sip._tcp", "ftp", "info", "Mail", "mail", "v6", "www"};
        QTest::newRow("name descending")
            << name << 2
            << QStringList{"www", "v6", "mail", "Mail", "info", "ftp", "_sip._tcp", "@"};
        // Equal types keep the zone's order, in both directions.
        QTest::newRow("type ascending")
            << type << 1
            << QStringList{"www", "mail", "v6", "ftp", "info", "Mail", "@", "_sip._tcp"};
        QTest::newRow("type descending")
            << type << 2
            << QStringList{"_sip._tcp", "@", "Mail", "info", "ftp", "v6", "www", "mail"};
        // By number: 60 < 300 < 3600 < 7200 < 86400 < 1000000.
        QTest::newRow("ttl ascending") << ttl << 1 << QStringList{"mail",      "www",  "v6", "Mail",
                                                                  "_sip._tcp", "info", "@",  "ftp"};
        QTest::newRow("ttl descending")
            << ttl << 2
            << QStringList{"ftp", "@", "info", "Mail", "_sip._tcp", "www", "v6", "mail"};
        // The data as shown, priority and the other numbers first.
        QTest::newRow("data ascending")
            << data << 1
            << QStringList{"info", "_sip._tcp", "Mail", "www", "mail", "v6", "@", "ftp"};
        QTest::newRow("data descending")
            << data << 2
            << QStringList{"ftp", "@", "v6", "mail", "www", "Mail", "_sip._tcp", "info"};
        // A third click gives the zone's own order back.
        QTest::newRow("ttl third click")
            << ttl << 3
            << QStringList{"@", "www", "Mail", "mail", "ftp", "_sip._tcp", "info", "v6"};
    }

    void sortByHeader() {
        QFETCH(int, column);
        QFETCH(int, clicks);
        QFETCH(QStringList, names);
        auto zone = ZonePtr::create(u"example.com"_s, u"/nowhere/db.example.com"_s);
        zone->setRecords(sortingRecords());
        auto* view = openTable({zone});
        RecordTableView* table = view->recordTable();
        QAbstractItemModelTester tester(table->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < clicks; ++i)
            clickHeader(table, column);
        QCOMPARE(tableNames(table), names);
        QCOMPARE(table->horizontalHeader()->sortIndicatorSection(), clicks == 3 ? -1 : column);
    }

    // Sorting keeps the selected records selected, wherever they move.
    void sortKeepsTheSelection() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/nowhere/db.example.com"_s);
        zone->setRecords(sortingRecords());
        RecordTableView* table = openTable({zone})->recordTable();
        clickTableRow(table, 1);                         // www
        clickTableRow(table, 4, Qt::ControlModifier);    // ftp
        clickHeader(table, RecordTableModel::ttlColumn); // www and ftp move
        QStringList selected;
        for (int row : table->selectedRecordRows())
            selected.append(table->tableModel()->recordAt(row).name);
        QCOMPARE(selected, (QStringList{"www", "ftp"}));
        QCOMPARE(table->selectedRecordRows(), (QList<int>{1, 7}));
    }

    // One search field filters both views, and switching keeps the search.
    void searchFiltersBothViews() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/nowhere/db.example.com"_s);
        zone->setRecords(sortingRecords());
        auto* view = openTable({zone});
        auto* search = child<QLineEdit>(view, u"searchField"_s);
        typeInto(search, u"MAIL"_s);
        QCOMPARE(tableNames(view->recordTable()), (QStringList{"Mail", "mail"}));
        typeInto(search, u"hinfo"_s);
        QCOMPARE(tableNames(view->recordTable()), QStringList{"info"});
        click(view, u"cardsViewButton"_s);
        QVERIFY(view->recordsList()->isVisible() && !view->recordTable()->isVisible());
        QCOMPARE(cardNames(view->recordsList()), QStringList{"info"});
        typeInto(search, u"192.0.2"_s);
        QCOMPARE(cardNames(view->recordsList()), (QStringList{"www", "mail"}));
        click(view, u"tableViewButton"_s);
        QCOMPARE(tableNames(view->recordTable()), (QStringList{"www", "mail"}));
        typeInto(search, QString());
        QCOMPARE(view->recordTable()->model()->rowCount(), 8);
    }

    // The choice of cards or table holds for the next records screen.
    void viewChoiceIsRemembered() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/nowhere/db.example.com"_s);
        zone->setRecords(sortingRecords());
        auto* view = openTable({zone});
        QVERIFY(view->showsTable());
        m_view = std::make_unique<DNSRecordView>(m_manager.get());
        showScreen(m_view.get());
        QVERIFY(m_view->recordTable()->isVisible());
        QVERIFY(child<QPushButton>(m_view.get(), u"tableViewButton"_s)->isChecked());
        QCOMPARE(m_view->recordTable()->model()->rowCount(), 8);
        click(m_view.get(), u"cardsViewButton"_s);
        m_view = std::make_unique<DNSRecordView>(m_manager.get());
        showScreen(m_view.get());
        QVERIFY(m_view->recordsList()->isVisible() && !m_view->recordTable()->isVisible());
        QVERIFY(child<QPushButton>(m_view.get(), u"cardsViewButton"_s)->isChecked());
        QCOMPARE(m_view->recordsList()->model()->rowCount(), 8);
    }

    void tableFollowsTheZone_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("search");
        QTest::newRow("zone order") << -1 << false << QString();
        QTest::newRow("name, searched") << int(RecordTableModel::nameColumn) << false << "keep";
        QTest::newRow("ttl descending") << int(RecordTableModel::ttlColumn) << true << QString();
        QTest::newRow("type, searched") << int(RecordTableModel::typeColumn) << false << "keep";
        QTest::newRow("data descending, searched")
            << int(RecordTableModel::dataColumn) << true << "keep";
    }

    // Many inserts, edits and removals at every position, sorted and
    // searched: the rows always equal a fresh filter and stable sort of the
    // zone, and a record followed by a persistent index stays found.
    void tableFollowsTheZone() {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(QString, search);
        auto zone = ZonePtr::create(u"example.com"_s, u"/x"_s);
        RecordTableModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setZone(zone);
        model.setSearchText(search);
        model.sort(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        const auto key = [column](const DNSRecord& r) {
            return column < 0 ? QString() : RecordTableModel::cellText(r, column);
        };
        const auto expected = [&] {
            QList<DNSRecord> shown;
            for (const DNSRecord& r : zone->records()) {
                if (search.isEmpty() || r.name.contains(search))
                    shown.append(r);
            }
            std::stable_sort(
                shown.begin(), shown.end(), [&](const DNSRecord& a, const DNSRecord& b) {
                    if (column == RecordTableModel::ttlColumn)
                        return descending ? a.ttl > b.ttl : a.ttl < b.ttl;
                    const int order = QString::compare(key(a), key(b), Qt::CaseInsensitive);
                    return descending ? order > 0 : order < 0;
                });
            QStringList lines;
            for (const DNSRecord& r : shown)
                lines.append(r.name + u' ' + key(r));
            return lines;
        };
        const auto shown = [&] {
            QStringList lines;
            for (int row = 0; row < model.rowCount(); ++row)
                lines.append(model.recordAt(row).name + u' ' + key(model.recordAt(row)));
            return lines;
        };
        quint32 seed = 11;
        const auto next = [&seed](quint32 bound) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % bound;
        };
        const QList<DNSRecordType> types{DNSRecordType::A, DNSRecordType::MX, DNSRecordType::TXT};
        QPersistentModelIndex followed;
        QUuid followedId;
        for (int step = 0; step < 300; ++step) {
            const qsizetype size = zone->records().size();
            const quint32 action = size == 0 ? 0 : next(3);
            // Few distinct names, types and TTLs, so that equal keys are common.
            const QString name = (next(2) ? u"keep"_s : u"drop"_s) + QString::number(next(5));
            const DNSRecordType type = types[next(3)];
            const qint64 ttl = qint64(next(4)) * 300;
            if (action == 0) {
                zone->addRecord(record(name, type, u"\"t%1\""_s.arg(next(7)), ttl,
                                       type == DNSRecordType::MX ? 10 : std::optional<qint64>()));
            } else if (action == 1) {
                DNSRecord changed = zone->records().at(next(quint32(size)));
                changed.name = name;
                changed.ttl = ttl;
                zone->updateRecord(changed);
            } else {
                zone->removeRecord(zone->records().at(next(quint32(size))).id);
            }
            QCOMPARE(shown(), expected());
            if (!followed.isValid() && model.rowCount() > 0) {
                followed = model.index(0, 0);
                followedId = model.recordAt(0).id;
            } else if (followed.isValid()) {
                QCOMPARE(model.recordAt(followed.row()).id, followedId);
            }
        }
    }

    // Three rows selected, Delete, the confirmation names three records; the
    // button is off until BIND's checker has judged the zone, then exactly
    // those three are gone from the zone and its file.
    void deleteSelectedRecords() {
        const ZonePtr zone = checkedZone();
        auto* view = openTable({zone});
        QVERIFY(activate(view));
        RecordTableView* table = view->recordTable();
        auto* deleteButton = child<QPushButton>(view, u"deleteSelectedButton"_s);
        QVERIFY(!deleteButton->isEnabled());
        clickTableRow(table, 2);                      // www
        clickTableRow(table, 3, Qt::ControlModifier); // ftp
        clickTableRow(table, 5, Qt::ControlModifier); // db
        QVERIFY(deleteButton->isEnabled());
        QVERIFY(saveScreenshot(view, u"records"_s, u"table-selection"_s));

        // Cancel changes nothing.
        QTest::keyClick(table, Qt::Key_Delete);
        QPointer<QMessageBox> confirmation = view->deleteConfirmation();
        QVERIFY(confirmation);
        QVERIFY(QTest::qWaitForWindowExposed(confirmation));
        click(confirmation, u"cancelDeleteButton"_s);
        QTRY_VERIFY(!confirmation);
        QCOMPARE(view->pendingDeletion(), ChangeId(0));

        QSignalSpy finished(m_manager.get(), &DNSServerManager::changeFinished);
        click(view, u"deleteSelectedButton"_s);
        confirmation = view->deleteConfirmation();
        QVERIFY(confirmation);
        QVERIFY(QTest::qWaitForWindowExposed(confirmation));
        QCOMPARE(confirmation->text(), "Delete 3 records?");
        QCOMPARE(confirmation->windowTitle(), "Delete Records");
        QVERIFY(confirmation->informativeText().contains(u"example.com"_s));
        QVERIFY(!confirmation->informativeText().contains(u"read-only"_s));
        QVERIFY(saveScreenshot(confirmation, u"records"_s, u"delete-confirmation"_s));
        click(confirmation, u"confirmDeleteButton"_s);
        const ChangeId id = view->pendingDeletion();
        QVERIFY(id != 0);
        QVERIFY(!deleteButton->isEnabled());
        QCOMPARE(recordNames(zone).size(), 7);  // nothing until the checker has answered
        QTest::keyClick(table, Qt::Key_Delete); // no second deletion meanwhile
        QVERIFY(!view->deleteConfirmation());
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).value<ChangeId>(), id);
        QVERIFY2(finished.first().at(1).toBool(), qPrintable(finished.first().at(2).toString()));
        QCOMPARE(view->pendingDeletion(), ChangeId(0));
        QCOMPARE(recordNames(zone), (QStringList{"@", "ns1", "info", "mail"}));
        QCOMPARE(tableNames(table), (QStringList{"@", "ns1", "info", "mail"}));
        const QByteArray file = readFile(zone->filePath());
        QVERIFY(file.contains("192.0.2.13") && file.contains("HINFO"));
        QVERIFY(!file.contains("192.0.2.10") && !file.contains("192.0.2.11") &&
                !file.contains("192.0.2.12"));
        QVERIFY(!shows(view, "recordsErrorLabel"));
        QTRY_COMPARE(logCount(*m_manager, u"🗑️ 3 records deleted from zone 'example.com'"_s,
                              LogLevel::info),
                     1);
    }

    // A deletion BIND's checker refuses (the zone's only name server) leaves
    // every record and shows the checker's words on the screen.
    void refusedDeletionShowsWhy() {
        const ZonePtr zone = checkedZone();
        auto* view = openTable({zone});
        RecordTableView* table = view->recordTable();
        clickTableRow(table, 0); // the NS record
        click(view, u"deleteSelectedButton"_s);
        QPointer<QMessageBox> confirmation = view->deleteConfirmation();
        QVERIFY(confirmation);
        QCOMPARE(confirmation->text(), "Delete 1 record?");
        click(confirmation, u"confirmDeleteButton"_s);
        QVERIFY(!child<QPushButton>(view, u"deleteSelectedButton"_s)->isEnabled());
        QTRY_VERIFY(shows(view, "recordsErrorLabel"));
        const QString shown = labelText(view, "recordsErrorLabel");
        QVERIFY2(shown.startsWith(u"The records were not deleted: "_s), qPrintable(shown));
        QVERIFY2(shown.contains(u"NS"_s), qPrintable(shown));
        QCOMPARE(recordNames(zone).size(), 7);
        QCOMPARE(table->model()->rowCount(), 7);
        QCOMPARE(view->pendingDeletion(), ChangeId(0));
        QVERIFY(child<QPushButton>(view, u"deleteSelectedButton"_s)->isEnabled());
    }

    // Kept records are never deleted from the table: alone they are refused
    // with a note; among others they stay and the confirmation says so.
    void keptRecordsAreNotDeleted() {
        const ZonePtr zone = checkedZone();
        auto* view = openTable({zone});
        RecordTableView* table = view->recordTable();
        clickTableRow(table, 4); // info, kept
        click(view, u"deleteSelectedButton"_s);
        QVERIFY(!view->deleteConfirmation());
        QVERIFY(shows(view, "recordsErrorLabel"));
        QVERIFY(labelText(view, "recordsErrorLabel").startsWith(u"Read-only records cannot"_s));
        QCOMPARE(view->pendingDeletion(), ChangeId(0));

        clickTableRow(table, 6, Qt::ShiftModifier); // info, db, mail
        click(view, u"deleteSelectedButton"_s);
        const QPointer<QMessageBox> confirmation = view->deleteConfirmation();
        QVERIFY(confirmation);
        QVERIFY(!shows(view, "recordsErrorLabel"));
        QCOMPARE(confirmation->text(), "Delete 2 records?");
        QVERIFY(
            confirmation->informativeText().contains(u"1 record in the selection is read-only"_s));
        QVERIFY(saveScreenshot(confirmation, u"records"_s, u"delete-confirmation-kept"_s));
        click(confirmation, u"confirmDeleteButton"_s);
        QTRY_COMPARE(recordNames(zone), (QStringList{"@", "ns1", "www", "ftp", "info"}));
        QTRY_COMPARE(view->pendingDeletion(), ChangeId(0));
    }

    // Enter and a double click open the edit form; never for a kept record,
    // never while the server is stopped.
    void openingRows() {
        const ZonePtr zone = checkedZone();
        auto* view = openTable({zone}, ServerStatus::stopped);
        RecordTableView* table = view->recordTable();
        clickTableRow(table, 2);
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(!view->editRecordSheet());
        QVERIFY(!child<QPushButton>(view, u"deleteSelectedButton"_s)->isEnabled());
        m_manager->setServerStatus(ServerStatus::running);
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(view->editRecordSheet());
        QCOMPARE(view->editRecordSheet()->record().id, zone->records().at(2).id);
        view->editRecordSheet()->reject();
        QTRY_VERIFY(!view->editRecordSheet());
        QTest::keyClick(table, Qt::Key_Down); // keyboard moves to ftp
        QTest::keyClick(table, Qt::Key_Enter);
        QVERIFY(view->editRecordSheet());
        QCOMPARE(view->editRecordSheet()->record().name, "ftp");
        view->editRecordSheet()->reject();
        QTRY_VERIFY(!view->editRecordSheet());
        const QRect mail = table->visualRect(table->model()->index(6, 1));
        doubleClick(table, mail.center());
        QVERIFY(view->editRecordSheet());
        QCOMPARE(view->editRecordSheet()->record().name, "mail");
        view->editRecordSheet()->reject();
        QTRY_VERIFY(!view->editRecordSheet());
        const QRect info = table->visualRect(table->model()->index(4, 0));
        doubleClick(table, info.center());
        QTest::keyClick(table, Qt::Key_Return);
        QVERIFY(!view->editRecordSheet());
    }

    // Ctrl+N opens the add form as "Add Record" does (not while stopped),
    // Ctrl+F goes to the search field, Delete asks about the selection.
    void screenKeys() {
        const ZonePtr zone = checkedZone();
        auto* view = openTable({zone}, ServerStatus::stopped);
        QVERIFY(activate(view));
        RecordTableView* table = view->recordTable();
        table->setFocus();
        QTest::keyClick(table, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!view->addRecordSheet());
        m_manager->setServerStatus(ServerStatus::running);
        QTest::keyClick(table, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(view->addRecordSheet());
        QCOMPARE(view->addRecordSheet()->zone(), zone);
        view->addRecordSheet()->reject();
        QTRY_VERIFY(!view->addRecordSheet());
        QVERIFY(activate(view));

        auto* search = child<QLineEdit>(view, u"searchField"_s);
        table->setFocus();
        QVERIFY(!search->hasFocus());
        QTest::keyClick(table, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->hasFocus());
        // In the search field Delete edits the text, it deletes no record.
        QTest::keyClicks(search, u"ww"_s);
        QTest::keyClick(search, Qt::Key_Home);
        QTest::keyClick(search, Qt::Key_Delete);
        QCOMPARE(search->text(), "w");
        QVERIFY(!view->deleteConfirmation());

        // The cards take the same keys.
        click(view, u"cardsViewButton"_s);
        typeInto(search, QString());
        QListView* cards = view->recordsList()->listView();
        cards->setFocus();
        cards->setCurrentIndex(cards->model()->index(3, 0));
        QTest::keyClick(cards, Qt::Key_Delete);
        QVERIFY(view->deleteConfirmation());
        QCOMPARE(view->deleteConfirmation()->text(), "Delete 1 record?");
        click(view->deleteConfirmation(), u"cancelDeleteButton"_s);
        QTRY_VERIFY(!view->deleteConfirmation());
        QVERIFY(activate(view));
        QTest::keyClick(cards, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->hasFocus());
        QCOMPARE(recordNames(zone).size(), 7);
    }

    // F5 is the main window's refresh, on the records screen as anywhere.
    void refreshKey() {
        WindowHost host;
        QVERIFY(host.isReady());
        host.window()->setSelectedSection(Section::dnsRecords);
        QCOMPARE(host.window()->currentScreen()->property("korviScreen").toString(),
                 "DNSRecordView");
        QVERIFY(activate(host.window()));
        const QString line = u"Refreshing package manager detection..."_s;
        const int before = logCount(*host.manager(), line, LogLevel::info);
        QTest::keyClick(host.window()->currentScreen(), Qt::Key_F5);
        QTRY_COMPARE(logCount(*host.manager(), line, LogLevel::info), before + 1);
        QVERIFY(waitForDetections(*host.manager()));
    }
};

QTEST_MAIN(RecordTableTest)
#include "tst_record_table.moc"
