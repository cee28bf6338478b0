// The DNSSEC dialog against a real named in a sandbox, driven as a user does: reached with the
// SOA sheet's "DNSSEC…" button, "Sign this zone" with Korvi's Ed25519 policy applied, the key
// states, the DS record and "Signed and answering with signatures" shown, the DS copied; then
// signing turned off shows the zone going unsigned. Screenshots in <build>/screenshots/dnssec.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "SandboxManager.h"
#include "SandboxServer.h"
#include "ScreenTestSupport.h"
#include "SettledKeys.h"
#include "ui/dnssec/ZoneDnssecDialog.h"
#include "ui/zones/ZoneSOAView.h"

using namespace korvi;
using namespace korvi::test;

class TestDnssecScreen : public QObject {
    Q_OBJECT

    Host m_host;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;
    std::unique_ptr<ZoneSOAView> m_sheet;
    ZoneDnssecDialog* m_dialog = nullptr;

    QString text(const char* name) const { return labelText(m_dialog, name); }
    QString plainText(const char* name) const {
        auto* edit = m_dialog->findChild<QPlainTextEdit*>(QLatin1String(name));
        return edit ? edit->toPlainText() : u"<missing>"_s;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(isPlainPath(m_host.root()));
        for (const QString& program : {u"dig"_s, u"rndc"_s})
            if (QStandardPaths::findExecutable(program).isEmpty())
                QSKIP("BIND's tools are not installed");
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        KORVI_SET_UP_SANDBOX_MANAGER(m_host.root(), m_port, m_layout, m_manager);
        m_zone =
            ZoneRepository::newZone(u"example.com"_s, m_layout.zoneDirectory + u"/db.example.com"_s,
                                    QString(), QString(), 2026010101, u"192.0.2.53"_s);
        const Finish finish = finishOf(m_manager.get(), [&] { return m_manager->addZone(m_zone); });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
    }
    void cleanupTestCase() {
        m_sheet.reset();
        if (m_manager) {
            m_manager->stopServer();
            (void)QTest::qWaitFor([&] { return serversOf(m_layout.namedConfigPath).isEmpty(); },
                                  10000);
        }
        m_manager.reset();
        stopServersOf(m_layout.namedConfigPath);
    }

    void openedFromSoaSheet() {
        m_sheet = std::make_unique<ZoneSOAView>(m_manager.get(), m_zone);
        showScreen(m_sheet.get(), QSize(560, 640));
        click(m_sheet.get(), u"dnssecButton"_s);
        m_dialog = m_sheet->findChild<ZoneDnssecDialog*>();
        QVERIFY(m_dialog);
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        QCOMPARE(m_dialog->zone(), u"example.com"_s);
        QCOMPARE(text("signingStateLabel"), u"Not signed"_s);
        QTRY_COMPARE_WITH_TIMEOUT(text("verificationLabel"),
                                  u"Not signed: the zone's answer carries no signature (RRSIG)"_s,
                                  5000);
        auto* policy = child<QComboBox>(m_dialog, u"policyChoice"_s);
        QVERIFY(policy && !policy->isEnabled());
        QVERIFY(saveScreenshot(m_dialog, u"dnssec"_s, u"dnssec-unsigned"_s));
    }

    void signWithKorviPolicy() {
        QVERIFY(m_dialog);
        child<QCheckBox>(m_dialog, u"signZoneSwitch"_s)->click();
        auto* policy = child<QComboBox>(m_dialog, u"policyChoice"_s);
        QVERIFY(policy->isEnabled());
        policy->setCurrentIndex(1);
        auto* algorithm = child<QComboBox>(m_dialog, u"algorithmChoice"_s);
        QVERIFY(algorithm->isEnabled());
        algorithm->setCurrentIndex(1);
        auto* lifetime = child<QSpinBox>(m_dialog, u"keyLifetimeField"_s);
        lifetime->setValue(180);
        QCOMPARE(m_dialog->choice().policyName(), u"korvi-ed25519-p180d"_s);
        click(m_dialog, u"applySigningButton"_s);
        QVERIFY(m_dialog->isApplying());
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->isApplying(), 15000);
        QCOMPARE(text("signingStateLabel"),
                 u"🔏 Signed by BIND with the policy \"korvi-ed25519-p180d\""_s);
        // BIND signs within moments; Refresh asks again until it has.
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (text("verificationLabel") == u"Signed and answering with signatures"_s &&
                    !plainText("dsRecordsText").isEmpty())
                    return true;
                click(m_dialog, u"refreshKeysButton"_s);
                QTest::qWait(300);
                return false;
            },
            15000));
        QTRY_VERIFY_WITH_TIMEOUT(plainText("keyStatusText").contains(u"(ED25519), CSK"_s), 5000);
        const QString ds = plainText("dsRecordsText");
        QVERIFY2(ds.startsWith(u"example.com. IN DS "_s) && ds.contains(u" 15 2 "_s),
                 qPrintable(ds));
        click(m_dialog, u"copyDsButton"_s);
        QCOMPARE(QApplication::clipboard()->text().trimmed(), ds);
        QVERIFY(saveScreenshot(m_dialog, u"dnssec"_s, u"dnssec-signed"_s));
    }

    // Turned off a day later, with the DS at the parent (see SettledKeys.h): BIND keeps the keys
    // while it withdraws them, and the dialog shows the zone going unsigned.
    void turnOff() {
        QVERIFY(m_dialog);
        const QString problem = settleKeys(m_layout, u"example.com"_s);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                click(m_dialog, u"refreshKeysButton"_s);
                QTest::qWait(200);
                return plainText("keyStatusText").contains(u"- ds:             omnipresent"_s);
            }(),
            10000);
        child<QCheckBox>(m_dialog, u"signZoneSwitch"_s)->click();
        click(m_dialog, u"applySigningButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->isApplying(), 15000);
        QCOMPARE(m_manager->zoneSigning()->signing(u"example.com"_s).state,
                 SigningState::goingUnsigned);
        QVERIFY(readFile(m_layout.namedConfigPath).contains("dnssec-policy \"insecure\";"));
        QCOMPARE(text("signingStateLabel"),
                 u"Going unsigned: BIND is withdrawing the signatures and keys"_s);
        // Still signed while BIND withdraws the keys.
        QTRY_VERIFY_WITH_TIMEOUT(plainText("keyStatusText").contains(u"dnssec-policy: insecure"_s),
                                 5000);
        QTRY_COMPARE_WITH_TIMEOUT(text("verificationLabel"),
                                  u"Signed and answering with signatures"_s, 5000);
        QVERIFY(!plainText("dsRecordsText").isEmpty());
        QCOMPARE(m_manager->zoneSigning()->signing(u"example.com"_s).state,
                 SigningState::goingUnsigned);
        QVERIFY(saveScreenshot(m_dialog, u"dnssec"_s, u"dnssec-going-unsigned"_s));
    }
};

QTEST_MAIN(TestDnssecScreen)
#include "tst_dnssec_screen.moc"
