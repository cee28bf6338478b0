// The Secondaries screen in the main window: empty without secondaries, then one row per
// (secondary, zone) against real servers of the test's own: one serving the primary's serial,
// one an earlier serial, one port where nothing listens. "Refresh" asks again; the selected
// row's reason shows below the table. Below it, a secondary zone is added through its form (a
// bad address refused in the form, a duplicate too), kept, shown read-only and removed.
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableView>

#include "ScreenTestSupport.h"
#include "TestNamed.h"
#include "manager/ReplicationHealth.h"
#include "manager/SecondaryZoneCopy.h"
#include "ui/replication/AddSecondaryZoneDialog.h"
#include "ui/replication/SecondariesView.h"
#include "ui/replication/SecondaryHealthModel.h"
#include "ui/replication/SecondaryZonesSection.h"
#include "ui/zones/SecondaryZoneView.h"

#include <QListWidget>
#include <QSpinBox>

using namespace korvi;
using namespace korvi::test;

namespace {

const QString zone = QStringLiteral("example.test");
constexpr quint32 serial = 2026120605;

QString cell(QTableView* table, int row, int column) {
    return table->model()->index(row, column).data().toString();
}

} // namespace

class SecondariesScreenTest : public QObject {
    Q_OBJECT

    TestNamed m_primary;
    TestNamed m_lagging;

