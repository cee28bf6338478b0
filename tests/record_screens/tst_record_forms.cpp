// The add and edit record forms, driven through the real widgets: every type
// the picker offers with its own fields, the numbers shown saved as shown,
// the full target name and the record line shown as typed, the validator's
// messages before saving, the wait for the change (BIND's checker judges it)
// and a refusal shown at the top with everything typed kept, the delete
// confirmation, and a picture of each form.

#include <QComboBox>
#include <QJsonDocument>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "ScreenTestSupport.h"
#include "manager/ZoneRepository.h"
#include "model/RecordValidator.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/RecordFormFields.h"
#include "ui/widgets/IntegerField.h"
#include "ui/widgets/Palette.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::DNSRecord)

namespace {

// Records in their stored form, so that every field is compared.
QByteArrayList stored(const QList<DNSRecord>& records) {
    QByteArrayList texts;
    for (const DNSRecord& one : records)
        texts.append(QJsonDocument(one.toJson()).toJson(QJsonDocument::Compact));
    return texts;
}

void chooseType(QWidget* form, DNSRecordType type) {
    auto* picker = child<QComboBox>(form, u"typePicker"_s);
    picker->setCurrentIndex(picker->findText(RecordFormFields::typeLabel(type)));
}

IntegerField* numberField(QWidget* form, const char* name) {
    return child<IntegerField>(form, QLatin1String(name));
}

QLineEdit* valueField(QWidget* form) {
    return child<QLineEdit>(form, u"valueField"_s);
}

// Chooses the item of a picker whose number is `value`.
void pick(QWidget* form, const char* name, qint64 value) {
    auto* picker = child<QComboBox>(form, QLatin1String(name));
    picker->setCurrentIndex(picker->findData(value));
}

// Opens a form as the screens do: window-modal, deleted when closed.
template <typename Form> QPointer<Form> opened(Form* form) {
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->open();
    if (!QTest::qWaitForWindowExposed(form))
        qWarning("the form was not shown");
    return form;
}

QString hex(int digits) {
    return QString(digits, u'a').replace(1, 1, u'7');
}

// What a type's own fields hold when every number is the one the form shows.
RecordOptions shownOptions(DNSRecordType type) {
    return defaultRecordOptions(type);
}

} // namespace

class RecordFormsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;
    QList<DNSRecord> m_base; // the NS record and its address a new zone has

    // The zone's records: its base, then these.
    QList<DNSRecord> withBase(const QList<DNSRecord>& records) const { return m_base + records; }

    // Saves a form and waits for it to close; false (the form's error
    // reported) when it stayed open.
    template <typename Form> bool savedAndClosed(const QPointer<Form>& form) {
        click(form, u"saveButton"_s);
        if (QTest::qWaitFor([&] { return form.isNull(); }, 15000))
            return true;
        qWarning("the form stayed open: %s", qPrintable(form->errorText()));
        return false;
    }

