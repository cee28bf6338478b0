// The screens of collecting changes: the settings section stores its choices and hands them to
// the repository (and keeps collecting while changes wait); the sidebar's "Apply (n changes)"
// counts them; its dialog shows each zone file's difference with the changed lines coloured,
// applies them (the file then holds the change) or discards them after a confirmation; quitting
// with collected changes asks first, without a nested event loop.
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>

#include "../operations/ChangeSupport.h"
#include "ScreenTestSupport.h"
#include "manager/ApplySettings.h"
#include "ui/apply/ApplyChangesButton.h"
#include "ui/apply/ApplyChangesDialog.h"

using namespace korvi;
using namespace korvi::test;

class TestApplyScreens : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHost> m_host;
    ZonePtr m_zone;

    DNSServerManager* manager() { return m_host->manager(); }
    ZoneRepository& repository() { return *manager()->zoneRepository(); }
    ApplyChangesButton* applyButton() {
        return m_host->find<ApplyChangesButton>(u"applyChangesButton"_s);
    }
    void collect(const std::function<ChangeId()>& start) {
        const Finish finish = finishOf(&repository(), start);
        QVERIFY2(finish.applied, qPrintable(finish.message));
    }
    void collectMail() {
        collect([&] { return repository().addRecord(a(u"mail"_s, u"192.0.2.25"_s, 300), m_zone); });
    }
    // A radio button reacts to clicks on its circle and its words, not the empty rest of its row.
    static void clickRadio(QRadioButton* radio) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
    }
    ApplyChangesDialog* openDialog() {
        QTest::mouseClick(applyButton(), Qt::LeftButton);
        ApplyChangesDialog* dialog = applyButton()->dialog();
        if (dialog && !QTest::qWaitForWindowExposed(dialog))
            qWarning("the dialog was not shown");
        return dialog;
    }

