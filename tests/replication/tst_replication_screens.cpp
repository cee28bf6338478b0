// The secondaries dialog, driven as a person would: a key created through tsig-keygen, its
// secret shown only on request, a secondary added and refused, and the setup text for the
// secondary copied to the clipboard exactly as Korvi produces it.
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include "BindCheckers.h"
#include "ScreenTestSupport.h"
#include "manager/ReplicationService.h"
#include "model/TsigKeyFile.h"
#include "ui/configuration/DNSConfigView.h"
#include "ui/replication/ReplicationDialog.h"
#include "ui/replication/SecondarySetupDialog.h"

using namespace korvi;
using namespace korvi::test;

class TestReplicationScreens : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<DNSConfigView> m_view;
    QPointer<ReplicationDialog> m_dialog;

    // Clicks a button of the dialog and waits for the service's one finished().
    std::pair<bool, QString> clickAndWait(const QString& name) {
        QSignalSpy spy(m_manager->replication(), &ReplicationService::finished);
        click(m_dialog, name);
        if (!spy.wait(20000))
            return {false, u"no finished()"_s};
        return {spy.first().at(0).toBool(), spy.first().at(1).toString()};
    }

    QStringList listTexts(const char* name) {
        QStringList texts;
        const auto* list = child<QListWidget>(m_dialog, QLatin1String(name));
        for (int i = 0; list && i < list->count(); ++i)
            texts.append(list->item(i)->text());
        return texts;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled() || !QFileInfo(u"/usr/sbin/tsig-keygen"_s).isExecutable())
            QSKIP("BIND's programs are not installed");
        m_manager = screenManager(m_dir.path(), ServerStatus::stopped);
        m_view = std::make_unique<DNSConfigView>(m_manager.get());
        showScreen(m_view.get());
        // The configuration screen has one button for secondaries; it opens the dialog.
        click(m_view.get(), u"replicationButton"_s);
        QTRY_VERIFY(m_view->findChild<ReplicationDialog*>(u"replicationDialog"_s));
        m_dialog = m_view->findChild<ReplicationDialog*>(u"replicationDialog"_s);
        QTRY_VERIFY(m_dialog->isVisible());
        QVERIFY(saveScreenshot(m_dialog, u"replication"_s, u"01-empty"_s));
    }
    void cleanupTestCase() {
        m_view.reset();
        m_manager.reset();
    }

    void createKeyRefusesBadNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("space") << u"two words"_s;
        QTest::newRow("quote") << u"a\"b"_s;
    }
    void createKeyRefusesBadNames() {
        QFETCH(QString, name);
        child<QLineEdit>(m_dialog, u"newKeyNameField"_s)->setText(name);
        const auto [ok, message] = clickAndWait(u"createKeyButton"_s);
        QVERIFY(!ok);
        QVERIFY(labelText(m_dialog, "replicationMessage").startsWith(u"❌"_s));
        QCOMPARE(listTexts("keyList"), QStringList());
        QVERIFY(!QFileInfo::exists(m_manager->replication()->keyFilePath()));
    }

    void createsKeyAndShowsSecretOnRequest() {
        typeInto(child<QLineEdit>(m_dialog, u"newKeyNameField"_s), u"korvi-secondary"_s);
        const auto [ok, message] = clickAndWait(u"createKeyButton"_s);
        QVERIFY2(ok, qPrintable(message));
        QCOMPARE(listTexts("keyList"), QStringList{u"korvi-secondary"_s});
        const std::optional<TsigKey> key = m_manager->replication()->key(u"korvi-secondary"_s);
        QVERIFY(key);
        // The list shows names only; the secret appears once asked for.
        QVERIFY(!labelText(m_dialog, "secretLabel").contains(key->secret));
        clickRow(child<QListWidget>(m_dialog, u"keyList"_s), 0);
        click(m_dialog, u"showSecretButton"_s);
        QVERIFY(labelText(m_dialog, "secretLabel").contains(key->secret));
        QVERIFY(saveScreenshot(m_dialog, u"replication"_s, u"02-key-secret"_s));
        QVERIFY(!logMessages(*m_manager).join(u'\n').contains(key->secret));
    }

    void addSecondary_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("added");
        QTest::newRow("host name instead of address") << u"s1"_s << u"ns2.example"_s << false;
        QTest::newRow("no name") << QString() << u"192.0.2.2"_s << false;
        QTest::newRow("good") << u"s1"_s << u"192.0.2.2"_s << true;
    }
    void addSecondary() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(bool, added);
        child<QLineEdit>(m_dialog, u"secondaryNameField"_s)->setText(name);
        child<QLineEdit>(m_dialog, u"secondaryAddressField"_s)->setText(address);
        child<QSpinBox>(m_dialog, u"secondaryPortField"_s)->setValue(5353);
        QCOMPARE(child<QComboBox>(m_dialog, u"secondaryKeyPicker"_s)->currentText(),
                 u"korvi-secondary"_s);
        const auto [ok, message] = clickAndWait(u"addSecondaryButton"_s);
        QCOMPARE(ok, added);
        const QByteArray conf = readFile(m_manager->namedConfigPath());
        if (!added) {
            QCOMPARE(listTexts("secondaryList"), QStringList());
            QVERIFY(!conf.contains("catalog.korvi.invalid"));
            return;
        }
        QCOMPARE(listTexts("secondaryList"),
                 QStringList{u"s1 — 192.0.2.2 port 5353, key korvi-secondary"_s});
        // The configuration saved through the checked save names the key file and the catalog.
        QVERIFY(conf.contains("zone \"catalog.korvi.invalid\""));
        QVERIFY(conf.contains(
            ("include \"" + m_manager->replication()->keyFilePath() + "\";").toUtf8()));
        QVERIFY(QFileInfo::exists(m_manager->replication()->catalogFilePath()));
        QVERIFY(saveScreenshot(m_dialog, u"replication"_s, u"03-secondary"_s));
    }

    // The key a secondary uses cannot be deleted.
    void keyInUseIsKept() {
        clickRow(child<QListWidget>(m_dialog, u"keyList"_s), 0);
        const auto [ok, message] = clickAndWait(u"deleteKeyButton"_s);
        QVERIFY(!ok);
        QVERIFY2(message.contains(u"in use"_s), qPrintable(message));
        QCOMPARE(listTexts("keyList"), QStringList{u"korvi-secondary"_s});
    }

    // The setup dialog shows Korvi's text for the secondary; Copy puts exactly it on the
    // clipboard; another primary address changes the text, a bad one gives none.
    void setupTextCopied() {
        clickRow(child<QListWidget>(m_dialog, u"secondaryList"_s), 0);
        click(m_dialog, u"secondarySetupButton"_s);
        QTRY_VERIFY(m_dialog->findChild<SecondarySetupDialog*>(u"secondarySetupDialog"_s));
        auto* setup = m_dialog->findChild<SecondarySetupDialog*>(u"secondarySetupDialog"_s);
        QTRY_VERIFY(setup->isVisible());
        auto* address = child<QLineEdit>(setup, u"primaryAddressField"_s);
        address->setText(u"198.51.100.7"_s);
        const std::optional<QString> expected =
            m_manager->replication()->secondarySnippet(u"s1"_s, u"198.51.100.7"_s);
        QVERIFY(expected);
        QCOMPARE(setup->snippet(), *expected);
        QVERIFY(expected->contains(u"default-primaries { 198.51.100.7 port "_s));
        QVERIFY(saveScreenshot(setup, u"replication"_s, u"04-setup"_s));
        QGuiApplication::clipboard()->clear();
        click(setup, u"copySnippetButton"_s);
        QCOMPARE(QGuiApplication::clipboard()->text(), *expected);
        address->setText(u"not an address"_s);
        QVERIFY(!setup->snippet().contains(u"key \""_s));
        setup->close();
    }

    void removesSecondary() {
        clickRow(child<QListWidget>(m_dialog, u"secondaryList"_s), 0);
        const auto [ok, message] = clickAndWait(u"removeSecondaryButton"_s);
        QVERIFY2(ok, qPrintable(message));
        QCOMPARE(listTexts("secondaryList"), QStringList());
        // With no secondary left, the configuration has no catalog.
        QVERIFY(!readFile(m_manager->namedConfigPath()).contains("catalog.korvi.invalid"));
        // Now the key may go.
        clickRow(child<QListWidget>(m_dialog, u"keyList"_s), 0);
        const auto deleted = clickAndWait(u"deleteKeyButton"_s);
        QVERIFY2(deleted.first, qPrintable(deleted.second));
        QCOMPARE(listTexts("keyList"), QStringList());
    }
};

QTEST_MAIN(TestReplicationScreens)
#include "tst_replication_screens.moc"
