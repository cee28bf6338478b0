// The configuration screen lists the zones Korvi does not edit, read-only, with type, view
// and declaring file; Korvi's own zones are not in that list.
#include <QLabel>
#include <QScrollArea>
#include <QtTest>

#include "ScreenTestSupport.h"
#include "ui/configuration/ConfiguredZonesSection.h"
#include "ui/configuration/DNSConfigView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

ConfiguredZone zone(const QString& name, ConfiguredZoneType type, const QString& view,
                    const QString& declaredIn, bool owned) {
    ConfiguredZone z;
    z.name = name;
    z.zoneClass = u"IN"_s;
    z.type = type;
    z.view = view;
    z.declaredIn = declaredIn;
    z.ownedByKorvi = owned;
    return z;
}

QStringList rows(const QWidget* screen) {
    QStringList texts;
    for (int i = 0;; ++i) {
        const auto* label = screen->findChild<QLabel*>(u"configuredZone%1"_s.arg(i));
        if (!label)
            return texts;
        texts.append(label->text());
    }
}

} // namespace

class TestConfiguredZonesScreen : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void listsZonesKorviDoesNotEdit() {
        auto manager = screenManager(m_dir.path(), ServerStatus::stopped);
        DNSConfigView screen(manager.get());
        showScreen(&screen);
        QVERIFY(!shows(&screen, "configuredZonesSection"));

        manager->configuration()->setConfiguredZones(
            {zone(u"korvi.example"_s, ConfiguredZoneType::primary, {},
                  u"/etc/bind/named.conf.korvi"_s, true),
             zone(u"localhost"_s, ConfiguredZoneType::primary, {},
                  u"/etc/bind/named.conf.default-zones"_s, false),
             zone(u"."_s, ConfiguredZoneType::hint, {}, u"/etc/bind/named.conf.default-zones"_s,
                  false),
             zone(u"inside.example"_s, ConfiguredZoneType::primary, u"internal"_s,
                  u"/etc/bind/named.conf.korvi"_s, true),
             zone(u"copy.example"_s, ConfiguredZoneType::secondary, {}, {}, false)});
        QVERIFY(shows(&screen, "configuredZonesSection"));
        QCOMPARE(
            rows(&screen),
            QStringList({u"localhost · primary · declared in /etc/bind/named.conf.default-zones · "
                         "read-only"_s,
                         u". · hint · declared in /etc/bind/named.conf.default-zones · read-only"_s,
                         u"inside.example · primary · view internal · declared in "
                         "/etc/bind/named.conf.korvi · read-only"_s,
                         u"copy.example · secondary · declaring file unknown · read-only"_s}));
        auto* section = screen.findChild<QWidget*>(u"configuredZonesSection"_s);
        auto* scroll = screen.findChild<QScrollArea*>();
        QVERIFY(section && scroll);
        QApplication::processEvents();
        scroll->ensureWidgetVisible(section);
        QVERIFY(saveScreenshot(&screen, u"namedconf"_s, u"configured-zones"_s));

        manager->configuration()->setConfiguredZones({});
        QVERIFY(!shows(&screen, "configuredZonesSection"));
        QCOMPARE(rows(&screen), QStringList());
    }
};

QTEST_MAIN(TestConfiguredZonesScreen)
#include "tst_configured_zones_screen.moc"
