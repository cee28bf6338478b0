// The server configuration screen, driven through the real widgets: every
// control edits the manager's configuration in place, the three lists, the
// forwarder presets, and the status, information and button states.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include "ScreenTestSupport.h"
#include "ui/DNSConfigView.h"
#include "ui/ForwarderPresetButton.h"
#include "ui/IntegerField.h"
#include "ui/Palette.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QString labelText(const QWidget* parent, const char* name) {
    const auto* label = parent->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// The texts of a list's fields, in order; stops at the first missing field.
QStringList fieldTexts(const QWidget* view, const QString& prefix) {
    QStringList texts;
    for (int i = 0;; ++i) {
        const auto* field =
            view->findChild<QLineEdit*>(prefix + QStringLiteral("Field") + QString::number(i));
        if (!field)
            return texts;
        texts.append(field->text());
    }
}

void click(const QWidget* view, const QString& name) {
    auto* button = child<QAbstractButton>(view, name);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class ConfigScreenTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void showsTheConfiguration() {
        auto manager = screenManager(m_dir.path(), ServerStatus::stopped);
        DNSConfigView view(manager.get());
        showScreen(&view, QSize(1000, 1500));
        QCOMPARE(labelText(&view, "titleLabel"), "Server Configuration");
        QCOMPARE(child<IntegerField>(&view, QStringLiteral("listenPortField"))->value(), 53);
        QVERIFY(child<QCheckBox>(&view, QStringLiteral("recursionSwitch"))->isChecked());
        QVERIFY(!child<QCheckBox>(&view, QStringLiteral("dnssecSwitch"))->isChecked());
        auto* level = child<QComboBox>(&view, QStringLiteral("loggingLevelPicker"));
        QStringList levels;
        for (int i = 0; i < level->count(); ++i)
            levels.append(level->itemText(i));
        QCOMPARE(levels, (QStringList{"Critical", "Error", "Warning", "Info", "Debug"}));
        QCOMPARE(level->currentText(), "Info");
        QCOMPARE(fieldTexts(&view, QStringLiteral("listenAddresses")),
                 (QStringList{"127.0.0.1", "::1"}));
        QCOMPARE(fieldTexts(&view, QStringLiteral("allowQuery")), QStringList{"any"});
        QCOMPARE(fieldTexts(&view, QStringLiteral("forwarders")), QStringList{});

        const QList<std::pair<const char*, const char*>> labels = {
            {"basicSettingsTitle", "Basic Settings"},
            {"listenPortLabel", "Listen Port:"},
            {"recursionLabel", "Recursion:"},
            {"dnssecLabel", "Enable DNSSEC:"},
            {"loggingLevelLabel", "Logging Level:"},
            {"listenAddressesTitle", "Listen Addresses"},
            {"listenAddressesCaption", "IP addresses the server will listen on:"},
            {"allowQueryTitle", "Allow Query"},
            {"allowQueryCaption", "IP addresses or networks allowed to query:"},
            {"forwardersTitle", "Forwarders"},
            {"forwardersCaption", "DNS servers to forward unresolved queries to:"},
            {"forwarderPresetsTitle", "Quick Forwarder Presets"},
            {"presetsCaption", "Add common DNS forwarders:"}};
        for (const auto& [name, text] : labels)
            QCOMPARE(labelText(&view, name), QString::fromUtf8(text));
        QCOMPARE(
            child<QLineEdit>(&view, QStringLiteral("listenAddressesField0"))->placeholderText(),
            "IP Address");
        QCOMPARE(child<QLineEdit>(&view, QStringLiteral("allowQueryField0"))->placeholderText(),
                 "IP/Network");
        QCOMPARE(child<QPushButton>(&view, QStringLiteral("listenAddressesAddButton"))->text(),
                 "Add Listen Address");
        QCOMPARE(child<QPushButton>(&view, QStringLiteral("allowQueryAddButton"))->text(),
                 "Add Allow Query");
        QCOMPARE(child<QPushButton>(&view, QStringLiteral("forwardersAddButton"))->text(),
                 "Add Forwarder");
        const QList<std::pair<const char*, QStringList>> presets = {
            {"presetGoogle", {"8.8.8.8", "8.8.4.4"}},
            {"presetCloudflare", {"1.1.1.1", "1.0.0.1"}},
            {"presetQuad9", {"9.9.9.9", "149.112.112.112"}},
            {"presetOpenDNS", {"208.67.222.222", "208.67.220.220"}}};
        QStringList titles;
        for (const auto& [name, servers] : presets) {
            auto* preset = child<ForwarderPresetButton>(&view, QLatin1String(name));
            titles.append(preset->title());
            QCOMPARE(preset->servers(), servers);
        }
        QCOMPARE(titles, (QStringList{"Google DNS", "Cloudflare DNS", "Quad9 DNS", "OpenDNS"}));
        QVERIFY(saveScreenshot(&view, QStringLiteral("config_stopped")));
    }

    void controlsEditInPlace() {
        auto manager = screenManager(m_dir.path(), ServerStatus::stopped);
        DNSConfiguration* config = manager->configuration();
        DNSConfigView view(manager.get());
        showScreen(&view);
        typeInto(child<IntegerField>(&view, QStringLiteral("listenPortField")),
                 QStringLiteral("5353"));
        QCOMPARE(config->listenPort(), 5353);
        click(&view, QStringLiteral("recursionSwitch"));
        QCOMPARE(config->recursion(), false);
        click(&view, QStringLiteral("dnssecSwitch"));
        QCOMPARE(config->enableDNSSEC(), true);
        auto* level = child<QComboBox>(&view, QStringLiteral("loggingLevelPicker"));
        level->setFocus();
        QTest::keyClick(level, Qt::Key_Down); // Info -> Debug
        QCOMPARE(config->loggingLevel(), "debug");

        // Lists: an edit writes its position; duplicates are allowed.
        typeInto(child<QLineEdit>(&view, QStringLiteral("listenAddressesField1")),
                 QStringLiteral("::2"));
        QCOMPARE(config->listenAddresses(), (QStringList{"127.0.0.1", "::2"}));
        click(&view, QStringLiteral("listenAddressesRemove0"));
        QCOMPARE(config->listenAddresses(), QStringList{"::2"});
        QCOMPARE(fieldTexts(&view, QStringLiteral("listenAddresses")), QStringList{"::2"});
        click(&view, QStringLiteral("listenAddressesAddButton"));
        click(&view, QStringLiteral("listenAddressesAddButton"));
        QCOMPARE(config->listenAddresses(), (QStringList{"::2", "127.0.0.1", "127.0.0.1"}));
        click(&view, QStringLiteral("allowQueryAddButton"));
        QCOMPARE(config->allowQuery(), (QStringList{"any", "any"}));
        click(&view, QStringLiteral("forwardersAddButton"));
        QCOMPARE(config->forwarders(), QStringList{"8.8.8.8"});

        // Removing the last element leaves the caption and the add button.
        click(&view, QStringLiteral("forwardersRemove0"));
        QVERIFY(config->forwarders().isEmpty());
        QTRY_VERIFY(!view.findChild<QLineEdit*>(QStringLiteral("forwardersField0")));
        QVERIFY(child<QLabel>(&view, QStringLiteral("forwardersCaption"))->isVisible());
        QVERIFY(child<QPushButton>(&view, QStringLiteral("forwardersAddButton"))->isVisible());

        // A change made elsewhere shows at once.
        config->setForwarders({QStringLiteral("192.0.2.1")});
        config->setListenPort(5300);
        config->setLoggingLevel(QStringLiteral("dynamic"));
        QCOMPARE(fieldTexts(&view, QStringLiteral("forwarders")), QStringList{"192.0.2.1"});
        QCOMPARE(child<IntegerField>(&view, QStringLiteral("listenPortField"))->value(), 5300);
        // A level none of the five shows no choice.
        QCOMPARE(level->currentIndex(), -1);
    }

    void presets_data() {
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<QStringList>("forwarders");
        QTest::newRow("google") << QStringList{"presetGoogle"} << QStringList{"8.8.8.8", "8.8.4.4"};
        QTest::newRow("google twice")
            << QStringList{"presetGoogle", "presetGoogle"} << QStringList{"8.8.8.8", "8.8.4.4"};
        QTest::newRow("google then cloudflare")
            << QStringList{"presetGoogle", "presetCloudflare"}
            << QStringList{"8.8.8.8", "8.8.4.4", "1.1.1.1", "1.0.0.1"};
        QTest::newRow("quad9 then opendns")
            << QStringList{"presetQuad9", "presetOpenDNS"}
            << QStringList{"9.9.9.9", "149.112.112.112", "208.67.222.222", "208.67.220.220"};
    }

    void presets() {
        QFETCH(QStringList, pressed);
        QFETCH(QStringList, forwarders);
        auto manager = screenManager(m_dir.path(), ServerStatus::stopped);
        DNSConfigView view(manager.get());
        showScreen(&view);
        for (const QString& name : pressed)
            click(&view, name);
        QCOMPARE(manager->configuration()->forwarders(), forwarders);
        QCOMPARE(fieldTexts(&view, QStringLiteral("forwarders")), forwarders);
    }

    void presetSkipsServersAlreadyThere() {
        QCOMPARE(ForwarderPresetButton::appliedTo({"8.8.4.4", "10.0.0.1"}, {"8.8.8.8", "8.8.4.4"}),
                 (QStringList{"8.8.4.4", "10.0.0.1", "8.8.8.8"}));
    }

    void statusAndButtons_data() {
        QTest::addColumn<ServerStatus>("status");
        QTest::addColumn<QString>("statusText");
        QTest::newRow("running") << ServerStatus::running << "BIND Server Status: Running";
        QTest::newRow("stopped") << ServerStatus::stopped << "BIND Server Status: Stopped";
        QTest::newRow("error") << ServerStatus::error << "BIND Server Status: Error";
        QTest::newRow("not installed")
            << ServerStatus::notInstalled << "BIND Server Status: Not Installed";
    }

    void statusAndButtons() {
        QFETCH(ServerStatus, status);
        QFETCH(QString, statusText);
        auto manager = screenManager(m_dir.path(), status);
        DNSConfigView view(manager.get());
        showScreen(&view);
        const bool running = status == ServerStatus::running;
        QCOMPARE(labelText(&view, "statusLabel"), statusText);
        QCOMPARE(child<QLabel>(&view, QStringLiteral("statusIcon"))->property("symbol").toString(),
                 running ? "checkmark.circle.fill" : "exclamationmark.triangle.fill");
        QCOMPARE(child<QLabel>(&view, QStringLiteral("statusLabel"))
                     ->palette()
                     .color(QPalette::WindowText),
                 namedColor(running ? NamedColor::green : NamedColor::orange));
        QCOMPARE(labelText(&view, "statusHintLabel"),
                 running ? "Configuration changes will take effect after server reload"
                         : "Configuration changes will take effect when server starts");
        QCOMPARE(labelText(&view, "infoLabel"),
                 running ? "Configuration changes are available immediately but require server "
                           "reload to take effect"
                         : "Configuration changes will be saved and applied when the server "
                           "starts");
        auto* reload = child<QPushButton>(&view, QStringLiteral("reloadServerButton"));
        QCOMPARE(reload->text(), running ? "Reload Server" : "Reload Server (Disabled)");
        QCOMPARE(reload->isEnabled(), running);
        QCOMPARE(child<QPushButton>(&view, QStringLiteral("saveConfigurationButton"))->text(),
                 "Save Configuration");
        QVERIFY(child<QPushButton>(&view, QStringLiteral("saveConfigurationButton"))->isEnabled());
        QCOMPARE(child<QPushButton>(&view, QStringLiteral("reloadFromFileButton"))->text(),
                 "Reload from File");
        QVERIFY(child<QPushButton>(&view, QStringLiteral("reloadFromFileButton"))->isEnabled());
        if (running)
            QVERIFY(saveScreenshot(&view, QStringLiteral("config_running")));
    }

    void reloadFromFile() {
        QTemporaryDir dir;
        auto manager = screenManager(dir.path(), ServerStatus::stopped);
        DNSConfigView view(manager.get());
        showScreen(&view);
        QVERIFY(!writeFile(dir.path(), QStringLiteral("etc/named.conf"),
                           "options {\n"
                           "    listen-on port 5301 { 127.0.0.1; 192.0.2.1; };\n"
                           "    forwarders { 9.9.9.9; };\n"
                           "    recursion no;\n"
                           "};\n",
                           false)
                     .isEmpty());
        // Edits not saved are replaced by what the file holds; what the file
        // does not set (the port) stays.
        typeInto(child<IntegerField>(&view, QStringLiteral("listenPortField")),
                 QStringLiteral("5353"));
        click(&view, QStringLiteral("forwardersAddButton"));
        QCOMPARE(fieldTexts(&view, QStringLiteral("forwarders")), QStringList{"8.8.8.8"});
        click(&view, QStringLiteral("reloadFromFileButton"));
        QTRY_COMPARE(fieldTexts(&view, QStringLiteral("forwarders")), QStringList{"9.9.9.9"});
        QCOMPARE(fieldTexts(&view, QStringLiteral("listenAddresses")),
                 (QStringList{"127.0.0.1", "192.0.2.1"}));
        QVERIFY(!child<QCheckBox>(&view, QStringLiteral("recursionSwitch"))->isChecked());
        QCOMPARE(child<IntegerField>(&view, QStringLiteral("listenPortField"))->text(),
                 QStringLiteral("5353"));
    }
};

QTEST_MAIN(ConfigScreenTest)
#include "tst_config_screen.moc"
