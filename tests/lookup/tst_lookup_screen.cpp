// The Lookup screen against a named of the test's own: Korvi's server is the default, a typed
// server is asked instead, the status, flags, time and the sections show as dig prints them, a
// server that cannot be read is refused before anything is asked, a dead port says so; and from
// the records screen, "Look Up" on a record opens the Lookup screen asking for exactly that name
// and type, and the record-set copy puts the zone-file lines on the clipboard.
#include <QClipboard>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

#include "../status/NamedSandbox.h"
#include "ScreenTestSupport.h"
#include "manager/ZoneImport.h"
#include "ui/lookup/LookupView.h"
#include "ui/records/DNSRecordView.h"
#include "ui/records/RecordTableModel.h"
#include "ui/records/RecordTableView.h"

using namespace korvi;
using namespace korvi::test;

class TestLookupScreen : public QObject {
    Q_OBJECT

    NamedSandbox m_named;
    QTemporaryDir m_root;

    // A manager whose own server is the sandbox named, and that believes it runs.
    std::unique_ptr<DNSServerManager> manager() {
        makeHostFolders(m_root.path());
        pretendReload(m_root.path());
        SystemLayout layout = isolatedLayout(m_root.path());
        layout.serverAddress = u"127.0.0.1"_s;
        layout.serverPort = m_named.port();
        auto manager = makeManager(m_root.path(), layout);
        withoutServedCheck(*manager);
        if (!waitForDetections(*manager))
            qWarning("start-up detections did not report in time");
        manager->setServerStatus(ServerStatus::running);
        return manager;
    }

    static bool waitForResult(LookupView& view) {
        return QTest::qWaitFor([&] { return !view.isAsking(); }, 5000);
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        QVERIFY(m_named.prepare());
        if (!m_named.start())
            QSKIP("named is not installed");
        QVERIFY2(m_named.waitUntilServing(), qPrintable(m_named.output()));
    }
    void cleanupTestCase() { m_named.stop(); }

    void lookupScreen() {
        auto m = manager();
        LookupView view(m.get());
        showScreen(&view, QSize(1000, 640));
        auto* server = child<QLineEdit>(&view, u"lookupServerField"_s);
        auto* name = child<QLineEdit>(&view, u"lookupNameField"_s);
        auto* type = child<QComboBox>(&view, u"lookupTypeBox"_s);
        auto* result = child<QPlainTextEdit>(&view, u"lookupResultText"_s);
        QVERIFY(server && name && type && result);
        QCOMPARE(server->placeholderText(), u"Korvi's server (127.0.0.1:%1)"_s.arg(m_named.port()));
        QVERIFY(saveScreenshot(&view, u"lookup"_s, u"empty"_s));

        // Korvi's own server, two addresses.
        typeInto(name, u"www.example.test"_s);
        type->setCurrentText(u"A"_s);
        click(&view, u"lookupButton"_s);
        QVERIFY(view.isAsking());
        QVERIFY(waitForResult(view));
        QCOMPARE(labelText(&view, "lookupStatusLabel"), u"NOERROR"_s);
        QCOMPARE(labelText(&view, "lookupFlagsLabel"), u"Flags: qr aa rd"_s);
        QVERIFY(labelText(&view, "lookupTimeLabel").endsWith(u" ms"_s));
        const QString text = result->toPlainText();
        QVERIFY2(text.contains(u";; ->>HEADER<<- status: NOERROR"_s), qPrintable(text));
        QVERIFY(text.contains(u";; ANSWER SECTION:\n"_s));
        QVERIFY(text.contains(u"www.example.test.\t3600\tIN\tA\t192.0.2.10\n"_s));
        QVERIFY(text.contains(u"www.example.test.\t3600\tIN\tA\t192.0.2.11\n"_s));
        QVERIFY(text.contains(u";; SERVER: 127.0.0.1#%1"_s.arg(m_named.port())));
        QVERIFY(saveScreenshot(&view, u"lookup"_s, u"answer"_s));

        // A typed server (the same named, port given), a missing name.
        typeInto(server, u"127.0.0.1:%1"_s.arg(m_named.port()));
        typeInto(name, u"nothing.example.test"_s);
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(waitForResult(view));
        QCOMPARE(labelText(&view, "lookupStatusLabel"), u"NXDOMAIN"_s);
        QVERIFY(result->toPlainText().contains(
            u";; AUTHORITY SECTION:\nexample.test.\t300\tIN\tSOA"_s));
        QVERIFY(saveScreenshot(&view, u"lookup"_s, u"nxdomain"_s));

        // A server that cannot be read: refused with the reason, nothing asked.
        typeInto(server, u"ns1.example.test"_s);
        click(&view, u"lookupButton"_s);
        QVERIFY(!view.isAsking());
        QVERIFY(shows(&view, "lookupProblemLabel"));
        QVERIFY(labelText(&view, "lookupProblemLabel")
                    .startsWith(u"\"ns1.example.test\" is not a server address"_s));

        // Nothing at the port: no response, said plainly, within the time limit.
        typeInto(server, u"127.0.0.1:%1"_s.arg(freePort()));
        typeInto(name, u"www.example.test"_s);
        QElapsedTimer clock;
        clock.start();
        click(&view, u"lookupButton"_s);
        QVERIFY(!shows(&view, "lookupProblemLabel"));
        QVERIFY(waitForResult(view));
        QVERIFY(clock.elapsed() < 4500);
        QCOMPARE(labelText(&view, "lookupStatusLabel"), u"No response"_s);
        QVERIFY(
            labelText(&view, "lookupFlagsLabel").startsWith(u"No answer from 127.0.0.1 port"_s));
        QVERIFY(saveScreenshot(&view, u"lookup"_s, u"no-response"_s));
    }