    static bool startWith(TestNamed& named, quint32 zoneSerial) {
        return named.prepare(
                   QStringLiteral("zone \"%1\" { type primary; file \"db.%1\"; };\n").arg(zone)) &&
               named.write(u"db."_s + zone, zoneText(zone, zoneSerial)) && named.start() &&
               named.waitForSerial(zone, zoneSerial);
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("named"), {QStringLiteral("/usr/sbin")})
                .isEmpty())
            QSKIP("BIND's named and dig are needed");
        QVERIFY2(startWith(m_primary, serial), qPrintable(m_primary.log()));
        QVERIFY2(startWith(m_lagging, serial - 4), qPrintable(m_lagging.log()));
    }

    void cleanupTestCase() {
        m_primary.stop();
        m_lagging.stop();
    }

    void rows() {
        WindowHost host;
        QVERIFY(host.isReady());
        host.window()->setSelectedSection(Section::secondaries);
        QCOMPARE(host.window()->currentScreen()->property("korviScreen").toString(),
                 u"SecondariesView"_s);
        auto* view = host.find<SecondariesView>(u"secondariesView"_s);
        QVERIFY(view);
        QVERIFY(shows(view, "noSecondariesPanel"));
        QCOMPARE(labelText(view, "noSecondariesTitle"), u"No Secondary Servers"_s);
        auto* refresh = child<QPushButton>(view, u"refreshSecondariesButton"_s);
        QVERIFY(refresh && !refresh->isEnabled());
        QVERIFY(saveScreenshot(host.window(), u"replication"_s, u"secondaries-empty"_s));

        ReplicationHealth* health = host.manager()->replicationHealth();
        health->setPrimary(u"127.0.0.1"_s, m_primary.port());
        health->setQuestionTimeout(1000);
        health->setZones({zone});
        const quint16 silentPort = freePort();
        health->setSecondaries({{u"mirror"_s, u"127.0.0.1"_s, m_primary.port(), QString()},
                                {u"lagging"_s, u"127.0.0.1"_s, m_lagging.port(), QString()},
                                {u"gone"_s, u"127.0.0.1"_s, silentPort, QString()}});
        QVERIFY(shows(view, "secondariesTable"));
        QVERIFY(!shows(view, "noSecondariesPanel"));
        auto* table = child<QTableView>(view, u"secondariesTable"_s);
        QCOMPARE(table->model()->rowCount(), 3);
        QCOMPARE(cell(table, 0, SecondaryHealthModel::stateColumn), u"Not checked yet"_s);

        QSignalSpy finished(health, &ReplicationHealth::refreshFinished);
        QVERIFY(refresh->isEnabled());
        QTest::mouseClick(refresh, Qt::LeftButton);
        QVERIFY(finished.wait(10000));

        const QString primarySerial = QString::number(serial);
        // clang-format off
        const QList<QStringList> expected{
            {u"mirror (127.0.0.1 port %1)"_s.arg(m_primary.port()), zone, u"In sync"_s,
             primarySerial, primarySerial},
            {u"lagging (127.0.0.1 port %1)"_s.arg(m_lagging.port()), zone, u"Behind by 4"_s,
             primarySerial, QString::number(serial - 4)},
            {u"gone (127.0.0.1 port %1)"_s.arg(silentPort), zone, u"Not answering"_s,
             primarySerial, u"—"_s}};
        // clang-format on
        for (int row = 0; row < expected.size(); ++row)
            for (int column = 0; column < expected[row].size(); ++column)
                QCOMPARE(cell(table, row, column), expected[row][column]);
        QCOMPARE(cell(table, 0, SecondaryHealthModel::sinceColumn), u"—"_s);
        QVERIFY(cell(table, 1, SecondaryHealthModel::sinceColumn) != u"—"_s);
        QVERIFY(!labelText(view, "secondariesChecked").isEmpty());

        // The silent secondary's reason, once its row is chosen.
        QVERIFY(!shows(view, "secondaryDetails"));
        clickRow(table, 2);
        QVERIFY(shows(view, "secondaryDetails"));
        QVERIFY2(labelText(view, "secondaryDetails").contains(QString::number(silentPort)),
                 qPrintable(labelText(view, "secondaryDetails")));
        QVERIFY(saveScreenshot(host.window(), u"replication"_s, u"secondaries-rows"_s));

        // The lagging server catches up: the next refresh shows it in sync.
        QVERIFY(m_lagging.write(u"db."_s + zone, zoneText(zone, serial)));
        QVERIFY(m_lagging.rndc({u"reload"_s, zone}));
        QVERIFY(m_lagging.waitForSerial(zone, serial));
        QTest::mouseClick(refresh, Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QCOMPARE(cell(table, 1, SecondaryHealthModel::stateColumn), u"In sync"_s);
        QCOMPARE(cell(table, 1, SecondaryHealthModel::sinceColumn), u"—"_s);
    }

    void secondaryZones() {
        WindowHost host;
        QVERIFY(host.isReady());
        host.window()->setSelectedSection(Section::secondaries);
        auto* view = host.find<SecondariesView>(u"secondariesView"_s);
        QVERIFY(view);
        SecondaryZonesSection* section = view->secondaryZones();
        QVERIFY(shows(section, "addSecondaryZoneButton"));
        QVERIFY(!shows(section, "secondaryZonesList"));
        QVERIFY(!child<QPushButton>(section, u"showSecondaryZoneButton"_s)->isEnabled());

        click(section, u"addSecondaryZoneButton"_s);
        AddSecondaryZoneDialog* dialog = section->addDialog();
        QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
        typeInto(child<QLineEdit>(dialog, u"secondaryZoneNameField"_s), u"copy.test"_s);
        typeInto(child<QLineEdit>(dialog, u"primaryAddressField"_s), u"ns1.copy.test"_s);
        child<QSpinBox>(dialog, u"primaryPortField"_s)->setValue(5300);
        click(dialog, u"confirmSecondaryZoneButton"_s);
        QVERIFY(shows(dialog, "addSecondaryZoneError"));
        QCOMPARE(labelText(dialog, "addSecondaryZoneError"),
                 u"'ns1.copy.test' is not an IPv4 or IPv6 address"_s);
        QVERIFY(host.manager()->secondaryZones().isEmpty());
        QVERIFY(saveScreenshot(dialog, u"replication"_s, u"add-secondary-zone-refused"_s));

        typeInto(child<QLineEdit>(dialog, u"primaryAddressField"_s), u"192.0.2.53"_s);
        click(dialog, u"confirmSecondaryZoneButton"_s);
        QTRY_VERIFY(!section->addDialog());
        QCOMPARE(host.manager()->secondaryZones().size(), 1);
        const SecondaryZoneSettings expected{
            u"copy.test"_s, {{u"192.0.2.53"_s, 5300, QString()}}, u"copy.test.secondary.db"_s};
        QCOMPARE(host.manager()->configuration()->secondaryZones(),
                 QList<SecondaryZoneSettings>{expected});
        const std::optional<QByteArray> kept =
            host.manager()->preferences().data(DNSServerManager::secondaryZonesKey());
        QVERIFY(kept && kept->contains("copy.test") && kept->contains("192.0.2.53"));
        auto* list = child<QListWidget>(section, u"secondaryZonesList"_s);
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 1);
        QTRY_VERIFY2(list->item(0)->text().endsWith(u"not transferred yet"_s),
                     qPrintable(list->item(0)->text()));

        // The same zone again is refused in the form.
        click(section, u"addSecondaryZoneButton"_s);
        dialog = section->addDialog();
        QVERIFY(dialog);
        typeInto(child<QLineEdit>(dialog, u"secondaryZoneNameField"_s), u"copy.test"_s);
        typeInto(child<QLineEdit>(dialog, u"primaryAddressField"_s), u"192.0.2.54"_s);
        click(dialog, u"confirmSecondaryZoneButton"_s);
        QCOMPARE(labelText(dialog, "addSecondaryZoneError"),
                 u"A zone for this domain already exists"_s);
        QCOMPARE(host.manager()->secondaryZones().size(), 1);
        click(dialog, u"cancelSecondaryZoneButton"_s);
        QTRY_VERIFY(!section->addDialog());

        // Its records, read-only, before any transfer.
        clickRow(list, 0);
        click(section, u"showSecondaryZoneButton"_s);
        QWidget* window = section->recordsWindow();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        auto* zoneView = window->findChild<SecondaryZoneView*>();
        QVERIFY(zoneView);
        QCOMPARE(labelText(zoneView, "secondaryZoneTransfer"), u"Not transferred yet"_s);
        QCOMPARE(labelText(zoneView, "secondaryZonePrimaries"),
                 u"Copied from 192.0.2.53 port 5300"_s);
        QVERIFY(!child<QPushButton>(zoneView, u"secondaryAddRecordButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(host.window(), u"replication"_s, u"secondary-zones-section"_s));
        QVERIFY(saveScreenshot(window, u"replication"_s, u"secondary-zone-window"_s));
        window->close();

        // The new-domain form refuses the name while this server keeps it as a secondary.
        QCOMPARE(host.manager()->newZoneRefusal(u"copy.test"_s),
                 std::optional<QString>(u"A zone for this domain already exists"_s));

        click(section, u"removeSecondaryZoneButton"_s);
        QVERIFY(!host.manager()->newZoneRefusal(u"copy.test"_s));
        QVERIFY(host.manager()->secondaryZones().isEmpty());
        QVERIFY(host.manager()->configuration()->secondaryZones().isEmpty());
        QCOMPARE(list->count(), 0);
    }
};

QTEST_MAIN(SecondariesScreenTest)
#include "tst_secondaries_screen.moc"
