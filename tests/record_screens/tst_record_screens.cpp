// The DNS records screen (zone column, search, rows, stopped and empty
// states) and the add and edit record forms, driven through the real widgets.

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonDocument>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>

#include "ScreenTestSupport.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordFormFields.h"
#include "ui/records/RecordListModel.h"
#include "ui/records/RecordRowDelegate.h"
#include "ui/records/RecordsListView.h"
#include "ui/widgets/IntegerField.h"
#include "ui/zones/ZoneRowDelegate.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

DNSRecord record(const QString& name, DNSRecordType type, const QString& value,
                 std::optional<qint64> priority = {}, std::optional<qint64> weight = {},
                 std::optional<qint64> port = {}) {
    DNSRecord made(name, type, value, 3600);
    made.priority = priority;
    made.weight = weight;
    made.port = port;
    return made;
}

// A zone with one record of most kinds, in a known order.
ZonePtr sampleZone(const QString& name = u"example.com"_s) {
    auto zone = ZonePtr::create(name, u"/nowhere/db."_s + name);
    zone->setRecords({record("", DNSRecordType::NS, "ns1.example.com."),
                      record("www", DNSRecordType::A, "192.0.2.1"),
                      record("mail", DNSRecordType::MX, "mail.example.com.", 10),
                      record("", DNSRecordType::TXT, "\"v=spf1 mx -all\""),
                      record("ftp", DNSRecordType::CNAME, "www.example.com."),
                      record("_sip._tcp", DNSRecordType::SRV, "sip.example.com.", 10, 5, 5060),
                      record("v6", DNSRecordType::AAAA, "2001:db8::1")});
    return zone;
}

// Records in their stored form, so that every field is compared.
QByteArrayList stored(const QList<DNSRecord>& records) {
    QByteArrayList texts;
    for (const DNSRecord& one : records)
        texts.append(QJsonDocument(one.toJson()).toJson(QJsonDocument::Compact));
    return texts;
}

QStringList shownNames(const RecordListModel* model) {
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(RecordRowDelegate::shownName(model->recordAt(row)));
    return names;
}

void chooseType(QWidget* form, DNSRecordType type) {
    child<QComboBox>(form, u"typePicker"_s)->setCurrentIndex(int(allRecordTypes().indexOf(type)));
}

IntegerField* numberField(QWidget* form, const char* name) {
    return child<IntegerField>(form, QLatin1String(name));
}

QLineEdit* valueField(QWidget* form) {
    return child<QLineEdit>(form, u"valueField"_s);
}

// Opens a form as the screens do: window-modal, deleted when closed.
template <typename Form> QPointer<Form> opened(Form* form) {
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->open();
    if (!QTest::qWaitForWindowExposed(form))
        qWarning("the form was not shown");
    return form;
}

} // namespace

class RecordScreensTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;
    std::unique_ptr<DNSRecordView> m_view;

    // A records screen on the shared manager, showing these zones.
    DNSRecordView* openScreen(const QList<ZonePtr>& zones, ServerStatus status) {
        m_manager->setServerStatus(status);
        m_manager->setZones(zones);
        m_view = std::make_unique<DNSRecordView>(m_manager.get());
        showScreen(m_view.get());
        return m_view.get();
    }

    // A change is written only once BIND's checker accepts the zone, which needs an NS
    // record: every zone here has one (outside the zone), and the records compared are the
    // others.
    QList<DNSRecord> withNs(const QList<DNSRecord>& records) const {
        return QList<DNSRecord>{m_ns} + records;
    }
    QList<DNSRecord> edited() const {
        QList<DNSRecord> records = m_zone->records();
        records.removeIf([this](const DNSRecord& record) { return record.id == m_ns.id; });
        return records;
    }
    DNSRecord m_ns = DNSRecord({}, DNSRecordType::NS, u"ns.example.net."_s, 86400);

