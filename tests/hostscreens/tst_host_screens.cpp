// The dashboard says which host layout Korvi manages, and the configuration
// screen shows the server-wide settings read-only, naming their file, where
// the distribution's package owns that file.

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "ScreenTestSupport.h"
#include "host/HostLayout.h"
#include "ui/configuration/DNSConfigView.h"
#include "ui/dashboard/DashboardView.h"

using namespace korvi;
using namespace korvi::test;

class TestHostScreens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutShown_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("debian") << u"debian"_s << u"Debian / Ubuntu"_s << true;
        QTest::newRow("sandbox") << QString() << u"Sandbox"_s << false;
    }

    void layoutShown() {
        QFETCH(QString, family);
        QFETCH(QString, name);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.path();
        SystemLayout layout;
        if (family.isEmpty()) {
            layout = SystemLayout::sandbox(root, 1, 2);
            QDir().mkpath(layout.zoneDirectory);
        } else {
            HostLayoutFacts facts;
            facts.os = parseOsRelease(u"ID="_s + family);
            facts.root = true;
            layout = standardLayoutFor(facts, root);
            layout.pidFilePath = root + u"/run/named.pid"_s;
            layout.temporaryDirectory = root + u"/tmp"_s;
            layout.serverPort = 1;
            writeFile(root, u"etc/bind/named.conf"_s,
                      "include \"" + root.toUtf8() + "/etc/bind/named.conf.options\";\n", false);
            writeFile(root, u"etc/bind/named.conf.options"_s,
                      "options {\n\tdirectory \"/var/cache/bind\";\n\tforwarders { 192.0.2.53; "
                      "};\n\trecursion no;\n};\n",
                      false);
        }
        auto manager = makeManager(root, layout);
        QVERIFY(waitForDetections(*manager));

        DashboardView dashboard(manager.get());
        showScreen(&dashboard);
        QCOMPARE(labelText(&dashboard, "hostLayoutLabel"),
                 u"Layout: "_s + name + u" — "_s + layout.namedConfigPath);
        QVERIFY(saveScreenshot(&dashboard, u"host"_s, u"dashboard-"_s + QTest::currentDataTag()));

        DNSConfigView config(manager.get());
        showScreen(&config);
        QCOMPARE(shows(&config, "optionsReadOnlyNotice"), readOnly);
        auto* save = child<QPushButton>(&config, u"saveConfigurationButton"_s);
        auto* recursion = child<QCheckBox>(&config, u"recursionSwitch"_s);
        QVERIFY(save && recursion);
        QCOMPARE(save->isEnabled(), !readOnly);
        QCOMPARE(recursion->isEnabled(), !readOnly);
        if (readOnly) {
            QVERIFY(labelText(&config, "optionsReadOnlyNotice")
                        .contains(root + u"/etc/bind/named.conf.options"_s));
            // The values are the package file's.
            QTRY_VERIFY(manager->configuration()->forwarders().contains(u"192.0.2.53"_s));
            QVERIFY(!recursion->isChecked());
            const auto presets = config.findChildren<QWidget*>(u"google"_s);
            for (QWidget* preset : presets)
                QVERIFY(!preset->isEnabled());
        }
        QVERIFY(saveScreenshot(&config, u"host"_s, u"config-"_s + QTest::currentDataTag()));
    }
};

QTEST_MAIN(TestHostScreens)
#include "tst_host_screens.moc"
