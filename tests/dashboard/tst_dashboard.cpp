// The dashboard: server status in words and colour, the package manager,
// zone and record counts, and its own refresh of the package managers.

#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

#include "WindowTestSupport.h"
#include "manager/DNSServerManager.h"
#include "ui/DashboardView.h"
#include "ui/Palette.h"
#include "ui/Typography.h"

using namespace korvi;
using namespace korvi::test;

Q_DECLARE_METATYPE(korvi::ServerStatus)
Q_DECLARE_METATYPE(korvi::NamedColor)

namespace {

QList<DNSRecord> records(int count) {
    QList<DNSRecord> list;
    for (int i = 0; i < count; ++i)
        list.append(DNSRecord(QStringLiteral("host%1").arg(i), DNSRecordType::A,
                              QStringLiteral("192.0.2.%1").arg(i + 1), 3600));
    return list;
}

} // namespace

class DashboardTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<DashboardView> m_view;

    QLabel* label(const char* name) const {
        return m_view->findChild<QLabel*>(QLatin1String(name));
    }

private Q_SLOTS:
    void init() {
        m_manager = makeManager(m_dir.path(), isolatedLayout(m_dir.path()));
        QVERIFY(waitForDetections(*m_manager));
        m_view = std::make_unique<DashboardView>(m_manager.get());
        m_view->resize(900, 700);
        m_view->show();
    }
    void cleanup() {
        m_view.reset();
        m_manager.reset();
    }

    void counts_data() {
        QTest::addColumn<QList<int>>("recordCounts");
        QTest::addColumn<QString>("zones");
        QTest::addColumn<QString>("total");
        QTest::newRow("no zones") << QList<int>{} << "0"
                                  << "0";
        QTest::newRow("2, 0 and 5 records") << QList<int>{2, 0, 5} << "3"
                                            << "7";
    }

    void counts() {
        QFETCH(QList<int>, recordCounts);
        QFETCH(QString, zones);
        QFETCH(QString, total);
        QList<ZonePtr> list;
        for (int count : recordCounts) {
            auto zone = ZonePtr::create(QStringLiteral("zone%1.test").arg(list.size()), QString());
            zone->setRecords(records(count));
            list.append(zone);
        }
        m_manager->setZones(list);
        QCOMPARE(label("activeZonesValue")->text(), zones);
        QCOMPARE(label("totalRecordsValue")->text(), total);
        saveScreenshot(m_view.get(), QStringLiteral("dashboard"),
                       QStringLiteral("counts-%1-zones").arg(zones));
    }

    // A zone that gains records is counted again; a zone no longer in the
    // list is not listened to any more.
    void recordChangesInZonesAreCounted() {
        auto first = ZonePtr::create(QStringLiteral("a.test"), QString());
        auto second = ZonePtr::create(QStringLiteral("b.test"), QString());
        m_manager->setZones({first, second});
        second->setRecords(records(4));
        QCOMPARE(label("totalRecordsValue")->text(), QStringLiteral("4"));
        m_manager->setZones({first});
        QCOMPARE(label("totalRecordsValue")->text(), QStringLiteral("0"));
        second->setRecords(records(1)); // not counted, and no stale update
        first->setRecords(records(2));
        QCOMPARE(label("totalRecordsValue")->text(), QStringLiteral("2"));
        QCOMPARE(label("activeZonesValue")->text(), QStringLiteral("1"));
    }

    void serverStatus_data() {
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<bool>("bindInstalled");
        QTest::addColumn<QString>("text");
        QTest::addColumn<NamedColor>("color");
        QTest::newRow("running") << ServerStatus::running << true << "Running" << NamedColor::green;
        QTest::newRow("stopped") << ServerStatus::stopped << true << "Stopped" << NamedColor::red;
        QTest::newRow("error") << ServerStatus::error << true << "Error" << NamedColor::red;
        QTest::newRow("unknown") << ServerStatus::unknown << true << "Unknown" << NamedColor::gray;
        QTest::newRow("not installed")
            << ServerStatus::notInstalled << false << "Not Installed" << NamedColor::orange;
    }

    void serverStatus() {
        QFETCH(ServerStatus, status);
        QFETCH(bool, bindInstalled);
        QFETCH(QString, text);
        QFETCH(NamedColor, color);
        m_manager->setBindInstalled(bindInstalled);
        m_manager->setServerStatus(status);
        QCOMPARE(label("bindStatusValue")->text(), text);
        QCOMPARE(Typography::textColor(label("bindStatusValue")), namedColor(color));
        QCOMPARE(label("bindNotDetectedCaption")->isVisible(), !bindInstalled);
        QCOMPARE(label("bindNotDetectedCaption")->text(),
                 QStringLiteral("BIND DNS server not detected"));
    }

    void packageManager_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NamedColor>("color");
        QTest::addColumn<bool>("caption");
        QTest::newRow("none") << "None" << NamedColor::red << true;
        QTest::newRow("Homebrew") << "Homebrew" << NamedColor::green << false;
        QTest::newRow("MacPorts") << "MacPorts" << NamedColor::green << false;
        QTest::newRow("APT") << "APT" << NamedColor::green << false;
    }

    void packageManager() {
        QFETCH(QString, name);
        QFETCH(NamedColor, color);
        QFETCH(bool, caption);
        m_manager->setAvailablePackageManager(name);
        QCOMPARE(label("packageManagerValue")->text(), name);
        QCOMPARE(Typography::textColor(label("packageManagerValue")), namedColor(color));
        QCOMPARE(label("packageManagerCaption")->isVisible(), caption);
        QCOMPARE(label("packageManagerCaption")->text(),
                 QStringLiteral("Required for BIND installation"));
        saveScreenshot(m_view.get(), QStringLiteral("dashboard"),
                       QStringLiteral("package-manager-") + name);
    }

    // The card's refresh detects the package managers again, and nothing
    // else: zones and configuration are not reloaded.
    void refreshDetectsPackageManagersOnly() {
        const int homebrew = logCount(*m_manager, QStringLiteral("❌ Homebrew not found"));
        const int macPorts = logCount(*m_manager, QStringLiteral("❌ MacPorts not found"));
        m_manager->setAvailablePackageManager(QStringLiteral("Homebrew"));
        QTest::mouseClick(
            m_view->findChild<QToolButton*>(QStringLiteral("packageManagerRefreshButton")),
            Qt::LeftButton);
        QTRY_COMPARE(logCount(*m_manager, QStringLiteral("❌ Homebrew not found")), homebrew + 1);
        QTRY_COMPARE(logCount(*m_manager, QStringLiteral("❌ MacPorts not found")), macPorts + 1);
        QCOMPARE(logCount(*m_manager, QStringLiteral("Refreshing package manager detection..."),
                          LogLevel::info),
                 1);
        QCOMPARE(
            logCount(*m_manager,
                     QStringLiteral("🔄 Refreshing zones and configuration from file system...")),
            0);
        // Detection found nothing on this host: the card follows.
        QTRY_COMPARE(label("packageManagerValue")->text(), QStringLiteral("None"));
    }
};

QTEST_MAIN(DashboardTest)
#include "tst_dashboard.moc"
