// The logs screen: the empty state, the list that follows the log (lines
// added, oldest dropped, cleared), selection and copy, and a list that does
// not scroll by itself.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>

#include "WindowTestSupport.h"
#include "manager/DNSServerManager.h"
#include "ui/LogsView.h"

using namespace korvi;
using namespace korvi::test;

class LogsViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<LogsView> m_view;

    QListView* list() const { return m_view->findChild<QListView*>(QStringLiteral("logsList")); }
    QWidget* shownPanel() const { return m_view->findChild<QStackedWidget*>()->currentWidget(); }
    QStringList rows() const {
        QStringList texts;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            texts.append(list()->model()->index(row, 0).data().toString());
        return texts;
    }
    void openView() {
        m_view = std::make_unique<LogsView>(m_manager.get());
        m_view->resize(800, 500);
        m_view->show();
    }

private Q_SLOTS:
    void init() { m_manager = makeManager(m_dir.path(), isolatedLayout(m_dir.path())); }
    void cleanup() {
        m_view.reset();
        m_manager.reset();
    }

    // Before the first line reaches the log, the empty panel is shown; the
    // list takes over as soon as lines arrive.
    void emptyStateUntilTheFirstLine() {
        QVERIFY(m_manager->logs().isEmpty());
        openView();
        QCOMPARE(shownPanel()->objectName(), QStringLiteral("emptyLogsPanel"));
        QVERIFY(m_view->findChild<QLabel*>(QStringLiteral("noLogsTitle"))->isVisible());
        QCOMPARE(m_view->findChild<QLabel*>(QStringLiteral("noLogsTitle"))->text(),
                 QStringLiteral("No Logs Available"));
        saveScreenshot(m_view.get(), QStringLiteral("logs-screen"), QStringLiteral("empty"));
        QVERIFY(waitForDetections(*m_manager));
        QCOMPARE(shownPanel()->objectName(), QStringLiteral("logsPanel"));
        QCOMPARE(rows(), m_manager->logs());
        QVERIFY(QFontInfo(list()->font()).fixedPitch());
        saveScreenshot(m_view.get(), QStringLiteral("logs-screen"), QStringLiteral("lines"));
    }

    void clearLeavesOneLine() {
        QVERIFY(waitForDetections(*m_manager));
        openView();
        QVERIFY(rows().size() > 3);
        QTest::mouseClick(m_view->findChild<QPushButton*>(QStringLiteral("clearLogsButton")),
                          Qt::LeftButton);
        QTRY_COMPARE(rows().size(), 1);
        const LogEntry entry = parseLogLine(rows().first());
        QCOMPARE(entry.level, std::optional<LogLevel>(LogLevel::info));
        QCOMPARE(entry.message, QStringLiteral("Application logs cleared by user"));
        QCOMPARE(shownPanel()->objectName(), QStringLiteral("logsPanel"));
        saveScreenshot(m_view.get(), QStringLiteral("logs-screen"), QStringLiteral("cleared"));
    }

    // The list stays the log's mirror when the log is full and each new line
    // pushes the oldest out, and the selection stays on the same lines.
    void followsTheLogAtItsSize() {
        QVERIFY(waitForDetections(*m_manager));
        openView();
        for (int i = rows().size(); i < DNSServerManager::maximumLogLines; ++i)
            m_manager->addLog(QStringLiteral("filler %1").arg(i), LogLevel::debug);
        QTRY_COMPARE(rows().size(), DNSServerManager::maximumLogLines);
        const QString kept = rows().at(10);
        list()->selectionModel()->select(list()->model()->index(10, 0),
                                         QItemSelectionModel::Select);
        for (int i = 0; i < 5; ++i)
            m_manager->addLog(QStringLiteral("overflow %1").arg(i), LogLevel::info);
        QTRY_VERIFY(rows().last().endsWith(QStringLiteral("overflow 4")));
        QCOMPARE(rows(), m_manager->logs());
        QCOMPARE(m_view->selectedText(), kept);
        QCOMPARE(list()->selectionModel()->selectedRows().first().row(), 5);
    }

    void copiesTheSelectedLines() {
        QVERIFY(waitForDetections(*m_manager));
        openView();
        const QStringList lines = rows();
        QVERIFY(lines.size() >= 4);
        const QRect first = list()->visualRect(list()->model()->index(1, 0));
        const QRect third = list()->visualRect(list()->model()->index(3, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
        QCOMPARE(m_view->selectedText(), lines[1] + u'\n' + lines[3]);
        QApplication::clipboard()->clear();
        list()->setFocus();
        QTest::keySequence(list(), QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), lines[1] + u'\n' + lines[3]);
    }

    // New lines never move the list: neither from the top, nor from the
    // middle, nor from the end.
    void doesNotScrollByItself() {
        QVERIFY(waitForDetections(*m_manager));
        openView();
        for (int i = 0; i < 120; ++i)
            m_manager->addLog(QStringLiteral("line %1").arg(i), LogLevel::info);
        QTRY_VERIFY(rows().size() > 120);
        QScrollBar* bar = list()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);

        for (int position : {bar->maximum() / 2, bar->maximum()}) {
            bar->setValue(position);
            const int count = rows().size();
            const int maximum = bar->maximum();
            m_manager->addLog(QStringLiteral("one more"), LogLevel::info);
            QTRY_COMPARE(rows().size(), count + 1);
            QTRY_VERIFY(bar->maximum() > maximum);
            QCOMPARE(bar->value(), position);
        }
        m_manager->addLog(QStringLiteral("and another"), LogLevel::info);
        QTRY_VERIFY(rows().last().endsWith(QStringLiteral("and another")));
        bar->setValue(0);
        m_manager->addLog(QStringLiteral("last"), LogLevel::info);
        QTRY_VERIFY(rows().last().endsWith(QStringLiteral("last")));
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(LogsViewTest)
#include "tst_logsview.moc"
