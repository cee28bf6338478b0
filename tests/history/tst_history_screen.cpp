// The History screen driven as a user would: the applied changes listed newest first (and
// narrowed to one zone), the selected change's comparison with the changed line removed in
// red and added in green, and Restore, which asks first, does nothing when cancelled, and
// shows how the restore ended (its own message when it was not applied).
#include <QtTest>

#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>

#include "../operations/ChangeSupport.h"
#include "ScreenTestSupport.h"
#include "manager/ChangeHistory.h"
#include "ui/history/HistoryView.h"
#include "ui/widgets/Palette.h"

using namespace korvi;
using namespace korvi::test;

class HistoryScreenTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    ZonePtr m_zone;

    bool historySettled() {
        return QTest::qWaitFor(
            [&] {
                return !m_manager->hasPendingChanges() &&
                       !m_manager->changeHistory()->hasPendingWrites();
            },
            10000);
    }
    void apply(const std::function<ChangeId()>& start) {
        const Finish finish = finishOf(m_manager.get(), start);
        QVERIFY2(finish.applied, qPrintable(finish.message));
        QVERIFY(historySettled());
    }
    void setWww(const QString& address) {
        apply([&] {
            DNSRecord www = *recordNamed(m_zone, u"www"_s);
            www.value = address;
            return m_manager->updateRecord(www, m_zone);
        });
    }
    // The confirmation the Restore button opens, once it is shown.
    QMessageBox* confirmation(HistoryView& view) {
        click(&view, u"restoreSnapshotButton"_s);
        if (!QTest::qWaitFor(
                [&] {
                    return view.restoreConfirmation() && view.restoreConfirmation()->isVisible();
                },
                3000))
            return nullptr;
        return view.restoreConfirmation();
    }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed at /usr/bin");
        m_manager = screenManager(m_dir.path(), ServerStatus::running);
        QVERIFY(waitForStorage(*m_manager));
        m_zone = ZoneRepository::newZone(u"example.com"_s,
                                         m_manager->layout().zoneDirectory + u"/db.example.com"_s,
                                         QString(), QString(), 2026010101, u"192.0.2.53"_s);
        m_zone->addRecord(a(u"www"_s, u"192.0.2.10"_s, 300));
        apply([&] { return m_manager->addZone(m_zone); });
        const ZonePtr other = ZoneRepository::newZone(
            u"example.org"_s, m_manager->layout().zoneDirectory + u"/db.example.org"_s, QString(),
            QString(), 2026010101, u"192.0.2.54"_s);
        apply([&] { return m_manager->addZone(other); });
        setWww(u"192.0.2.1"_s);
        setWww(u"192.0.2.2"_s);
    }
    void cleanupTestCase() {
        settle();
        m_manager.reset();
    }

    // Newest first, each with its zone and the log's phrase; the filter narrows to one zone.
    void listsTheChanges() {
        HistoryView view(m_manager.get());
        showScreen(&view);
        auto* list = child<QListWidget>(&view, u"historyList"_s);
        QTRY_COMPARE(list->count(), 4);
        QVERIFY(list->item(0)->text().contains(u"example.com"_s));
        QVERIFY(list->item(0)->text().contains(u"A record 'www' updated in zone 'example.com'"_s));
        QVERIFY(list->item(2)->text().contains(u"Zone 'example.org' added"_s));
        QVERIFY(list->item(3)->text().contains(u"Zone 'example.com' added"_s));
        QVERIFY(!shows(&view, "noHistoryLabel"));
        QVERIFY(!child<QPushButton>(&view, u"restoreSnapshotButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(&view, u"history"_s, u"history-list"_s));

        auto* filter = child<QComboBox>(&view, u"historyZoneFilter"_s);
        QCOMPARE(filter->count(), 3); // all, example.com, example.org
        filter->setCurrentIndex(filter->findData(u"example.org"_s));
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().contains(u"Zone 'example.org' added"_s));
        filter->setCurrentIndex(0);
        QCOMPARE(list->count(), 4);
    }

    // The selected change's comparison: the old address on a removed line in red, the new one
    // on an added line in green, in a fixed-width face.
    void showsTheDiff() {
        HistoryView view(m_manager.get());
        showScreen(&view);
        auto* list = child<QListWidget>(&view, u"historyList"_s);
        QTRY_COMPARE(list->count(), 4);
        clickRow(list, 0);
        auto* diff = child<QTextEdit>(&view, u"historyDiff"_s);
        QTRY_VERIFY(diff->toPlainText().contains(u"@@"_s));
        const QStringList lines = diff->toPlainText().split(u'\n');
        const auto changed = [&](QChar sign, const QString& address) {
            return std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
                return line.startsWith(sign) && line.contains(u"www"_s) && line.contains(address);
            });
        };
        QVERIFY(changed(u'-', u"192.0.2.1"_s));
        QVERIFY(changed(u'+', u"192.0.2.2"_s));
        QVERIFY(!changed(u'-', u"192.0.2.10"_s));
        const QString html = diff->toHtml();
        QVERIFY(html.contains(namedColor(NamedColor::red).name(), Qt::CaseInsensitive));
        QVERIFY(html.contains(namedColor(NamedColor::green).name(), Qt::CaseInsensitive));
        QVERIFY(QFontInfo(diff->font()).fixedPitch());
        QVERIFY(child<QPushButton>(&view, u"restoreSnapshotButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(&view, u"history"_s, u"history-diff"_s));
    }

    // Restore asks first; Cancel changes nothing; confirming puts www back to .1 and says so.
    void restoreWithConfirmation() {
        HistoryView view(m_manager.get());
        showScreen(&view);
        auto* list = child<QListWidget>(&view, u"historyList"_s);
        QTRY_COMPARE(list->count(), 4);
        clickRow(list, 0);
        QMessageBox* box = confirmation(view);
        QVERIFY(box);
        QVERIFY(box->text().contains(u"Put zone 'example.com' back"_s));
        QVERIFY(saveScreenshot(box, u"history"_s, u"history-confirmation"_s));
        click(box, u"cancelRestoreButton"_s);
        QTest::qWait(100);
        QVERIFY(!m_manager->hasPendingChanges());
        QCOMPARE(recordNamed(m_zone, u"www"_s)->value, u"192.0.2.2"_s);

        box = confirmation(view);
        QVERIFY(box);
        click(box, u"confirmRestoreButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(labelText(&view, "restoreOutcomeLabel").startsWith(u"✅"_s), 10000);
        QCOMPARE(recordNamed(m_zone, u"www"_s)->value, u"192.0.2.1"_s);
        QVERIFY(historySettled());
        QTRY_COMPARE(list->count(), 5);
        QVERIFY(list->item(0)->text().contains(u"restored to the state before the change"_s));
        QVERIFY(saveScreenshot(&view, u"history"_s, u"history-restored"_s));
    }

    // A restore the server does not take (its reload fails) is rolled back, and the screen
    // shows the change's own message.
    void failedRestoreShowsItsMessage() {
        HistoryView view(m_manager.get());
        showScreen(&view);
        auto* list = child<QListWidget>(&view, u"historyList"_s);
        QTRY_VERIFY(list->count() >= 4);
        writeFile(m_dir.path(), u"bin/reload"_s,
                  "#!/bin/sh\necho 'rndc: reload failed: out of luck' >&2\nexit 1\n", true);
        m_manager->setServerStatus(ServerStatus::running); // a pretence: no server is there
        clickRow(list, 1);
        QMessageBox* box = confirmation(view);
        QVERIFY(box);
        click(box, u"confirmRestoreButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(labelText(&view, "restoreOutcomeLabel").startsWith(u"❌"_s), 10000);
        writeFile(m_dir.path(), u"bin/reload"_s, "#!/bin/sh\nexit 0\n", true);
        qInfo("%s", qPrintable(labelText(&view, "restoreOutcomeLabel")));
        QVERIFY(labelText(&view, "restoreOutcomeLabel").contains(u"not applied"_s));
        QCOMPARE(recordNamed(m_zone, u"www"_s)->value, u"192.0.2.1"_s);
        QVERIFY(saveScreenshot(&view, u"history"_s, u"history-restore-failed"_s));
    }
};

QTEST_MAIN(HistoryScreenTest)
#include "tst_history_screen.moc"
