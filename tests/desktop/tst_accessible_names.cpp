// Every control a user can reach has a name that assistive technology reads
// out: its own text, the label that belongs to it, or a name set for it.
// Each section's screen in the main window and the dialogs that open from
// them are walked; every unnamed control is reported by its place.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolBar>
#include <QtTest>

#include "ScreenTestSupport.h"
#include "model/BindConfigReader.h"
#include "ui/AboutWindowController.h"
#include "ui/SidebarView.h"
#include "ui/WindowActions.h"
#include "ui/apply/ApplyChangesDialog.h"
#include "ui/configuration/AdoptZoneDialog.h"
#include "ui/dnssec/ZoneDnssecDialog.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/EditRecordView.h"
#include "ui/records/PtrQuestionDialog.h"
#include "ui/replication/AddSecondaryZoneDialog.h"
#include "ui/replication/ReplicationDialog.h"
#include "ui/replication/SecondarySetupDialog.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ImportZoneView.h"
#include "ui/zones/ZoneSOAView.h"

using namespace korvi;
using namespace korvi::test;
using namespace Qt::StringLiterals;

namespace {

// Parts that Qt builds inside its own controls and names itself, or that
// belong to a control already named: the editor of a spin box or combo box,
// a combo box's popup list, the clear button of a line edit, scroll bars.
bool isPartOfAnotherControl(const QWidget* widget) {
    if (widget->objectName().startsWith(u"qt_"_s))
        return true;
    const QWidget* parent = widget->parentWidget();
    if (qobject_cast<const QLineEdit*>(widget) &&
        (qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QComboBox*>(parent)))
        return true;
    if (qobject_cast<const QLineEdit*>(parent))
        return true;
    // Headers and the corner button of a table: the table names its columns.
    if (qobject_cast<const QAbstractItemView*>(parent))
        return true;
    if (qobject_cast<const QScrollBar*>(widget))
        return true;
    for (const QWidget* up = parent; up; up = up->parentWidget()) {
        if (qobject_cast<const QComboBox*>(up))
            return true;
    }
    return false;
}

bool isControl(const QWidget* widget) {
    if (isPartOfAnotherControl(widget))
        return false;
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget);
}

// "QPushButton 'name' in parentName/grandParentName".
QString placeOf(const QWidget* widget) {
    QStringList chain;
    for (const QWidget* up = widget->parentWidget(); up && chain.size() < 4;
         up = up->parentWidget()) {
        if (!up->objectName().isEmpty())
            chain.append(up->objectName());
    }
    return u"%1 '%2' in %3"_s.arg(QLatin1String(widget->metaObject()->className()),
                                  widget->objectName(), chain.join(u'/'));
}

// Every control below root (root included) that has no accessible name.
QStringList unnamedControls(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    QStringList unnamed;
    for (QWidget* widget : std::as_const(widgets)) {
        if (!isControl(widget))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(placeOf(widget));
    }
    return unnamed;
}

DNSRecord record(const QString& name, DNSRecordType type, const QString& value) {
    return DNSRecord(name, type, value, 3600);
}

ZonePtr sampleZone(const QString& directory) {
    auto zone = ZonePtr::create(u"example.com"_s, directory + u"/db.example.com"_s);
    zone->setRecords({record(u""_s, DNSRecordType::NS, u"ns1.example.com."_s),
                      record(u"ns1"_s, DNSRecordType::A, u"192.0.2.1"_s),
                      record(u"www"_s, DNSRecordType::A, u"192.0.2.10"_s)});
    return zone;
}

enum class Dialog {
    addZone,
    zoneSOA,
    addRecord,
    editRecord,
    addSecondaryZone,
    replication,
    secondarySetup,
    applyChanges,
    adoptZone,
    shortcuts,
    about,
    importZone,
    dnssec,
    ptrQuestion
};

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

    // The offending controls, one per line, so that the failure names them all.
    static void expectAllNamed(QWidget* root) {
        const QStringList unnamed = unnamedControls(root);
        if (!unnamed.isEmpty())
            QFAIL(qPrintable(u"controls without an accessible name:\n  "_s +
                             unnamed.join(u"\n  "_s)));
    }