private Q_SLOTS:
    void initTestCase() {
        m_manager = screenManager(m_dir.path(), ServerStatus::running);
        qRegisterMetaType<DNSRecord>();
    }

    void init() {
        // A zone as the new-zone form makes it, so that BIND's checker loads it.
        m_zone = ZoneRepository::newZone(u"example.com"_s,
                                         m_manager->zoneDirectory() + u"/db.example.com"_s, {}, {},
                                         2026010101, u"192.0.2.53"_s);
        m_base = m_zone->records();
        m_manager->setServerStatus(ServerStatus::running);
        m_manager->setZones({m_zone});
    }
    // A zone file check may still run: its scratch copy goes when it has answered.
    void cleanupTestCase() {
        QTRY_COMPARE(scratchCopiesBelow(m_manager->layout().temporaryDirectory), QStringList());
        settle();
    }

    void composeValue_data() {
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        const auto row = [](const char* tag, DNSRecordType type, const QString& typed,
                            const QString& saved) { QTest::newRow(tag) << type << typed << saved; };
        row("cname in the zone", DNSRecordType::CNAME, u"www"_s, u"www.example.com."_s);
        row("mx apex", DNSRecordType::MX, u"@"_s, u"example.com."_s);
        row("mx relative with dots", DNSRecordType::MX, u"mail.eu"_s, u"mail.eu.example.com."_s);
        row("ns absolute kept", DNSRecordType::NS, u"ns1.example.org."_s, u"ns1.example.org."_s);
        row("ptr trimmed", DNSRecordType::PTR, u"  host.example.org.\n"_s, u"host.example.org."_s);
        row("srv service label", DNSRecordType::SRV, u"_sip._tcp.host"_s,
            u"_sip._tcp.host.example.com."_s);
        row("empty stays empty", DNSRecordType::MX, u"   "_s, QString());
        row("a cleaned", DNSRecordType::A, u" 192.0.2.1x "_s, u"192.0.2.1"_s);
        row("txt long kept whole", DNSRecordType::TXT, QString(600, u'k'), QString(600, u'k'));
        row("sshfp colons dropped", DNSRecordType::SSHFP, u"aa:bb cc"_s, u"aabbcc"_s);
    }

    void composeValue() {
        QFETCH(DNSRecordType, type);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QCOMPARE(RecordFormFields::composeValue(typed, type, u"example.com"_s), saved);
    }

    // The picker offers every type but SOA, in the table's order.
    void pickerOffersEditableTypes() {
        AddRecordView form(m_manager.get(), m_zone);
        auto* picker = child<QComboBox>(&form, u"typePicker"_s);
        QStringList offered;
        for (int index = 0; index < picker->count(); ++index)
            offered.append(picker->itemText(index).section(u' ', 0, 0));
        QStringList expected;
        for (DNSRecordType type : editableRecordTypes())
            expected.append(rawValue(type));
        QCOMPARE(offered, expected);
        QVERIFY(!offered.contains(u"SOA"_s));
        QCOMPARE(offered.size(), 11);
    }

    void typeFieldsAndShownNumbers_data() {
        QTest::addColumn<DNSRecordType>("type");
        for (DNSRecordType type : editableRecordTypes())
            QTest::newRow(qPrintable(rawValue(type))) << type;
    }

    // Each type shows its own groups with its numbers as real values; a
    // picture of the forms with extra fields.
    void typeFieldsAndShownNumbers() {
        QFETCH(DNSRecordType, type);
        const QPointer<AddRecordView> form = opened(new AddRecordView(m_manager.get(), m_zone));
        chooseType(form, type);
        const bool priority = type == DNSRecordType::MX || type == DNSRecordType::SRV;
        QCOMPARE(shows(form, "priorityGroup"), priority);
        QCOMPARE(shows(form, "srvGroup"), type == DNSRecordType::SRV);
        QCOMPARE(shows(form, "caaGroup"), type == DNSRecordType::CAA);
        QCOMPARE(shows(form, "sshfpGroup"), type == DNSRecordType::SSHFP);
        QCOMPARE(shows(form, "tlsaGroup"), type == DNSRecordType::TLSA);
        QCOMPARE(labelText(form, "typeSummaryLabel"), summary(type));
        QCOMPARE(valueField(form)->placeholderText(), valuePlaceholder(type));
        const RecordOptions shown = form->fields()->options();
        const RecordOptions defaults = defaultRecordOptions(type);
        QCOMPARE(shown.priority, defaults.priority);
        QCOMPARE(shown.weight, defaults.weight);
        QCOMPARE(shown.port, defaults.port);
        QCOMPARE(shown.flag, defaults.flag);
        QCOMPARE(shown.tag, defaults.tag);
        QCOMPARE(shown.algorithm, defaults.algorithm);
        QCOMPARE(shown.digestType, defaults.digestType);
        QCOMPARE(shown.usage, defaults.usage);
        QCOMPARE(shown.selector, defaults.selector);
        if (priority) // the text in the field, not a stand-in
            QCOMPARE(numberField(form, "priorityField")->text(),
                     QString::number(*defaults.priority));
        if (type == DNSRecordType::SRV)
            QCOMPARE(numberField(form, "portField")->text(), QString::number(*defaults.port));
        if (priority || type == DNSRecordType::CAA || type == DNSRecordType::SSHFP ||
            type == DNSRecordType::TLSA) {
            typeInto(valueField(form), valuePlaceholder(type));
            form->resize(700, form->preferredHeight());
            QVERIFY(saveScreenshot(form, u"records"_s, u"add-"_s + rawValue(type).toLower()));
        }
        form->close();
    }

    void savesAsShown_data() {
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("typed"); // the own fields changed from what was shown
        QTest::addColumn<DNSRecord>("saved");
        const auto row = [](const char* tag, DNSRecordType type, const QString& value, bool typed,
                            const QString& savedValue, RecordOptions options) {
            DNSRecord saved(u"host"_s, type, savedValue, RecordFormFields::ttlForType(type),
                            options);
            saved.value = savedValue;
            QTest::newRow(tag) << type << value << typed << saved;
        };
        row("mx as shown", DNSRecordType::MX, u"mail"_s, false, u"mail.example.com."_s,
            shownOptions(DNSRecordType::MX));
        row("srv as shown", DNSRecordType::SRV, u"sip"_s, false, u"sip.example.com."_s,
            shownOptions(DNSRecordType::SRV));
        row("caa as shown", DNSRecordType::CAA, u"letsencrypt.org"_s, false, u"letsencrypt.org"_s,
            shownOptions(DNSRecordType::CAA));
        row("sshfp as shown", DNSRecordType::SSHFP, hex(64), false, hex(64),
            shownOptions(DNSRecordType::SSHFP));
        row("tlsa as shown", DNSRecordType::TLSA, hex(64), false, hex(64),
            shownOptions(DNSRecordType::TLSA));
        RecordOptions caa;
        caa.flag = 128;
        caa.tag = u"iodef"_s;
        row("caa typed", DNSRecordType::CAA, u"mailto:security@example.com"_s, true,
            u"mailto:security@example.com"_s, caa);
        RecordOptions sshfp;
        sshfp.algorithm = 1;
        sshfp.digestType = 1;
        row("sshfp typed", DNSRecordType::SSHFP, hex(40), true, hex(40), sshfp);
        RecordOptions tlsa;
        tlsa.usage = 2;
        tlsa.selector = 0;
        tlsa.digestType = 2;
        row("tlsa typed", DNSRecordType::TLSA, hex(128), true, hex(128), tlsa);
        RecordOptions srv;
        srv.priority = 0;
        srv.weight = 0;
        srv.port = 5060;
        row("srv typed", DNSRecordType::SRV, u"sip.example.org."_s, true, u"sip.example.org."_s,
            srv);
    }

    // Saved through the manager (BIND's checker included): the numbers as
    // shown, or as typed and picked.
    void savesAsShown() {
        QFETCH(DNSRecordType, type);
        QFETCH(QString, value);
        QFETCH(bool, typed);
        QFETCH(DNSRecord, saved);
        const QPointer<AddRecordView> form = opened(new AddRecordView(m_manager.get(), m_zone));
        typeInto(child<QLineEdit>(form, u"nameField"_s), u"host"_s);
        chooseType(form, type);
        typeInto(valueField(form), value);
        if (typed) {
            switch (type) {
            case DNSRecordType::CAA:
                typeInto(numberField(form, "flagField"), QString::number(*saved.flag));
                child<QComboBox>(form, u"tagPicker"_s)->setCurrentText(*saved.tag);
                break;
            case DNSRecordType::SSHFP:
                pick(form, "algorithmPicker", *saved.algorithm);
                pick(form, "fingerprintTypePicker", *saved.digestType);
                break;
            case DNSRecordType::TLSA:
                pick(form, "usagePicker", *saved.usage);
                pick(form, "selectorPicker", *saved.selector);
                pick(form, "matchingTypePicker", *saved.digestType);
                break;
            default:
                typeInto(numberField(form, "priorityField"), QString::number(*saved.priority));
                typeInto(numberField(form, "weightField"), QString::number(*saved.weight));
                typeInto(numberField(form, "portField"), QString::number(*saved.port));
                break;
            }
        }
        QVERIFY(savedAndClosed(form));
        QCOMPARE(m_zone->records().size(), m_base.size() + 1);
        saved.id = m_zone->records().last().id;
        QCOMPARE(stored(m_zone->records()), stored(withBase({saved})));
    }

    void previewAsTyped_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("target"); // empty: no full-name line
        QTest::addColumn<QString>("line");
        const auto row = [](const char* tag, const QString& name, DNSRecordType type,
                            const QString& value, const QString& target, const QString& line) {
            QTest::newRow(tag) << name << type << value << target << line;
        };
        row("cname", u"ftp"_s, DNSRecordType::CNAME, u"www"_s, u"www.example.com."_s,
            u"ftp.example.com. 3600 IN CNAME www.example.com."_s);
        row("mx apex", QString(), DNSRecordType::MX, u"@"_s, u"example.com."_s,
            u"example.com. 3600 IN MX 10 example.com."_s);
        row("ns absolute", u"sub"_s, DNSRecordType::NS, u"ns.example.org."_s, u"ns.example.org."_s,
            u"sub.example.com. 86400 IN NS ns.example.org."_s);
        row("srv", u"_sip._tcp"_s, DNSRecordType::SRV, u"sip"_s, u"sip.example.com."_s,
            u"_sip._tcp.example.com. 3600 IN SRV 10 5 80 sip.example.com."_s);
        row("a has no target", u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, QString(),
            u"www.example.com. 86400 IN A 192.0.2.1"_s);
        row("caa", QString(), DNSRecordType::CAA, u"letsencrypt.org"_s, QString(),
            u"example.com. 86400 IN CAA 0 issue \"letsencrypt.org\""_s);
        const QString longText = QString(255, u'a') + QString(45, u'b');
        row("txt over 255 bytes", u"k"_s, DNSRecordType::TXT, longText, QString(),
            u"k.example.com. 300 IN TXT \""_s + QString(255, u'a') + u"\" \""_s +
                QString(45, u'b') + u'"');
    }

    // Under the value the full name, under the fields the record line, both
    // as the user types.
    void previewAsTyped() {
        QFETCH(QString, name);
        QFETCH(DNSRecordType, type);
        QFETCH(QString, value);
        QFETCH(QString, target);
        QFETCH(QString, line);
        const QPointer<AddRecordView> form = opened(new AddRecordView(m_manager.get(), m_zone));
        typeInto(child<QLineEdit>(form, u"nameField"_s), name);
        chooseType(form, type);
        typeInto(valueField(form), value);
        QCOMPARE(shows(form, "targetPreviewLabel"), !target.isEmpty());
        if (!target.isEmpty())
            QCOMPARE(labelText(form, "targetPreviewLabel"), target);
        QCOMPARE(labelText(form, "recordPreviewLabel"), line);
        QVERIFY(!shows(form, "validationLabel"));
        form->close();
    }

    // The validator's messages show as the user types, before any save.
    void validatorMessagesBeforeSaving() {
        const QPointer<AddRecordView> form = opened(new AddRecordView(m_manager.get(), m_zone));
        typeInto(valueField(form), u"300.1.2.3"_s);
        QVERIFY(shows(form, "validationLabel"));
        DNSRecord wrong(u"@"_s, DNSRecordType::A, u"300.1.2.3"_s, 3600);
        QCOMPARE(labelText(form, "validationLabel"),
                 validateRecord(wrong, u"example.com"_s).errors.join(u'\n'));
        typeInto(valueField(form), u"192.0.2.3"_s);
        QVERIFY(!shows(form, "validationLabel"));
        form->close();
    }

    void refusedSaveStaysOpen_data() {
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reason"); // part of the message shown
        QTest::newRow("validator")
            << DNSRecordType::A << u"300.1.2.3"_s << u"Invalid IPv4 address"_s;
        QTest::newRow("BIND's checker")
            << DNSRecordType::CNAME << u"elsewhere.example.org."_s << u"CNAME and other data"_s;
    }

    // A refused save: "Saving…" while it runs, then the reason at the top in
    // the error colour, everything typed still there, the zone unchanged.
    void refusedSaveStaysOpen() {
        QFETCH(DNSRecordType, type);
        QFETCH(QString, value);
        QFETCH(QString, reason);
        const DNSRecord www(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600);
        m_zone->setRecords(withBase({www}));
        const QPointer<AddRecordView> form = opened(new AddRecordView(m_manager.get(), m_zone));
        typeInto(child<QLineEdit>(form, u"nameField"_s), u"www"_s);
        chooseType(form, type);
        typeInto(valueField(form), value);
        typeInto(numberField(form, "ttlField"), u"1234"_s);
        QVERIFY(!shows(form, "formErrorLabel"));
        click(form, u"saveButton"_s);
        QVERIFY(form);
        QCOMPARE(form->saveButton()->text(), "Saving…");
        QVERIFY(!form->saveButton()->isEnabled());
        QVERIFY(form->pendingChange() != 0);
        QTRY_VERIFY_WITH_TIMEOUT(!form || form->pendingChange() == 0, 15000);
        QVERIFY2(form && form->isVisible(), "the refused form closed");
        QVERIFY(shows(form, "formErrorLabel"));
        QVERIFY2(labelText(form, "formErrorLabel").contains(reason),
                 qPrintable(labelText(form, "formErrorLabel")));
        auto* error = child<QLabel>(form, u"formErrorLabel"_s);
        QCOMPARE(error->palette().color(QPalette::WindowText), namedColor(NamedColor::red));
        // Above the fields.
        QVERIFY(error->mapTo(form, QPoint()).y() <
                child<QWidget>(form, u"recordFormFields"_s)->mapTo(form, QPoint()).y());
        QCOMPARE(child<QLineEdit>(form, u"nameField"_s)->text(), "www");
        QCOMPARE(valueField(form)->text(), value);
        QCOMPARE(form->fields()->type(), type);
        QCOMPARE(form->fields()->ttl(), 1234);
        QCOMPARE(form->saveButton()->text(), "Save Record");
        QVERIFY(form->saveButton()->isEnabled());
        QCOMPARE(stored(m_zone->records()), stored(withBase({www})));
        if (type == DNSRecordType::CNAME) {
            // BIND's words name the zone's file, not the scratch copy it judged.
            QVERIFY(labelText(form, "formErrorLabel").contains(u"db.example.com:"_s));
            QVERIFY(!labelText(form, "formErrorLabel").contains(u".tmp."_s));
            form->resize(700, form->preferredHeight());
            QVERIFY(saveScreenshot(form, u"records"_s, u"add-record-refused"_s));
        }
        form->close();
    }

    // Changes between types keep what both use and show the new type's numbers.
    void typeChangeRules() {
        AddRecordView form(m_manager.get(), m_zone);
        form.show();
        RecordFormFields* fields = form.fields();
        QCOMPARE(fields->ttl(), 86400);
        chooseType(&form, DNSRecordType::MX);
        QCOMPARE(fields->ttl(), 3600);
        typeInto(numberField(&form, "priorityField"), u"20"_s);
        chooseType(&form, DNSRecordType::SRV);
        QCOMPARE(fields->options().priority, 20);
        QCOMPARE(fields->options().weight, 5);
        QCOMPARE(fields->options().port, 80);
        // A number cleared shows and saves the number it had.
        typeInto(numberField(&form, "portField"), QString());
        QCOMPARE(fields->options().port, 80);
        chooseType(&form, DNSRecordType::A);
        QCOMPARE(fields->options().priority, std::nullopt);
        chooseType(&form, DNSRecordType::TXT);
        QCOMPARE(fields->ttl(), 300);
        chooseType(&form, DNSRecordType::CAA);
        QCOMPARE(fields->ttl(), 86400);
        QCOMPARE(fields->options().tag, u"issue"_s);
    }

    // Both forms: the quick TTL menu, and no save without a value.
    void quickTtlAndSaveNeedsAValue() {
        AddRecordView add(m_manager.get(), m_zone);
        EditRecordView edit(m_manager.get(), m_zone,
                            DNSRecord(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600));
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
            QTest::mouseClick(form->saveButton(), Qt::LeftButton);
            QVERIFY(form->isVisible());
            QCOMPARE(form->pendingChange(), ChangeId(0));
        }
        QCOMPARE(add.saveButton()->text(), "Save Record");
        QCOMPARE(edit.saveButton()->text(), "Save Changes");
    }

    // Saved in place, same id and position, the CAA's flag and tag kept.
    void editFormSavesInPlace() {
        DNSRecord caa(QString(), DNSRecordType::CAA, u"ca.example.net"_s, 7200);
        caa.flag = 128;
        caa.tag = u"issuewild"_s;
        const DNSRecord first(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600);
        const DNSRecord last(u"ftp"_s, DNSRecordType::A, u"192.0.2.2"_s, 3600);
        m_zone->setRecords(withBase({first, caa, last}));
        auto* made = new EditRecordView(m_manager.get(), m_zone, caa);
        QVERIFY(!made->isInitialized()); // loaded when shown
        const QPointer<EditRecordView> form = opened(made);
        QVERIFY(form->isInitialized());
        QCOMPARE(form->fields()->type(), DNSRecordType::CAA);
        QCOMPARE(numberField(form, "flagField")->text(), "128");
        QCOMPARE(child<QComboBox>(form, u"tagPicker"_s)->currentText(), "issuewild");
        form->resize(700, form->preferredHeight());
        QVERIFY(saveScreenshot(form, u"records"_s, u"edit-record-caa"_s));
        typeInto(valueField(form), u"other.example.net"_s);
        QVERIFY(savedAndClosed(form));
        DNSRecord expected = caa;
        expected.value = u"other.example.net"_s;
        QCOMPARE(stored(m_zone->records()), stored(withBase({first, expected, last})));
    }

    // "Delete Record" asks first, naming the record; Cancel keeps it; "Delete"
    // waits for the deletion, then closes the form.
    void deleteAsksFirst() {
        const DNSRecord www(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600);
        const DNSRecord ftp(u"ftp"_s, DNSRecordType::A, u"192.0.2.2"_s, 3600);
        m_zone->setRecords(withBase({www, ftp}));
        const QPointer<EditRecordView> form =
            opened(new EditRecordView(m_manager.get(), m_zone, www));
        typeInto(valueField(form), u"192.0.2.99"_s);
        click(form, u"deleteRecordButton"_s);
        QPointer<QMessageBox> confirmation = form->deleteConfirmation();
        QVERIFY(confirmation);
        QCOMPARE(confirmation->text(), "Are you sure you want to delete the A record 'www' "
                                       "(192.0.2.1)? This action cannot be undone.");
        QVERIFY(saveScreenshot(confirmation, u"records"_s, u"delete-record-confirmation"_s));
        click(confirmation, u"cancelDeleteButton"_s);
        QTRY_VERIFY(confirmation.isNull());
        QVERIFY(form->isVisible());
        QCOMPARE(stored(m_zone->records()), stored(withBase({www, ftp})));

        click(form, u"deleteRecordButton"_s);
        confirmation = form->deleteConfirmation();
        QVERIFY(confirmation);
        click(confirmation, u"confirmDeleteButton"_s);
        QVERIFY(form);
        QCOMPARE(child<QPushButton>(form, u"deleteRecordButton"_s)->text(), "Deleting…");
        QVERIFY(!child<QPushButton>(form, u"deleteRecordButton"_s)->isEnabled());
        QVERIFY(!form->saveButton()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form.isNull(), 15000);
        QCOMPARE(stored(m_zone->records()), stored(withBase({ftp})));
    }

    // Cancel closes either form and changes nothing.
    void cancelChangesNothing() {
        const DNSRecord www(u"www"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600);
        m_zone->setRecords(withBase({www}));
        EditRecordView edit(m_manager.get(), m_zone, www);
        AddRecordView add(m_manager.get(), m_zone);
        for (RecordSheet* form : std::initializer_list<RecordSheet*>{&edit, &add}) {
            form->show();
            typeInto(valueField(form), u"192.0.2.50"_s);
            click(form, u"cancelButton"_s);
            QVERIFY(!form->isVisible());
        }
        settle();
        QCOMPARE(stored(m_zone->records()), stored(withBase({www})));
    }
};

QTEST_MAIN(RecordFormsTest)
#include "tst_record_forms.moc"