private Q_SLOTS:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
    }
    void init() {
        m_host = std::make_unique<WindowHost>();
        QVERIFY(m_host->isReady());
        m_zone = ZoneRepository::newZone(u"example.com"_s,
                                         manager()->layout().zoneDirectory + u"/db.example.com"_s,
                                         QString(), QString(), 2025030501, u"192.0.2.1"_s);
        m_zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        const Finish added = finishOf(manager(), [&] { return manager()->addZone(m_zone); });
        QVERIFY2(added.applied, qPrintable(added.message));
    }
    void cleanup() {
        if (m_host && m_host->window()->isVisible())
            repository().discardStaged();
        settle();
        m_zone.reset();
        m_host.reset();
    }

    // The section's choices reach the preferences and the repository; back to applying each
    // change at once is refused while a change waits, and the section says so.
    void settingsSection() {
        m_host->window()->setSelectedSection(Section::serverConfiguration);
        QWidget* screen = m_host->window()->currentScreen();
        auto* live = child<QRadioButton>(screen, u"applyLiveRadio"_s);
        auto* batch = child<QRadioButton>(screen, u"applyBatchRadio"_s);
        QVERIFY(live && batch);
        QVERIFY(live->isChecked());
        QCOMPARE(live->text(), u"Apply each change at once"_s);
        QCOMPARE(batch->text(), u"Collect changes and apply them together"_s);
        // The section sits low on the screen: scrolled into view, as a user would.
        auto* scroll = screen->findChild<QScrollArea*>();
        QVERIFY(scroll);
        scroll->ensureWidgetVisible(batch);
        QApplication::processEvents();
        clickRadio(batch);
        QVERIFY(repository().isBatchMode());
        QCOMPARE(manager()->preferences().data(ApplySettings::modeKey()), "batch"_ba);

        auto* limit = child<QSpinBox>(screen, u"servedLimitSpin"_s);
        auto* history = child<QSpinBox>(screen, u"historyPerZoneSpin"_s);
        QVERIFY(limit && history);
        QCOMPARE(limit->value(), 10);
        QCOMPARE(history->value(), 50);
        QCOMPARE(limit->maximum(), 60);
        QCOMPARE(history->maximum(), 1000);
        limit->setValue(25);
        history->setValue(200);
        QCOMPARE(repository().servedLimit(), 25000);
        QCOMPARE(manager()->preferences().data(ApplySettings::servedLimitKey()), "25"_ba);
        QCOMPARE(manager()->preferences().data(ApplySettings::historyPerZoneKey()), "200"_ba);

        collectMail();
        clickRadio(live);
        QVERIFY(repository().isBatchMode());
        QVERIFY(batch->isChecked());
        QVERIFY(shows(screen, "applyModeMessage"));
        QVERIFY(labelText(screen, "applyModeMessage").contains(u"1 change is collected"_s));
        QCOMPARE(manager()->preferences().data(ApplySettings::modeKey()), "batch"_ba);
        auto* section = child<QWidget>(screen, u"applySettingsSection"_s);
        QVERIFY(section);
        QVERIFY(saveScreenshot(section, u"apply"_s, u"settings-refused"_s));

        repository().discardStaged();
        clickRadio(live);
        QVERIFY(!repository().isBatchMode());
        QVERIFY(!shows(screen, "applyModeMessage"));
        QCOMPARE(manager()->preferences().data(ApplySettings::modeKey()), "live"_ba);
    }

    // The button counts the collected changes, from any screen; the dialog shows the file's
    // difference with the removed and added lines in their colours; Apply writes the file and
    // the button goes away.
    void countAndApply() {
        QVERIFY(repository().setBatchMode(true));
        QVERIFY(!applyButton()->isVisible());
        collectMail();
        QVERIFY(applyButton()->isVisible());
        QCOMPARE(applyButton()->text(), u"Apply (1 change)"_s);
        DNSRecord www = *recordNamed(m_zone, u"www"_s);
        www.value = u"192.0.2.99"_s;
        collect([&] { return repository().updateRecord(www, m_zone); });
        QCOMPARE(applyButton()->text(), u"Apply (2 changes)"_s);
        m_host->window()->setSelectedSection(Section::logs);
        QVERIFY(applyButton()->isVisible());
        m_host->window()->setSelectedSection(Section::dnsRecords);
        QVERIFY(saveScreenshot(m_host->window(), u"apply"_s, u"window-two-changes"_s));

        ApplyChangesDialog* dialog = openDialog();
        QVERIFY(dialog);
        auto* diff = child<QTextEdit>(dialog, u"diffView"_s);
        QVERIFY(diff);
        const QString text = diff->toPlainText();
        QVERIFY2(text.contains(u"+mail\t300\tIN\tA\t192.0.2.25"_s), qPrintable(text));
        QVERIFY(text.contains(u"-www\t300\tIN\tA\t192.0.2.10"_s));
        QVERIFY(text.contains(u"+www\t300\tIN\tA\t192.0.2.99"_s));
        QVERIFY(text.contains(u"A record 'mail' added to zone 'example.com'"_s));
        const QString html = ApplyChangesDialog::differenceHtml(repository().stagedFiles());
        QVERIFY(html.contains(ApplyChangesDialog::addedColor().name() +
                              u"\">+mail\t300\tIN\tA\t192.0.2.25"_s));
        QVERIFY(html.contains(ApplyChangesDialog::removedColor().name() +
                              u"\">-www\t300\tIN\tA\t192.0.2.10"_s));
        QVERIFY(saveScreenshot(dialog, u"apply"_s, u"dialog-diff"_s));

        QSignalSpy finished(dialog, &ApplyChangesDialog::applyFinished);
        click(dialog, u"applyButton"_s);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QVERIFY2(finished.first().at(0).toBool(), qPrintable(finished.first().at(1).toString()));
        QVERIFY(labelText(dialog, "applyOutcomeLabel").startsWith(u"✅"_s));
        QVERIFY(readFile(m_zone->filePath()).contains("mail\t300\tIN\tA\t192.0.2.25"));
        QVERIFY(readFile(m_zone->filePath()).contains("www\t300\tIN\tA\t192.0.2.99"));
        QVERIFY(!applyButton()->isVisible());
        QVERIFY(saveScreenshot(dialog, u"apply"_s, u"dialog-applied"_s));
        click(dialog, u"cancelApplyButton"_s);
        QTRY_VERIFY(!applyButton()->dialog());
    }

    // An apply that fails shows the reason in the dialog and keeps the changes collected, so
    // that Apply can be tried again.
    void failedApplyKeepsChanges() {
        QVERIFY(repository().setBatchMode(true));
        collectMail();
        // A folder where the zone's file should be: the write cannot happen.
        QVERIFY(QFile::remove(m_zone->filePath()));
        QVERIFY(QDir().mkdir(m_zone->filePath()));
        ApplyChangesDialog* dialog = openDialog();
        QVERIFY(dialog);
        QSignalSpy finished(dialog, &ApplyChangesDialog::applyFinished);
        click(dialog, u"applyButton"_s);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QVERIFY(!finished.first().at(0).toBool());
        const QString outcome = labelText(dialog, "applyOutcomeLabel");
        QVERIFY2(outcome.startsWith(u"❌ The file of zone 'example.com' was not written"_s),
                 qPrintable(outcome));
        QVERIFY(outcome.contains(u"The changes are still collected"_s));
        QCOMPARE(repository().stagedChangeCount(), 1);
        QVERIFY(child<QPushButton>(dialog, u"applyButton"_s)->isEnabled());
        QVERIFY(applyButton()->isVisible());
        QVERIFY(recordNamed(m_zone, u"mail"_s));
        QVERIFY(saveScreenshot(dialog, u"apply"_s, u"dialog-failed"_s));
        click(dialog, u"cancelApplyButton"_s);
        QTRY_VERIFY(!applyButton()->dialog());
        QVERIFY(QDir(m_zone->filePath()).removeRecursively());
    }

    // Discard All asks first: Cancel keeps the changes, Discard puts the zone back.
    void discardAll() {
        QVERIFY(repository().setBatchMode(true));
        const QByteArray recordsBefore = recordsText(m_zone->records());
        collectMail();
        ApplyChangesDialog* dialog = openDialog();
        QVERIFY(dialog);
        click(dialog, u"discardAllButton"_s);
        QTRY_VERIFY(dialog->discardConfirmation() && dialog->discardConfirmation()->isVisible());
        QVERIFY(saveScreenshot(dialog->discardConfirmation(), u"apply"_s, u"discard-confirm"_s));
        click(dialog->discardConfirmation(), u"discardCancelButton"_s);
        QTRY_VERIFY(!dialog->discardConfirmation());
        QCOMPARE(repository().stagedChangeCount(), 1);
        click(dialog, u"discardAllButton"_s);
        QTRY_VERIFY(dialog->discardConfirmation() && dialog->discardConfirmation()->isVisible());
        click(dialog->discardConfirmation(), u"discardConfirmButton"_s);
        QTRY_VERIFY(!applyButton()->dialog());
        QCOMPARE(repository().stagedChangeCount(), 0);
        QCOMPARE(recordsText(m_zone->records()), recordsBefore);
        QVERIFY(!applyButton()->isVisible());
    }

    // Quitting with a collected change asks; Cancel stays open; Apply or Discard then closes the
    // window, with the file holding the change or not.
    void quitAsks_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("apply") << u"applyOnQuitButton"_s << true;
        QTest::newRow("discard") << u"discardOnQuitButton"_s << false;
    }
    void quitAsks() {
        QFETCH(QString, answer);
        QFETCH(bool, written);
        QVERIFY(repository().setBatchMode(true));
        collectMail();
        MainWindow* window = m_host->window();
        const auto box = [window] {
            auto* found = window->findChild<QMessageBox*>(u"stagedChangesOnQuitBox"_s);
            return found && found->isVisible() ? found : nullptr;
        };
        window->close();
        QTRY_VERIFY(box());
        QVERIFY(saveScreenshot(box(), u"apply"_s, u"quit-question"_s));
        click(box(), u"cancelStagedQuitButton"_s);
        QTRY_VERIFY(!box());
        QVERIFY(window->isVisible());
        QCOMPARE(repository().stagedChangeCount(), 1);
        window->close();
        QTRY_VERIFY(box());
        click(box(), answer);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 20000);
        QCOMPARE(repository().stagedChangeCount(), 0);
        QCOMPARE(readFile(m_zone->filePath()).contains("192.0.2.25"), written);
    }
};

QTEST_MAIN(TestApplyScreens)
#include "tst_apply_screens.moc"
