// The add and edit record forms, driven through the real widgets: what they
// save, the rules of a type change, the quick TTL menu, the shown defaults
// of priority, weight and port, and "Delete Record".

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "ScreenTestSupport.h"
#include "ui/AddRecordView.h"
#include "ui/EditRecordView.h"
#include "ui/IntegerField.h"
#include "ui/RecordFormFields.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QString labelText(const QWidget* parent, const char* name) {
    const auto* label = parent->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

void chooseType(QWidget* form, DNSRecordType type) {
    child<QComboBox>(form, QStringLiteral("typePicker"))
        ->setCurrentIndex(int(allRecordTypes().indexOf(type)));
}

IntegerField* numberField(QWidget* form, const char* name) {
    return child<IntegerField>(form, QLatin1String(name));
}

void clickSave(QDialog* form) {
    QTest::mouseClick(child<QPushButton>(form, QStringLiteral("saveButton")), Qt::LeftButton);
}

} // namespace

class RecordFormsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_manager = screenManager(m_dir.path(), ServerStatus::running);
    }

    void init() {
        m_zone = ZonePtr::create(QStringLiteral("example.com"),
                                 m_manager->zoneDirectory() + QStringLiteral("/db.example.com"));
        m_manager->setZones({m_zone});
    }

    void composeValue_data() {
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("mx host") << DNSRecordType::MX << "mail.example.com"
                                 << "mail.example.com.";
        QTest::newRow("cname address") << DNSRecordType::CNAME << "192.168.1.10"
                                       << "192.168.1.10";
        QTest::newRow("ns dotted") << DNSRecordType::NS << "ns1.example.com."
                                   << "ns1.example.com.";
        QTest::newRow("ptr trimmed") << DNSRecordType::PTR << "  host.example.com\n"
                                     << "host.example.com.";
        QTest::newRow("cname four labels") << DNSRecordType::CNAME << "a.b.c.d"
                                           << "a.b.c.d";
        QTest::newRow("cname empty labels") << DNSRecordType::CNAME << "a..b.c.d"
                                            << "a..b.c.d";
        QTest::newRow("cname five labels") << DNSRecordType::CNAME << "a.b.c.d.e"
                                           << "a.b.c.d.e.";
        QTest::newRow("srv address") << DNSRecordType::SRV << "192.168.1.10"
                                     << "192.168.1.10.";
        QTest::newRow("srv host") << DNSRecordType::SRV << "sip.example.com"
                                  << "sip.example.com.";
        QTest::newRow("empty stays empty") << DNSRecordType::MX << "   "
                                           << "";
        QTest::newRow("a cleaned") << DNSRecordType::A << " 192.0.2.1x "
                                   << "192.0.2.1";
        QTest::newRow("txt as typed") << DNSRecordType::TXT << "  \"v=spf1 -all\" "
                                      << "\"v=spf1 -all\"";
        QTest::newRow("mx cleaned") << DNSRecordType::MX << "mail_server.example.com"
                                    << "mailserver.example.com.";
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
        QTest::addColumn<QString>("ttl");      // typed; empty: left as the form set it
        QTest::addColumn<QString>("priority"); // typed; empty: not touched
        QTest::addColumn<QString>("savedName");
        QTest::addColumn<QString>("savedValue");
        QTest::addColumn<qint64>("savedTtl");
        QTest::addColumn<std::optional<qint64>>("savedPriority");
        const std::optional<qint64> none;
        QTest::newRow("empty name is apex") << "" << DNSRecordType::A << "192.0.2.1"
                                            << ""
                                            << ""
                                            << ""
                                            << "192.0.2.1" << qint64(86400) << none;
        QTest::newRow("@ is apex") << "@" << DNSRecordType::A << "192.0.2.1"
                                   << ""
                                   << ""
                                   << ""
                                   << "192.0.2.1" << qint64(86400) << none;
        QTest::newRow("ttl 0 saved as 1") << "www" << DNSRecordType::A << "192.0.2.1"
                                          << "0"
                                          << ""
                                          << "www"
                                          << "192.0.2.1" << qint64(1) << none;
        QTest::newRow("ttl above the limit") << "www" << DNSRecordType::A << "192.0.2.1"
                                             << "99999999999"
                                             << ""
                                             << "www"
                                             << "192.0.2.1" << qint64(2147483647) << none;
        QTest::newRow("mx gets dot")
            << "@" << DNSRecordType::MX << "mail.example.com"
            << ""
            << "5"
            << ""
            << "mail.example.com." << qint64(3600) << std::optional<qint64>(5);
        QTest::newRow("ns type ttl") << "sub" << DNSRecordType::NS << "ns1.example.com."
                                     << ""
                                     << ""
                                     << "sub"
                                     << "ns1.example.com." << qint64(86400) << none;
        QTest::newRow("txt type ttl") << "info" << DNSRecordType::TXT << "\"v=DMARC1; p=none\""
                                      << ""
                                      << ""
                                      << "info"
                                      << "\"v=DMARC1; p=none\"" << qint64(300) << none;
    }

    void addFormSaves() {
        QFETCH(QString, name);
        QFETCH(DNSRecordType, type);
        QFETCH(QString, value);
        QFETCH(QString, ttl);
        QFETCH(QString, priority);
        QFETCH(QString, savedName);
        QFETCH(QString, savedValue);
        QFETCH(qint64, savedTtl);
        QFETCH(std::optional<qint64>, savedPriority);
        QPointer<AddRecordView> form = new AddRecordView(m_manager.get(), m_zone);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        typeInto(child<QLineEdit>(form, QStringLiteral("nameField")), name);
        chooseType(form, type);
        typeInto(child<QLineEdit>(form, QStringLiteral("valueField")), value);
        if (!ttl.isEmpty())
            typeInto(numberField(form, "ttlField"), ttl);
        if (!priority.isEmpty())
            typeInto(numberField(form, "priorityField"), priority);
        clickSave(form);
        QTRY_VERIFY(!form);
        QCOMPARE(m_zone->records().size(), 1);
        const DNSRecord& saved = m_zone->records().first();
        QCOMPARE(saved.name, savedName);
        QCOMPARE(saved.type, type);
        QCOMPARE(saved.value, savedValue);
        QCOMPARE(saved.ttl, savedTtl);
        QCOMPARE(saved.priority, savedPriority);
        QVERIFY(!saved.weight && !saved.port && !saved.flag && !saved.tag && !saved.algorithm &&
                !saved.digestType && !saved.usage && !saved.selector);
    }

    void shownNumbersStayAbsent() {
        AddRecordView form(m_manager.get(), m_zone);
        form.show();
        chooseType(&form, DNSRecordType::SRV);
        // 10, 5 and 80 are shown but not held.
        QCOMPARE(numberField(&form, "priorityField")->text(), "10");
        QCOMPARE(numberField(&form, "weightField")->text(), "5");
        QCOMPARE(numberField(&form, "portField")->text(), "80");
        QCOMPARE(form.fields()->priority(), std::nullopt);
        typeInto(child<QLineEdit>(&form, QStringLiteral("valueField")),
                 QStringLiteral("sip.example.com"));
        clickSave(&form);
        // The record the form hands over has none of the three, so the
        // manager refuses it and says why.
        QVERIFY(m_zone->records().isEmpty());
        QTRY_COMPARE(logCount(*m_manager, QStringLiteral("  • SRV records require a weight value."),
                              LogLevel::error),
                     1);

        AddRecordView second(m_manager.get(), m_zone);
        second.show();
        chooseType(&second, DNSRecordType::SRV);
        typeInto(numberField(&second, "portField"), QStringLiteral("5060"));
        QCOMPARE(second.fields()->port(), 5060);
        QCOMPARE(second.fields()->weight(), std::nullopt);
        // Clearing a typed number makes it absent again.
        typeInto(numberField(&second, "portField"), QString());
        QCOMPARE(second.fields()->port(), std::nullopt);
    }

    void typeChangeRules() {
        AddRecordView form(m_manager.get(), m_zone);
        form.show();
        RecordFormFields* fields = form.fields();
        auto* priorityGroup = child<QGroupBox>(&form, QStringLiteral("priorityGroup"));
        auto* srvGroup = child<QGroupBox>(&form, QStringLiteral("srvGroup"));
        QCOMPARE(fields->ttl(), 86400);
        QVERIFY(!priorityGroup->isVisible() && !srvGroup->isVisible());
        chooseType(&form, DNSRecordType::SRV);
        QVERIFY(priorityGroup->isVisible() && srvGroup->isVisible());
        QCOMPARE(fields->ttl(), 3600);
        typeInto(numberField(&form, "priorityField"), QStringLiteral("20"));
        typeInto(numberField(&form, "weightField"), QStringLiteral("30"));
        typeInto(numberField(&form, "portField"), QStringLiteral("40"));
        chooseType(&form, DNSRecordType::MX);
        QCOMPARE(fields->priority(), 20);
        QCOMPARE(fields->weight(), std::nullopt);
        QCOMPARE(fields->port(), std::nullopt);
        QVERIFY(priorityGroup->isVisible() && !srvGroup->isVisible());
        chooseType(&form, DNSRecordType::A);
        QCOMPARE(fields->priority(), std::nullopt);
        QCOMPARE(fields->ttl(), 3600);
        chooseType(&form, DNSRecordType::TXT);
        QCOMPARE(fields->ttl(), 300);
        chooseType(&form, DNSRecordType::CAA);
        QCOMPARE(fields->ttl(), 86400);
        // Back to MX: the priority shows its stand-in again.
        chooseType(&form, DNSRecordType::MX);
        QCOMPARE(numberField(&form, "priorityField")->text(), "10");
        QCOMPARE(fields->priority(), std::nullopt);
    }

    void quickTtlMenu() {
        for (bool edit : {false, true}) {
            std::unique_ptr<RecordSheet> form;
            if (edit)
                form = std::make_unique<EditRecordView>(m_manager.get(), m_zone,
                                                        DNSRecord(QStringLiteral("www"),
                                                                  DNSRecordType::A,
                                                                  QStringLiteral("192.0.2.1"), 42));
            else
                form = std::make_unique<AddRecordView>(m_manager.get(), m_zone);
            form->show();
            auto* button = child<QPushButton>(form.get(), QStringLiteral("quickTtlButton"));
            QCOMPARE(button->text(), "Quick TTL");
            const QList<QAction*> actions = button->menu()->actions();
            QStringList texts;
            for (QAction* action : actions)
                texts.append(action->text());
            QCOMPARE(texts, (QStringList{"5 minutes (300)", "1 hour (3600)", "24 hours (86400)",
                                         "1 week (604800)"}));
            const QList<qint64> ttls{300, 3600, 86400, 604800};
            for (int i = 0; i < actions.size(); ++i) {
                actions[i]->trigger();
                QCOMPARE(form->fields()->ttl(), ttls[i]);
            }
        }
    }

    void saveNeedsAValue() {
        const DNSRecord existing(QStringLiteral("www"), DNSRecordType::A,
                                 QStringLiteral("192.0.2.1"), 3600);
        AddRecordView add(m_manager.get(), m_zone);
        EditRecordView edit(m_manager.get(), m_zone, existing);
        for (RecordSheet* form : std::initializer_list<RecordSheet*>{&add, &edit}) {
            form->show();
            auto* save = child<QPushButton>(form, QStringLiteral("saveButton"));
            auto* value = child<QLineEdit>(form, QStringLiteral("valueField"));
            typeInto(value, QString());
            QVERIFY(!save->isEnabled());
            typeInto(value, QStringLiteral("1"));
            QVERIFY(save->isEnabled());
            typeInto(value, QString());
            QVERIFY(!save->isEnabled());
            QTest::mouseClick(save, Qt::LeftButton);
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

    void formTextsForEveryType() {
        QFETCH(DNSRecordType, type);
        DNSRecord record(QStringLiteral("host"), type, valuePlaceholder(type), 3600);
        if (type == DNSRecordType::MX || type == DNSRecordType::SRV)
            record.priority = 10;
        if (type == DNSRecordType::SRV) {
            record.weight = 5;
            record.port = 5060;
        }
        AddRecordView add(m_manager.get(), m_zone);
        EditRecordView edit(m_manager.get(), m_zone, record);
        for (RecordSheet* form : std::initializer_list<RecordSheet*>{&add, &edit}) {
            const bool isEdit = form == &edit;
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            if (!isEdit)
                chooseType(form, type);
            auto* picker = child<QComboBox>(form, QStringLiteral("typePicker"));
            QCOMPARE(picker->count(), 12);
            QCOMPARE(picker->itemText(0), "A - IPv4 Address");
            QCOMPARE(picker->currentText(),
                     rawValue(type) + QStringLiteral(" - ") + displayName(type));
            QCOMPARE(labelText(form, "typeSummaryLabel"), summary(type));
            QCOMPARE(child<QLineEdit>(form, QStringLiteral("valueField"))->placeholderText(),
                     valuePlaceholder(type));
            QCOMPARE(labelText(form, "valueHelpLabel"), valueHelp(type));
            QCOMPARE(labelText(form, "nameHelpLabel"),
                     "Record name relative to example.com (@ for root domain)");
            QCOMPARE(child<QLineEdit>(form, QStringLiteral("nameField"))->placeholderText(),
                     "www (or leave empty for @)");
            QCOMPARE(labelText(form, "nameHeading"), "Record Name");
            QCOMPARE(labelText(form, "typeHeading"), "Record Type");
            QCOMPARE(labelText(form, "valueHeading"), "Value *");
            QCOMPARE(labelText(form, "ttlUnitLabel"), "seconds");
            const bool priority = type == DNSRecordType::MX || type == DNSRecordType::SRV;
            QCOMPARE(child<QGroupBox>(form, QStringLiteral("priorityGroup"))->isVisible(),
                     priority);
            QCOMPARE(child<QGroupBox>(form, QStringLiteral("srvGroup"))->isVisible(),
                     type == DNSRecordType::SRV);
            QCOMPARE(labelText(form, "priorityHelpLabel"),
                     "Lower values have higher priority (0-65535)");
            QCOMPARE(labelText(form, "weightHelpLabel"),
                     "Relative weight for records with same priority");
            QCOMPARE(labelText(form, "portHelpLabel"), "Target port number for the service");
            if (isEdit) {
                QCOMPARE(form->windowTitle(), "Edit DNS Record");
                QCOMPARE(labelText(form, "headerSubtitle"), "Modify record in example.com");
                QCOMPARE(child<QGroupBox>(form, QStringLiteral("recordGroup"))->title(),
                         "Record Information");
                QCOMPARE(child<QGroupBox>(form, QStringLiteral("ttlGroup"))->title(),
                         "TTL (Time To Live)");
                QCOMPARE(labelText(form, "ttlHelpLabel"),
                         "How long other servers should cache this record");
                QCOMPARE(child<QGroupBox>(form, QStringLiteral("priorityGroup"))->title(),
                         "Priority");
                QCOMPARE(child<QGroupBox>(form, QStringLiteral("srvGroup"))->title(),
                         "SRV Record Details");
                QCOMPARE(labelText(form, "dangerZoneTitle"), "Danger Zone");
                QCOMPARE(labelText(form, "deleteRecordText"), "Delete this DNS record");
                QCOMPARE(labelText(form, "deleteRecordCaption"), "This action cannot be undone");
            } else {
                QCOMPARE(form->windowTitle(), "Add DNS Record");
                QCOMPARE(labelText(form, "headerSubtitle"),
                         "Create a new DNS record for example.com");
                QCOMPARE(child<QGroupBox>(form, QStringLiteral("recordGroup"))->title(), QString());
                if (priority)
                    QCOMPARE(labelText(form, "priorityHeading"), "Priority Value");
            }
            QCOMPARE(form->width(), 700);
            QVERIFY(form->height() >= 500);
            // The whole form, for the eye (a small screen scrolls it).
            form->resize(700, form->preferredHeight());
            QVERIFY(saveScreenshot(
                form,
                QStringLiteral("record_form_%1_%2")
                    .arg(isEdit ? QStringLiteral("edit") : QStringLiteral("add"), rawValue(type))));
        }
    }

    void editFormSavesInPlace() {
        RecordOptions options;
        options.priority = 20;
        const DNSRecord mx(QString(), DNSRecordType::MX, QStringLiteral("mx1.example.com."), 7200,
                           options);
        const DNSRecord first(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.1"),
                              3600);
        const DNSRecord last(QStringLiteral("ftp"), DNSRecordType::A, QStringLiteral("192.0.2.2"),
                             3600);
        m_zone->setRecords({first, mx, last});

        QPointer<EditRecordView> form = new EditRecordView(m_manager.get(), m_zone, mx);
        form->setAttribute(Qt::WA_DeleteOnClose);
        QVERIFY(!form->isInitialized());
        form->open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(form->isInitialized());
        // Loaded from the record.
        QCOMPARE(child<QLineEdit>(form, QStringLiteral("nameField"))->text(), QString());
        QCOMPARE(form->fields()->type(), DNSRecordType::MX);
        QCOMPARE(child<QLineEdit>(form, QStringLiteral("valueField"))->text(), "mx1.example.com.");
        QCOMPARE(numberField(form, "priorityField")->text(), "20");
        QCOMPARE(form->fields()->ttl(), 7200);
        // The edit form's type change keeps the TTL.
        chooseType(form, DNSRecordType::TXT);
        QCOMPARE(form->fields()->ttl(), 7200);
        chooseType(form, DNSRecordType::MX);
        typeInto(numberField(form, "priorityField"), QStringLiteral("30"));
        typeInto(child<QLineEdit>(form, QStringLiteral("valueField")),
                 QStringLiteral("mx2.example.com"));
        clickSave(form);
        QTRY_VERIFY(!form);
        QCOMPARE(m_zone->records().size(), 3);
        const DNSRecord& saved = m_zone->records().at(1);
        QCOMPARE(saved.id, mx.id);
        QCOMPARE(saved.name, QString());
        QCOMPARE(saved.value, "mx2.example.com.");
        QCOMPARE(saved.priority, 30);
        QCOMPARE(saved.ttl, 7200);
        QCOMPARE(m_zone->records().first().id, first.id);
        QCOMPARE(m_zone->records().last().id, last.id);
    }

    void editDropsFieldsWithoutControls() {
        DNSRecord caa(QString(), DNSRecordType::CAA, QStringLiteral("ca.example.net"), 7200);
        caa.flag = 128;
        caa.tag = QStringLiteral("issue");
        m_zone->setRecords({caa});
        EditRecordView form(m_manager.get(), m_zone, caa);
        form.show();
        typeInto(child<QLineEdit>(&form, QStringLiteral("valueField")),
                 QStringLiteral("other.example.net"));
        const DNSRecord handed = form.recordToSave();
        QCOMPARE(handed.id, caa.id);
        QCOMPARE(handed.flag, std::nullopt);
        QCOMPARE(handed.tag, std::nullopt);
        // The forms have no flag or tag field, so the manager's validator
        // refuses the changed record and the zone keeps the old one.
        clickSave(&form);
        QCOMPARE(m_zone->records().first().value, "ca.example.net");
        QTRY_COMPARE(logCount(*m_manager, QStringLiteral("  • CAA records require a flag value."),
                              LogLevel::error),
                     1);
    }

    void deleteRecordAtOnce() {
        const DNSRecord www(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.1"),
                            3600);
        const DNSRecord ftp(QStringLiteral("ftp"), DNSRecordType::A, QStringLiteral("192.0.2.2"),
                            3600);
        m_zone->setRecords({www, ftp});
        QPointer<EditRecordView> form = new EditRecordView(m_manager.get(), m_zone, www);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->open();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // Edits made in the form do not matter: the record opened is deleted.
        typeInto(child<QLineEdit>(form, QStringLiteral("valueField")),
                 QStringLiteral("192.0.2.99"));
        auto* button = child<QPushButton>(form, QStringLiteral("deleteRecordButton"));
        QCOMPARE(button->text(), "Delete Record");
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(!form);
        QCOMPARE(m_zone->records().size(), 1);
        QCOMPARE(m_zone->records().first().id, ftp.id);
        QTRY_COMPARE(
            logCount(*m_manager,
                     QStringLiteral("🗑️ A record 'www' deleted from zone 'example.com'"),
                     LogLevel::info),
            1);
    }

    void cancelChangesNothing() {
        const DNSRecord www(QStringLiteral("www"), DNSRecordType::A, QStringLiteral("192.0.2.1"),
                            3600);
        m_zone->setRecords({www});
        EditRecordView edit(m_manager.get(), m_zone, www);
        edit.show();
        typeInto(child<QLineEdit>(&edit, QStringLiteral("valueField")),
                 QStringLiteral("192.0.2.50"));
        QTest::mouseClick(child<QPushButton>(&edit, QStringLiteral("cancelButton")),
                          Qt::LeftButton);
        QVERIFY(!edit.isVisible());
        AddRecordView add(m_manager.get(), m_zone);
        add.show();
        typeInto(child<QLineEdit>(&add, QStringLiteral("valueField")), QStringLiteral("192.0.2.7"));
        QTest::mouseClick(child<QPushButton>(&add, QStringLiteral("cancelButton")), Qt::LeftButton);
        QVERIFY(!add.isVisible());
        QCOMPARE(m_zone->records().size(), 1);
        QCOMPARE(m_zone->records().first().value, "192.0.2.1");
    }
};

QTEST_MAIN(RecordFormsTest)
#include "tst_record_forms.moc"