private Q_SLOTS:
    void initTestCase() { m_manager = screenManager(m_dir.path(), ServerStatus::running); }

    void init() {
        m_zone =
            ZonePtr::create(u"example.com"_s, m_manager->zoneDirectory() + u"/db.example.com"_s);
        m_zone->setRecords({m_ns});
        m_manager->setServerStatus(ServerStatus::running);
        m_manager->setZones({m_zone});
    }
    void cleanup() { m_view.reset(); }
    // A zone file check may still run: its scratch copy goes when it has answered.
    void cleanupTestCase() {
        QTRY_COMPARE(filesBelow(m_manager->layout().temporaryDirectory), QStringList());
        settle();
    }

    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty") << QString()
                               << QStringList{"@", "www", "mail", "@", "ftp", "_sip._tcp", "v6"};
        // Type, name and value, in any letter case; TTL, priority, weight and port are not.
        QTest::newRow("type upper") << "MX" << QStringList{"mail", "@"};
        QTest::newRow("mixed case") << "wWw" << QStringList{"www", "ftp"};
        QTest::newRow("type only") << "aaaa" << QStringList{"v6"};
        QTest::newRow("service label") << "_SIP" << QStringList{"_sip._tcp"};
        QTest::newRow("value part") << "2001:DB8" << QStringList{"v6"};
        QTest::newRow("ttl") << "3600" << QStringList{};
        QTest::newRow("port") << "5060" << QStringList{};
    }

    void search() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        auto* view = openScreen({sampleZone()}, ServerStatus::running);
        typeInto(child<QLineEdit>(view, u"searchField"_s), text);
        QCOMPARE(shownNames(view->recordsList()->model()), names);
        QCOMPARE(view->recordsList()->listView()->isVisible(), !names.isEmpty());
        if (names.isEmpty()) {
            QCOMPARE(labelText(view, "recordsEmptyTitle"), "No DNS records found");
            QCOMPARE(labelText(view, "recordsEmptyHint"), "Try adjusting your search terms");
        }
    }

    // The search folds case by the locale: plain capital I is dotless ı in Turkish.
    void searchFollowsTheLocale() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/x"_s);
        zone->setRecords({record("mail", DNSRecordType::A, "192.0.2.1")});
        for (const QLocale::Language language : {QLocale::Turkish, QLocale::English}) {
            RecordListModel model;
            model.setLocale(QLocale(language));
            model.setZone(zone);
            model.setSearchText(u"I"_s);
            QCOMPARE(model.rowCount(), language == QLocale::English ? 1 : 0);
        }
    }

    // Rows and count follow records added, removed and replaced, under a search.
    void rowsFollowTheZone() {
        const ZonePtr zone = sampleZone();
        auto* view = openScreen({zone}, ServerStatus::running);
        RecordListModel* model = view->recordsList()->model();
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(labelText(view, "zoneRecordCountLabel"), "7 records");
        typeInto(child<QLineEdit>(view, u"searchField"_s), "www");
        QCOMPARE(model->rowCount(), 2);
        zone->addRecord(record("www2", DNSRecordType::A, "192.0.2.2"));
        zone->addRecord(record("db", DNSRecordType::A, "192.0.2.3"));
        QCOMPARE(shownNames(model), (QStringList{"www", "ftp", "www2"}));
        QCOMPARE(labelText(view, "zoneRecordCountLabel"), "9 records");
        zone->removeRecord(zone->records().at(1).id);
        QCOMPARE(shownNames(model), (QStringList{"ftp", "www2"}));
        DNSRecord changed = zone->records().at(3); // ftp -> www.example.com.
        changed.value = u"files.example.net."_s;
        zone->updateRecord(changed);
        QCOMPARE(shownNames(model), QStringList{"www2"});
        // An SOA change alone keeps the rows; without a search a replaced record is redrawn.
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removals(model, &QAbstractItemModel::rowsRemoved);
        zone->setSoaRecord(SOARecord{});
        QCOMPARE(resets.size() + inserts.size() + removals.size(), 0);
        typeInto(child<QLineEdit>(view, u"searchField"_s), QString());
        resets.clear();
        QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
        changed.value = u"ftp.example.net."_s;
        zone->updateRecord(changed);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(model->recordAt(3).value, "ftp.example.net.");
        QCOMPARE(resets.size() + inserts.size() + removals.size(), 0);
    }

    // Many inserts, edits and removals at every position, under a search:
    // the rows always equal a fresh filter of the zone, in the zone's order.
    void rowsStayFilteredThroughManyChanges() {
        auto zone = ZonePtr::create(u"example.com"_s, u"/x"_s);
        RecordListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setZone(zone);
        model.setSearchText(u"keep"_s);
        const auto expected = [&] {
            QStringList names;
            for (const DNSRecord& r : zone->records()) {
                if (r.name.contains(u"keep"_s))
                    names.append(r.name);
            }
            return names;
        };
        quint32 seed = 7;
        const auto next = [&seed](quint32 bound) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % bound;
        };
        for (int step = 0; step < 400; ++step) {
            const qsizetype size = zone->records().size();
            const quint32 action = size == 0 ? 0 : next(3);
            const QString name = (next(2) ? u"keep"_s : u"drop"_s) + QString::number(step);
            if (action == 0) {
                zone->addRecord(record(name, DNSRecordType::A, "192.0.2.1"));
            } else if (action == 1) {
                DNSRecord changed = zone->records().at(next(quint32(size)));
                changed.name = name;
                zone->updateRecord(changed);
            } else {
                zone->removeRecord(zone->records().at(next(quint32(size))).id);
            }
            QCOMPARE(shownNames(&model), expected());
        }
    }

    // Stopped: rows and "Add Record" open nothing; running: they open the forms.
    void runningAndStopped() {
        const ZonePtr zone = sampleZone();
        auto* view = openScreen({zone, sampleZone("example.org")}, ServerStatus::stopped);
        QVERIFY(shows(view, "stoppedBanner"));
        QCOMPARE(labelText(view, "stoppedBannerText"),
                 "DNS record management is disabled. Start the BIND server to add, edit, or "
                 "delete records.");
        QCOMPARE(labelText(view, "zoneCountBadge"), "2");
        QCOMPARE(view->selectedZoneId(), zone->id()); // the first zone, with no choice made
        QCOMPARE(labelText(view, "zoneTitleLabel"), "example.com Zone");
        auto* add = child<QPushButton>(view, u"addRecordButton"_s);
        QVERIFY(!add->isEnabled());
        QVERIFY(!qobject_cast<ZoneRowDelegate*>(view->zoneList()->itemDelegate())->isBindRunning());
        clickRow(view->recordsList()->listView(), 1);
        QVERIFY(!view->editRecordSheet());
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(!view->addRecordSheet());

        m_manager->setServerStatus(ServerStatus::running);
        QVERIFY(!shows(view, "stoppedBanner") && add->isEnabled());
        QVERIFY(view->recordsList()->rowDelegate()->isBindRunning());
        QVERIFY(saveScreenshot(view, u"records"_s, u"list"_s));
        clickRow(view->recordsList()->listView(), 2);
        QVERIFY(view->editRecordSheet());
        QCOMPARE(view->editRecordSheet()->record().id, zone->records().at(2).id);
        view->editRecordSheet()->reject();
        QTRY_VERIFY(!view->editRecordSheet());
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(view->addRecordSheet());
        QCOMPARE(view->addRecordSheet()->zone(), zone);
        view->addRecordSheet()->reject();
        clickRow(view->zoneList(), 1);
        QCOMPARE(view->selectedZone(), m_manager->zones().at(1));
        QCOMPARE(labelText(view, "zoneTitleLabel"), "example.org Zone");
    }

    void emptyStates() {
        auto* view = openScreen({}, ServerStatus::running);
        QCOMPARE(labelText(view, "zoneCountBadge"), "0");
        QVERIFY(shows(view, "noZones") && shows(view, "noSelection"));
        QCOMPARE(labelText(view, "noZonesText"),
                 "Create a zone in Zone Management to start adding DNS records");
        QCOMPARE(labelText(view, "noSelectionTitle"), "Select a zone to view records");
        const auto empty = ZonePtr::create(u"empty.test"_s, u"/x"_s);
        const ZonePtr other = sampleZone();
        m_manager->setZones({empty, other});
        view->selectZone(empty->id());
        QVERIFY(shows(view, "recordsEmptyState"));
        QCOMPARE(labelText(view, "recordsEmptyHint"), "Add your first DNS record to get started");
        // The chosen zone removed elsewhere: back to the hint.
        view->selectZone(other->id());
        QVERIFY(!shows(view, "noSelection"));
        m_manager->setZones({empty});
        QVERIFY(shows(view, "noSelection") && !view->selectedZone());
    }

    void composeValue_data() {
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        const auto row = [](const char* tag, DNSRecordType type, const char* typed,
                            const char* saved) { QTest::newRow(tag) << type << typed << saved; };
        row("mx host", DNSRecordType::MX, "mail.example.com", "mail.example.com.");
        row("cname address", DNSRecordType::CNAME, "192.168.1.10", "192.168.1.10");
        row("ptr trimmed", DNSRecordType::PTR, "  host.example.com\n", "host.example.com.");
        row("cname four labels", DNSRecordType::CNAME, "a.b.c.d", "a.b.c.d");
        row("cname five labels", DNSRecordType::CNAME, "a.b.c.d.e", "a.b.c.d.e.");
        row("srv address", DNSRecordType::SRV, "192.168.1.10", "192.168.1.10.");
        row("empty stays empty", DNSRecordType::MX, "   ", "");
        row("a cleaned", DNSRecordType::A, " 192.0.2.1x ", "192.0.2.1");
        row("txt as typed", DNSRecordType::TXT, "  \"v=spf1 -all\" ", "\"v=spf1 -all\"");
        row("mx cleaned, _ kept", DNSRecordType::MX, "mail_ser ver.example.com",
            "mail_server.example.com.");
    }

    void composeValue() {
        QFETCH(DNSRecordType, type);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QCOMPARE(RecordFormFields::composeValue(typed, type), saved);
    }

    void addFormSaves_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("ttl");      // typed; empty: as the form set it
        QTest::addColumn<QString>("priority"); // typed; empty: not touched
        QTest::addColumn<DNSRecord>("saved");
        const auto row = [](const char* tag, const char* name, DNSRecordType type,
                            const char* value, const char* ttl, const char* priority,
                            const DNSRecord& saved) {
            QTest::newRow(tag) << name << type << value << ttl << priority << saved;
        };
        const auto saved = [](const char* name, DNSRecordType type, const char* value, qint64 ttl,
                              std::optional<qint64> priority = {}) {
            DNSRecord made = record(name, type, value, priority);
            made.ttl = ttl;
            return made;
        };
        const auto a = DNSRecordType::A;
        row("empty name is apex", "", a, "192.0.2.1", "", "", saved("", a, "192.0.2.1", 86400));
        row("@ is apex", "@", a, "192.0.2.1", "", "", saved("", a, "192.0.2.1", 86400));
        row("ttl 0 saved as 0", "www", a, "192.0.2.1", "0", "", saved("www", a, "192.0.2.1", 0));
        row("ttl above the limit", "www", a, "192.0.2.1", "99999999999", "",
            saved("www", a, "192.0.2.1", 2147483647));
        row("mx gets dot", "@", DNSRecordType::MX, "mail.example.com", "", "5",
            saved("", DNSRecordType::MX, "mail.example.com.", 3600, 5));
        row("txt type ttl", "info", DNSRecordType::TXT, "\"v=DMARC1; p=none\"", "", "",
            saved("info", DNSRecordType::TXT, "\"v=DMARC1; p=none\"", 300));
    }

    void addFormSaves() {
        QFETCH(QString, name);
        QFETCH(DNSRecordType, type);
        QFETCH(QString, value);
        QFETCH(QString, ttl);
        QFETCH(QString, priority);
        QFETCH(DNSRecord, saved);
        const QPointer<AddRecordView> form = opened(new AddRecordView(m_manager.get(), m_zone));
        typeInto(child<QLineEdit>(form, u"nameField"_s), name);
        chooseType(form, type);
        typeInto(valueField(form), value);
        if (!ttl.isEmpty())
            typeInto(numberField(form, "ttlField"), ttl);
        if (!priority.isEmpty())
            typeInto(numberField(form, "priorityField"), priority);
        click(form, u"saveButton"_s);
        QTRY_VERIFY(!form);
        QTRY_COMPARE(edited().size(), 1); // once the file holds it
        saved.id = edited().first().id;
        QCOMPARE(stored(edited()), stored({saved}));
    }

    // A type change sets the type's TTL and keeps the priority where it still applies;
    // priority, weight and port show stand-ins (10, 5, 80) but hold nothing until typed.
    void typeChangeRules() {
        AddRecordView form(m_manager.get(), m_zone);
        form.show();
        RecordFormFields* fields = form.fields();
        QCOMPARE(fields->ttl(), 86400);
        QVERIFY(!shows(&form, "priorityGroup") && !shows(&form, "srvGroup"));
        chooseType(&form, DNSRecordType::SRV);
        QVERIFY(shows(&form, "priorityGroup") && shows(&form, "srvGroup"));
        QCOMPARE(fields->ttl(), 3600);
        QCOMPARE(numberField(&form, "priorityField")->text(), "10");
        QCOMPARE(numberField(&form, "weightField")->text(), "5");
        QCOMPARE(numberField(&form, "portField")->text(), "80");
        QCOMPARE(fields->priority(), std::nullopt);
        typeInto(numberField(&form, "portField"), u"5060"_s);
        QCOMPARE(fields->port(), 5060);
        typeInto(numberField(&form, "portField"), QString());
        QCOMPARE(fields->port(), std::nullopt);
        typeInto(numberField(&form, "priorityField"), u"20"_s);
        typeInto(numberField(&form, "weightField"), u"30"_s);
        typeInto(numberField(&form, "portField"), u"40"_s);
        chooseType(&form, DNSRecordType::MX);
        QCOMPARE(fields->priority(), 20);
        QCOMPARE(fields->weight(), std::nullopt);
        QCOMPARE(fields->port(), std::nullopt);
        QVERIFY(shows(&form, "priorityGroup") && !shows(&form, "srvGroup"));
        chooseType(&form, DNSRecordType::A);
        QCOMPARE(fields->priority(), std::nullopt);
        chooseType(&form, DNSRecordType::TXT);
        QCOMPARE(fields->ttl(), 300);
        chooseType(&form, DNSRecordType::CAA);
        QCOMPARE(fields->ttl(), 86400);
        // Handed over without weight and port, an SRV record is refused by the manager.
        chooseType(&form, DNSRecordType::SRV);
        QCOMPARE(numberField(&form, "priorityField")->text(), "10");
        typeInto(valueField(&form), u"sip.example.com"_s);
        click(&form, u"saveButton"_s);
        QVERIFY(edited().isEmpty());
        QTRY_COMPARE(
            logCount(*m_manager, u"  • SRV records require a weight value."_s, LogLevel::error), 1);
    }

    // Both forms: the quick TTL menu, and no save without a value.
    void quickTtlAndSaveNeedsAValue() {
        AddRecordView add(m_manager.get(), m_zone);
        EditRecordView edit(m_manager.get(), m_zone, record("www", DNSRecordType::A, "192.0.2.1"));
        for (RecordSheet* form : std::initializer_list<RecordSheet*>{&add, &edit}) {
            form->show();
            const QList<QAction*> actions =
                child<QPushButton>(form, u"quickTtlButton"_s)->menu()->actions();
            QStringList texts;
            for (QAction* action : actions) {
                texts.append(action->text());
                action->trigger();
                QCOMPARE(u"(%1)"_s.arg(form->fields()->ttl()), texts.last().section(u' ', -1));
            }
            QCOMPARE(texts, (QStringList{"5 minutes (300)", "1 hour (3600)", "24 hours (86400)",
                                         "1 week (604800)"}));
            typeInto(valueField(form), QString());
            QVERIFY(!form->saveButton()->isEnabled());
            typeInto(valueField(form), u"1"_s);
            QVERIFY(form->saveButton()->isEnabled());
            typeInto(valueField(form), QString());
            QVERIFY(!form->saveButton()->isEnabled());
            QTest::mouseClick(form->saveButton(), Qt::LeftButton);
            QVERIFY(form->isVisible());
        }
        QCOMPARE(add.saveButton()->text(), "Save Record");
        QCOMPARE(edit.saveButton()->text(), "Save Changes");
    }

    void formTextsForEveryType_data() {
        QTest::addColumn<DNSRecordType>("type");
        for (DNSRecordType type : allRecordTypes())
            QTest::newRow(qPrintable(rawValue(type))) << type;
    }

    // The texts and groups each type brings, in the add form and in the edit form.
    void formTextsForEveryType() {
        QFETCH(DNSRecordType, type);
        const bool priority = type == DNSRecordType::MX || type == DNSRecordType::SRV;
        const DNSRecord shown = record("host", type, valuePlaceholder(type),
                                       priority ? std::optional<qint64>(10) : std::nullopt);
        AddRecordView add(m_manager.get(), m_zone);
        EditRecordView edit(m_manager.get(), m_zone, shown);
        chooseType(&add, type);
        for (RecordSheet* form : std::initializer_list<RecordSheet*>{&add, &edit}) {
            const bool isEdit = form == &edit;
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            QCOMPARE(child<QComboBox>(form, u"typePicker"_s)->currentText(),
                     rawValue(type) + u" - "_s + displayName(type));
            QCOMPARE(labelText(form, "typeSummaryLabel"), summary(type));
            QCOMPARE(valueField(form)->placeholderText(), valuePlaceholder(type));
            QCOMPARE(labelText(form, "valueHelpLabel"), valueHelp(type));
            QCOMPARE(shows(form, "priorityGroup"), priority);
            QCOMPARE(shows(form, "srvGroup"), type == DNSRecordType::SRV);
            QCOMPARE(form->windowTitle(), isEdit ? "Edit DNS Record" : "Add DNS Record");
            QCOMPARE(labelText(form, "headerSubtitle"),
                     isEdit ? "Modify record in example.com"
                            : "Create a new DNS record for example.com");
            QCOMPARE(shows(form, "deleteRecordButton"), isEdit);
            QCOMPARE(form->width(), 700);
            if (type == DNSRecordType::SRV) {
                form->resize(700, form->preferredHeight()); // the whole form, for the eye
                QVERIFY(saveScreenshot(form, u"records"_s,
                                       isEdit ? u"edit-record"_s : u"add-record"_s));
            }
        }
    }

    // Saved in place, same id and position; the edit form's type change keeps the TTL.
    void editFormSavesInPlace() {
        DNSRecord mx = record("", DNSRecordType::MX, "mx1.example.com.", 20);
        mx.ttl = 7200;
        const DNSRecord first = record("www", DNSRecordType::A, "192.0.2.1");
        const DNSRecord last = record("ftp", DNSRecordType::A, "192.0.2.2");
        m_zone->setRecords(withNs({first, mx, last}));
        auto* made = new EditRecordView(m_manager.get(), m_zone, mx);
        QVERIFY(!made->isInitialized()); // loaded when shown
        const QPointer<EditRecordView> form = opened(made);
        QVERIFY(form->isInitialized());
        QCOMPARE(form->fields()->type(), DNSRecordType::MX);
        QCOMPARE(valueField(form)->text(), "mx1.example.com.");
        QCOMPARE(numberField(form, "priorityField")->text(), "20");
        chooseType(form, DNSRecordType::TXT);
        QCOMPARE(form->fields()->ttl(), 7200);
        chooseType(form, DNSRecordType::MX);
        typeInto(numberField(form, "priorityField"), u"30"_s);
        typeInto(valueField(form), u"mx2.example.com"_s);
        click(form, u"saveButton"_s);
        QTRY_VERIFY(!form);
        DNSRecord expected = mx;
        expected.value = u"mx2.example.com."_s;
        expected.priority = 30;
        QTRY_COMPARE(stored(edited()), stored({first, expected, last}));
    }

    // The forms have no flag or tag: an edited CAA loses them and the manager refuses it.
    void editDropsFieldsWithoutControls() {
        DNSRecord caa = record("", DNSRecordType::CAA, "ca.example.net");
        caa.flag = 128;
        caa.tag = u"issue"_s;
        m_zone->setRecords(withNs({caa}));
        EditRecordView form(m_manager.get(), m_zone, caa);
        form.show();
        typeInto(valueField(&form), u"other.example.net"_s);
        QCOMPARE(form.recordToSave().flag, std::nullopt);
        QCOMPARE(form.recordToSave().tag, std::nullopt);
        click(&form, u"saveButton"_s);
        QCOMPARE(edited().first().value, "ca.example.net");
        QTRY_COMPARE(
            logCount(*m_manager, u"  • CAA records require a flag value."_s, LogLevel::error), 1);
    }

    // "Delete Record" removes the record opened, whatever was typed; Cancel changes nothing.
    void deleteAndCancel() {
        const DNSRecord www = record("www", DNSRecordType::A, "192.0.2.1");
        const DNSRecord ftp = record("ftp", DNSRecordType::A, "192.0.2.2");
        m_zone->setRecords(withNs({www, ftp}));
        EditRecordView cancelled(m_manager.get(), m_zone, ftp);
        AddRecordView added(m_manager.get(), m_zone);
        for (RecordSheet* form : std::initializer_list<RecordSheet*>{&cancelled, &added}) {
            form->show();
            typeInto(valueField(form), u"192.0.2.50"_s);
            click(form, u"cancelButton"_s);
            QVERIFY(!form->isVisible());
        }
        QCOMPARE(stored(edited()), stored({www, ftp}));
        const QPointer<EditRecordView> form =
            opened(new EditRecordView(m_manager.get(), m_zone, www));
        typeInto(valueField(form), u"192.0.2.99"_s);
        QCOMPARE(child<QPushButton>(form, u"deleteRecordButton"_s)->text(), "Delete Record");
        click(form, u"deleteRecordButton"_s);
        QTRY_VERIFY(!form);
        QTRY_COMPARE(stored(edited()), stored({ftp}));
        QTRY_COMPARE(logCount(*m_manager,
                              u"🗑️ A record 'www' deleted from zone 'example.com'"_s,
                              LogLevel::info),
                     1);
    }
};

QTEST_MAIN(RecordScreensTest)
#include "tst_record_screens.moc"
