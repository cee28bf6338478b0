// The screens of reverse zones: the new-zone form names the zone from a network as it is typed
// and creates it; a network without a zone of its own shows why and creates nothing; with the
// preference "ask" a new address asks "Add the PTR record …?" and the answer is followed; a
// PTR change that fails is shown. Pictures go to <build>/screenshots/reverse/.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "../operations/ChangeSupport.h"
#include "ScreenTestSupport.h"
#include "manager/PtrSync.h"
#include "ui/configuration/PtrSettingsSection.h"
#include "ui/records/PtrQuestionDialog.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ReverseZoneSection.h"

using namespace korvi;
using namespace korvi::test;

class TestReverseScreens : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHost> m_host;

    DNSServerManager* manager() const { return m_host->manager(); }

    ZonePtr addZone(const QString& name, const QList<DNSRecord>& records = {}) {
        const ZonePtr zone = ZoneRepository::newZone(
            name, manager()->zoneDirectory() + u"/db."_s + name, u"ns1.example.com."_s, QString(),
            2025030501, u"198.51.100.1"_s);
        for (const DNSRecord& record : records)
            zone->addRecord(record);
        const Finish finish = finishOf(manager(), [&] { return manager()->addZone(zone); });
        if (!finish.applied)
            qWarning("zone %s not added: %s", qPrintable(name), qPrintable(finish.message));
        return finish.applied ? zone : ZonePtr();
    }

    static QStringList ptrs(const ZonePtr& zone) {
        QStringList found;
        for (const DNSRecord& record : zone->records()) {
            if (record.type == DNSRecordType::PTR)
                found.append(record.name + u" → "_s + record.value);
        }
        return found;
    }

    static bool hasZone(DNSServerManager* manager, const QString& name) {
        for (const ZonePtr& zone : manager->zones()) {
            if (zone->name() == name)
                return true;
        }
        return false;
    }

    // The new-zone form over the window, "Reverse zone for a network" ticked and the network
    // typed.
    AddZoneView* reverseForm(const QString& prefix) {
        auto* form = new AddZoneView(manager(), m_host->window());
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        if (!QTest::qWaitForWindowExposed(form))
            qWarning("the form was not shown");
        click(form, u"reverseZoneCheck"_s);
        typeInto(child<QLineEdit>(form, u"reversePrefixField"_s), prefix);
        return form;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }
    void init() {
        m_host = std::make_unique<WindowHost>();
        QVERIFY(m_host->isReady());
        QVERIFY(addZone(u"example.com"_s));
    }
    void cleanup() {
        settle();
        m_host.reset();
    }

    void formCreatesReverseZone_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("zoneName");
        QTest::addColumn<QString>("picture");
        QTest::newRow("IPv4 /24") << u"192.0.2.0/24"_s << u"2.0.192.in-addr.arpa"_s
                                  << u"new-zone-reverse-ipv4"_s;
        QTest::newRow("IPv6 /48") << u"2001:db8::/48"_s << u"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa"_s
                                  << u"new-zone-reverse-ipv6"_s;
    }
    void formCreatesReverseZone() {
        QFETCH(QString, prefix);
        QFETCH(QString, zoneName);
        QFETCH(QString, picture);
        QPointer<AddZoneView> form = reverseForm(prefix);
        auto* name = child<QLineEdit>(form, u"zoneNameField"_s);
        QCOMPARE(name->text(), zoneName);
        QVERIFY(name->isReadOnly());
        QVERIFY(shows(form, "reverseZoneNameLabel"));
        QCOMPARE(labelText(form, "reverseZoneNameLabel"), u"Zone: "_s + zoneName);
        QVERIFY(!shows(form, "reversePrefixMessage"));
        // The forward zone's name server, not one inside the reverse zone.
        QCOMPARE(child<QLineEdit>(form, u"primaryNameServerField"_s)->text(),
                 u"ns1.example.com."_s);
        QVERIFY(!form->needsNameServerAddress());
        QVERIFY(child<QPushButton>(form, u"createButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(form, u"reverse"_s, picture));

        click(form, u"createButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(form.isNull() || !form->isVisible(), 20000);
        QVERIFY(hasZone(manager(), zoneName));
    }

    void formRefusesNetwork_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("message");
        QTest::newRow("v4 /25") << u"192.0.2.0/25"_s
                                << u"An IPv4 reverse zone is made for a /8, /16 or /24 network, "
                                   "not for /25"_s;
        QTest::newRow("host bits")
            << u"192.0.2.1/24"_s
            << u"192.0.2.1/24 has host bits set: the network is 192.0.2.0/24"_s;
        QTest::newRow("v6 /50") << u"2001:db8::/50"_s
                                << u"An IPv6 reverse zone is made for a network whose length is a "
                                   "multiple of 4 from /4 to /124, not for /50"_s;
        QTest::newRow("no address")
            << u"example/24"_s << u"'example' is not an IPv4 or IPv6 address"_s;
    }
    void formRefusesNetwork() {
        QFETCH(QString, prefix);
        QFETCH(QString, message);
        const qsizetype zones = manager()->zones().size();
        QPointer<AddZoneView> form = reverseForm(prefix);
        QVERIFY(shows(form, "reversePrefixMessage"));
        QCOMPARE(labelText(form, "reversePrefixMessage"), u"⚠️ "_s + message);
        QVERIFY(!shows(form, "reverseZoneNameLabel"));
        QVERIFY(child<QLineEdit>(form, u"zoneNameField"_s)->text().isEmpty());
        QVERIFY(!child<QPushButton>(form, u"createButton"_s)->isEnabled());
        if (QTest::currentDataTag() == QLatin1String("host bits"))
            QVERIFY(saveScreenshot(form, u"reverse"_s, u"new-zone-reverse-refused"_s));
        // Asked all the same, the form shows the reason and creates nothing.
        form->createDomain();
        QTRY_VERIFY(form->errorAlert());
        QCOMPARE(form->errorMessage(), message);
        QTest::qWait(100);
        QCOMPARE(manager()->zones().size(), zones);
        QVERIFY(!manager()->hasPendingChanges());
        form->close();
    }

    // "ask": the question follows the forward change; its answer is followed.
    void askQuestion_data() {
        QTest::addColumn<bool>("add");
        QTest::newRow("add") << true;
        QTest::newRow("don't add") << false;
    }
    void askQuestion() {
        QFETCH(bool, add);
        const ZonePtr reverse = addZone(u"2.0.192.in-addr.arpa"_s);
        QVERIFY(reverse);
        const ZonePtr forward = manager()->zones().first();
        QCOMPARE(PtrSync::policy(manager()->preferences()), PtrPolicy::ask);
        const Finish finish = finishOf(manager(), [&] {
            return manager()->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300), forward);
        });
        QVERIFY2(finish.applied, qPrintable(finish.message));
        PtrQuestionDialog* question = nullptr;
        QTRY_VERIFY((question = m_host->find<PtrQuestionDialog>(u"ptrQuestionDialog"_s)) &&
                    question->isVisible());
        QCOMPARE(question->text(), u"Add the PTR record for 192.0.2.10 → www.example.com.?"_s);
        QVERIFY(question->informativeText().contains(u"2.0.192.in-addr.arpa"_s));
        QVERIFY(question->informativeText().contains(u"10 → www.example.com."_s));
        QVERIFY(ptrs(reverse).isEmpty());
        if (add)
            QVERIFY(saveScreenshot(m_host->window(), u"reverse"_s, u"ptr-question-window"_s));
        QVERIFY(saveScreenshot(question, u"reverse"_s, u"ptr-question"_s));
        QSignalSpy ptrChanges(manager()->ptrSync(), &PtrSync::ptrChangeFinished);
        click(question, add ? u"ptrAddButton"_s : u"ptrSkipButton"_s);
        if (add) {
            QTRY_COMPARE_WITH_TIMEOUT(ptrChanges.size(), 1, 10000);
            QVERIFY(ptrChanges.first().at(1).toBool());
            QCOMPARE(ptrs(reverse), QStringList{u"10 → www.example.com."_s});
        } else {
            QTest::qWait(200);
            QCOMPARE(ptrChanges.size(), 0);
            QVERIFY(ptrs(reverse).isEmpty());
            QVERIFY(logMessages(*manager())
                        .contains(u"PTR record for 192.0.2.10 (www.example.com.) not added: "
                                  "declined"_s));
        }
        QTRY_VERIFY(!m_host->find<PtrQuestionDialog>(u"ptrQuestionDialog"_s));
    }

    // A PTR the checker refuses is shown over the window; the A record stays.
    void failureIsShown() {
        const ZonePtr reverse = addZone(
            u"2.0.192.in-addr.arpa"_s,
            {DNSRecord(u"13"_s, DNSRecordType::CNAME, u"13.0-127.2.0.192.in-addr.arpa."_s, 300)});
        QVERIFY(reverse);
        PtrSync::setPolicy(manager()->preferences(), PtrPolicy::always);
        const ZonePtr forward = manager()->zones().first();
        const Finish finish = finishOf(manager(), [&] {
            return manager()->addRecord(a(u"mail"_s, u"192.0.2.13"_s, 300), forward);
        });
        QVERIFY(finish.applied);
        QMessageBox* alert = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (alert = m_host->find<QMessageBox>(u"ptrFailureAlert"_s)) && alert->isVisible(), 10000);
        QVERIFY2(alert->text().startsWith(u"Korvi could not add the PTR record '13'"_s),
                 qPrintable(alert->text()));
        QVERIFY(alert->text().endsWith(u"The A record stays as it is."_s));
        QVERIFY(saveScreenshot(alert, u"reverse"_s, u"ptr-failure"_s));
        QVERIFY(recordNamed(forward, u"mail"_s));
        alert->close();
    }

    // The preference's card: the stored value shown, a choice stored at once.
    void preferenceCard() {
        PtrSettingsSection section(manager());
        showScreen(&section, QSize(700, 200));
        auto* combo = child<QComboBox>(&section, u"ptrPolicyCombo"_s);
        QCOMPARE(combo->currentData().toString(), u"ask"_s);
        QVERIFY(saveScreenshot(&section, u"reverse"_s, u"ptr-preference"_s));
        combo->setCurrentIndex(combo->findData(u"always"_s));
        QCOMPARE(PtrSync::policy(manager()->preferences()), PtrPolicy::always);
        combo->setCurrentIndex(combo->findData(u"never"_s));
        QCOMPARE(PtrSync::policy(manager()->preferences()), PtrPolicy::never);
        PtrSettingsSection again(manager());
        QCOMPARE(child<QComboBox>(&again, u"ptrPolicyCombo"_s)->currentData().toString(),
                 u"never"_s);
    }
};

QTEST_MAIN(TestReverseScreens)
#include "tst_reverse_screens.moc"