    // The records screen's menu on a record: copy its set, then look it up.
    void lookUpFromRecords() {
        auto m = manager();
        // The sandbox's own zone, imported into Korvi through the checked addition.
        const ZoneImportPreview preview =
            ZoneImportReader::fromFile(m_named.root() + u"/db.example.test"_s, u"example.test"_s);
        QVERIFY2(preview.ok, qPrintable(preview.error));
        ZoneImporter importer(m.get());
        QSignalSpy imported(&importer, &ZoneImporter::finished);
        QVERIFY(importer.import(preview) != 0);
        QTRY_COMPARE_WITH_TIMEOUT(imported.size(), 1, 20000);
        QVERIFY2(imported.first().at(1).toBool(), qPrintable(imported.first().at(2).toString()));

        MainWindow window(m.get());
        window.resize(1200, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setSelectedSection(Section::dnsRecords);
        auto* records = qobject_cast<DNSRecordView*>(window.currentScreen());
        QVERIFY(records);
        records->selectZone(m->zones().first()->id());
        records->setShowsTable(true);
        RecordTableView* table = records->recordTable();
        int row = -1;
        for (int i = 0; i < table->tableModel()->rowCount(); ++i) {
            const DNSRecord& r = table->tableModel()->recordAt(i);
            if (r.name == u"www" && r.type == DNSRecordType::A && r.value == u"192.0.2.11")
                row = i;
        }
        QVERIFY(row >= 0);
        table->selectRow(row);
        QMenu* menu = records->openRecordMenu(table->viewport()->mapToGlobal(
            table->visualRect(table->model()->index(row, 0)).center()));
        QVERIFY(menu);
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QVERIFY(saveScreenshot(&window, u"lookup"_s, u"record-menu"_s));

        auto* copySet = menu->findChild<QAction*>(u"copyRecordSetAction"_s);
        auto* copyOne = menu->findChild<QAction*>(u"copyRecordsAction"_s);
        auto* lookUp = menu->findChild<QAction*>(u"lookUpRecordAction"_s);
        QVERIFY(copySet && copyOne && lookUp);
        QCOMPARE(lookUp->text(), u"Look Up www.example.test. A"_s);
        copyOne->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 u"$ORIGIN example.test.\nwww\t3600\tIN\tA\t192.0.2.11\n"_s);
        copySet->trigger();
        QCOMPARE(
            QGuiApplication::clipboard()->text(),
            u"$ORIGIN example.test.\nwww\t3600\tIN\tA\t192.0.2.10\nwww\t3600\tIN\tA\t192.0.2.11\n"_s);

        lookUp->trigger();
        QTRY_COMPARE(window.selectedSection(), Section::lookup);
        auto* lookup = qobject_cast<LookupView*>(window.currentScreen());
        QVERIFY(lookup);
        QCOMPARE(child<QLineEdit>(lookup, u"lookupNameField"_s)->text(), u"www.example.test."_s);
        QCOMPARE(child<QComboBox>(lookup, u"lookupTypeBox"_s)->currentText(), u"A"_s);
        QVERIFY(waitForResult(*lookup));
        QCOMPARE(lookup->lastResult().question.port, m_named.port());
        QCOMPARE(lookup->lastResult().answer.size(), 2);
        QCOMPARE(labelText(lookup, "lookupStatusLabel"), u"NOERROR"_s);
        auto* list = child<QListWidget>(&window, u"sidebarList"_s);
        QCOMPARE(list->currentItem()->text(), u"Lookup"_s);
        QVERIFY(saveScreenshot(&window, u"lookup"_s, u"from-records"_s));
    }
};

QTEST_MAIN(TestLookupScreen)
#include "tst_lookup_screen.moc"