private Q_SLOTS:
    // The walk finds an unnamed control and accepts a named one, so that a
    // clean result means something.
    void walkerTellsNamedFromUnnamed() {
        QWidget root;
        auto* field = new QLineEdit(&root);
        field->setObjectName(u"probeField"_s);
        QCOMPARE(unnamedControls(&root).size(), 1);
        QVERIFY(unnamedControls(&root).first().contains(u"probeField"_s));
        field->setAccessibleName(u"Probe"_s);
        QCOMPARE(unnamedControls(&root), QStringList());
    }

    void sectionsNameEveryControl_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<bool>("running");
        const QList<SidebarView::SectionEntry>& sections = SidebarView::sections();
        for (int i = 0; i < sections.size(); ++i) {
            for (bool running : {false, true}) {
                QTest::newRow(
                    qPrintable(sections.at(i).title + (running ? u" running"_s : u" stopped"_s)))
                    << i << running;
            }
        }
    }

    // The whole window (sidebar, toolbar, menu bar and the section's screen).
    void sectionsNameEveryControl() {
        QFETCH(int, section);
        QFETCH(bool, running);
        WindowHost host;
        QVERIFY(host.isReady());
        host.manager()->setServerStatus(running ? ServerStatus::running : ServerStatus::stopped);
        host.manager()->setZones({sampleZone(host.manager()->zoneDirectory())});
        host.window()->setSelectedSection(Section(section));
        if (auto* records = qobject_cast<DNSRecordView*>(host.window()->currentScreen()))
            records->selectZone(host.manager()->zones().first()->id());
        QCOMPARE(int(host.window()->selectedSection()), section);
        saveScreenshot(host.window(), u"desktop"_s,
                       u"names-%1-%2"_s.arg(section).arg(running ? u"running"_s : u"stopped"_s));
        expectAllNamed(host.window());
    }

    void dialogsNameEveryControl_data() {
        QTest::addColumn<Dialog>("dialog");
        QTest::newRow("add zone") << Dialog::addZone;
        QTest::newRow("zone SOA") << Dialog::zoneSOA;
        QTest::newRow("add record") << Dialog::addRecord;
        QTest::newRow("edit record") << Dialog::editRecord;
        QTest::newRow("add secondary zone") << Dialog::addSecondaryZone;
        QTest::newRow("replication") << Dialog::replication;
        QTest::newRow("secondary setup") << Dialog::secondarySetup;
        QTest::newRow("apply changes") << Dialog::applyChanges;
        QTest::newRow("adopt zone") << Dialog::adoptZone;
        QTest::newRow("keyboard shortcuts") << Dialog::shortcuts;
        QTest::newRow("about") << Dialog::about;
        QTest::newRow("import zone") << Dialog::importZone;
        QTest::newRow("DNSSEC") << Dialog::dnssec;
        QTest::newRow("PTR question") << Dialog::ptrQuestion;
    }

    void dialogsNameEveryControl() {
        QFETCH(Dialog, dialog);
        WindowHost host;
        QVERIFY(host.isReady());
        DNSServerManager* manager = host.manager();
        manager->setServerStatus(ServerStatus::running);
        const ZonePtr zone = sampleZone(manager->zoneDirectory());
        manager->setZones({zone});
        QWidget* parent = host.window();
        std::unique_ptr<QWidget> owned;
        QWidget* shown = nullptr;
        switch (dialog) {
        case Dialog::addZone:
            owned = std::make_unique<AddZoneView>(manager, parent);
            break;
        case Dialog::zoneSOA:
            owned = std::make_unique<ZoneSOAView>(manager, zone, parent);
            break;
        case Dialog::addRecord:
            owned = std::make_unique<AddRecordView>(manager, zone, parent);
            break;
        case Dialog::editRecord:
            owned = std::make_unique<EditRecordView>(manager, zone, zone->records().at(1), parent);
            break;
        case Dialog::addSecondaryZone:
            owned = std::make_unique<AddSecondaryZoneDialog>(manager, parent);
            break;
        case Dialog::replication:
            owned = std::make_unique<ReplicationDialog>(manager->replication(), parent);
            break;
        case Dialog::secondarySetup:
            owned = std::make_unique<SecondarySetupDialog>(manager->replication(),
                                                           u"ns2.example.net"_s, parent);
            break;
        case Dialog::applyChanges:
            owned = std::make_unique<ApplyChangesDialog>(manager->zoneRepository(), parent);
            break;
        case Dialog::adoptZone: {
            ConfiguredZone configured;
            configured.name = u"example.org"_s;
            configured.zoneClass = u"IN"_s;
            configured.type = ConfiguredZoneType::primary;
            configured.file = u"/etc/bind/db.example.org"_s;
            owned = std::make_unique<AdoptZoneDialog>(configured, manager->layout(), parent);
            break;
        }
        case Dialog::shortcuts:
            host.window()->windowActions()->shortcutsAction()->trigger();
            shown = host.window()->windowActions()->shortcutsDialog();
            break;
        case Dialog::about:
            AboutWindowController::shared()->showWindow();
            shown = AboutWindowController::shared()->window();
            break;
        case Dialog::importZone:
            owned = std::make_unique<ImportZoneView>(manager, parent);
            break;
        case Dialog::dnssec:
            owned = std::make_unique<ZoneDnssecDialog>(manager, zone->name(), parent);
            break;
        case Dialog::ptrQuestion:
            owned = std::make_unique<PtrQuestionDialog>(
                PtrProposal{u"192.0.2.10"_s, u"www.example.com."_s, u"2.0.192.in-addr.arpa"_s,
                            u"10"_s, u"example.com"_s},
                parent);
            break;
        }
        if (owned) {
            owned->show();
            shown = owned.get();
        }
        QVERIFY(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        saveScreenshot(shown, u"desktop"_s,
                       u"names-dialog-"_s +
                           QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
        expectAllNamed(shown);
        if (dialog == Dialog::about)
            shown->close();
    }
};

QTEST_MAIN(AccessibleNamesTest)
#include "tst_accessible_names.moc"
