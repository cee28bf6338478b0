// "Adopt into Korvi" on the configuration screen: only the administrator's primary zone gets
// the button; it asks first, saying what moves where and where the copies go; cancelled,
// nothing changes; confirmed, the zone becomes Korvi's and the section says so.
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

#include "AdoptionFixture.h"
#include "ScreenTestSupport.h"
#include "ui/configuration/AdoptZoneDialog.h"
#include "ui/configuration/ConfiguredZonesSection.h"
#include "ui/configuration/DNSConfigView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QList<QPushButton*> adoptButtons(const QWidget* screen) {
    return screen->findChildren<QPushButton*>(u"adoptZoneButton"_s);
}

} // namespace

class TestAdoptZoneScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void adoptsThroughTheButton() {
        QTemporaryDir dir;
        AdoptionHost host;
        if (const QString why = host.create(dir.path(), false); !why.isEmpty())
            QSKIP(qPrintable(why));
        auto m = host.manager();
        QVERIFY(m);
        DNSConfigView screen(m.get());
        showScreen(&screen, QSize(1000, 900));
        auto* section = screen.findChild<ConfiguredZonesSection*>(u"configuredZonesSection"_s);
        QVERIFY(section && section->isVisible());

        // One button, on the administrator's zone; the stock zones are listed without one.
        QList<QPushButton*> buttons = adoptButtons(&screen);
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->property("zone").toString(), u"shop.example"_s);
        QCOMPARE(buttons.first()->text(), u"Adopt into Korvi"_s);
        QStringList rows;
        for (int i = 0; auto* label = screen.findChild<QLabel*>(u"configuredZone%1"_s.arg(i)); ++i)
            rows.append(label->text());
        QVERIFY(rows.size() >= 5);
        QVERIFY(rows.filter(u"localhost · primary"_s).size() == 1);
        auto* scroll = screen.findChild<QScrollArea*>();
        QVERIFY(scroll);
        scroll->ensureWidgetVisible(section);
        QVERIFY(saveScreenshot(&screen, u"adoption"_s, u"configured-zones-adopt-button"_s));

        // Asked first; cancelled, nothing changes.
        QSignalSpy finished(m.get(), &DNSServerManager::zoneAdoptionFinished);
        QTest::mouseClick(buttons.first(), Qt::LeftButton);
        QTRY_VERIFY(section->confirmation() && section->confirmation()->isVisible());
        AdoptZoneDialog* dialog = section->confirmation();
        const QString explanation = dialog->findChild<QLabel*>(u"adoptZoneExplanation"_s)->text();
        QVERIFY(explanation.contains(host.local()));
        QVERIFY(explanation.contains(host.files.korviInclude));
        QVERIFY(explanation.contains(ZoneAdoption::backupRoot(host.layout)));
        QVERIFY(explanation.contains(host.files.zoneFile(u"shop.example"_s)));
        QVERIFY(saveScreenshot(dialog, u"adoption"_s, u"adopt-confirmation"_s));
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"adoptZoneCancelButton"_s),
                          Qt::LeftButton);
        QTRY_VERIFY(!section->confirmation());
        QTest::qWait(200);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(readFile(host.local()), host.localBefore);

        // Confirmed: the zone is Korvi's, its row and button gone, the outcome shown.
        QTest::mouseClick(adoptButtons(&screen).first(), Qt::LeftButton);
        QTRY_VERIFY(section->confirmation() && section->confirmation()->isVisible());
        QTest::mouseClick(
            section->confirmation()->findChild<QPushButton*>(u"adoptZoneConfirmButton"_s),
            Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 60000);
        const auto result = finished.first().first().value<ZoneAdoptionResult>();
        QVERIFY2(result.adopted, qPrintable(result.message));
        auto* message = screen.findChild<QLabel*>(u"adoptZoneMessage"_s);
        QVERIFY(message && message->isVisible());
        QCOMPARE(message->text(), result.message);
        QCOMPARE(adoptButtons(&screen).size(), 0);
        QCOMPARE(readFile(host.local()), host.localAfter(false));
        QVERIFY(korviZone(*m, u"shop.example"_s));
        QVERIFY(host.checkWithZones().ok());
        scroll->ensureWidgetVisible(section);
        QVERIFY(saveScreenshot(&screen, u"adoption"_s, u"configured-zones-adopted"_s));
    }
};

QTEST_MAIN(TestAdoptZoneScreen)
#include "tst_adopt_zone_screen.moc"
