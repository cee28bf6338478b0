// The import dialog and the zone export on the Zone Management screen: pasted text previewed
// with what is left out and why, the import adding the zone through the manager and closing
// the dialog, a zone that exists refused with Import off, text that does not parse refused with
// its line, a zone file previewed, a transfer server that cannot be read refused; the export
// writing exactly Korvi's text for the zone, and a failed export shown.
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "BindCheckers.h"
#include "ScreenTestSupport.h"
#include "manager/ZoneImport.h"
#include "ui/zones/ImportZoneView.h"
#include "ui/zones/ZoneManagementView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString pasted = u"$ORIGIN example.com.\n"
                       "$TTL 3600\n"
                       "@ IN SOA ns1.example.com. admin.example.com. 2026120601 7200 900 "
                       "1209600 300\n"
                       "@ IN NS ns1\n"
                       "$INCLUDE db.more\n"
                       "ns1 IN A 192.0.2.53\n"
                       "www 300 IN A 192.0.2.80\n"
                       "www 300 IN RRSIG A 13 3 300 20260101000000 20251201000000 12345 "
                       "example.com. dGVzdA==\n"
                       "mail IN MX 10 www\n"
                       "www.example.org. IN A 192.0.2.1\n"_s;

} // namespace

class TestImportScreens : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    static bool previewDone(ImportZoneView* sheet) {
        return QTest::qWaitFor([&] { return !sheet->isReading(); }, 10000);
    }

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
    }

    void importDialog() {
        auto m = screenManager(m_root.path(), ServerStatus::running);
        ZoneManagementView view(m.get());
        showScreen(&view);
        click(&view, u"importZoneButton"_s);
        ImportZoneView* sheet = view.importSheet();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QVERIFY(!child<QPushButton>(sheet, u"importButton"_s)->isEnabled());

        // Pasted text: the zone's name from its $ORIGIN, four records, three left out.
        sheet->setSource(ImportZoneView::Source::text);
        child<QPlainTextEdit>(sheet, u"importTextField"_s)->setPlainText(pasted);
        click(sheet, u"previewButton"_s);
        QVERIFY(previewDone(sheet));
        QCOMPARE(child<QLineEdit>(sheet, u"importZoneNameField"_s)->text(), u"example.com"_s);
        QCOMPARE(labelText(sheet, "previewSummaryLabel"),
                 u"example.com: 4 records to import, 3 not imported"_s);
        QVERIFY(labelText(sheet, "previewSoaLabel").contains(u"2026120601"_s));
        auto* records = child<QTableWidget>(sheet, u"previewRecordsTable"_s);
        auto* leftOut = child<QTableWidget>(sheet, u"notImportedTable"_s);
        QCOMPARE(records->rowCount(), 4);
        QCOMPARE(leftOut->rowCount(), 3);
        QVERIFY(leftOut->isVisible());
        QStringList types;
        for (int row = 0; row < leftOut->rowCount(); ++row)
            types.append(leftOut->item(row, 2)->text());
        types.sort();
        QCOMPARE(types, (QStringList{u"$INCLUDE"_s, u"A"_s, u"RRSIG"_s}));
        QVERIFY(child<QPushButton>(sheet, u"importButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(sheet, u"import"_s, u"preview-text"_s));

        // Import: the checked addition, then the dialog closes.
        click(sheet, u"importButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!view.importSheet(), 20000);
        QCOMPARE(m->zones().size(), 1);
        const ZonePtr zone = m->zones().first();
        QCOMPARE(zone->name(), u"example.com"_s);
        QCOMPARE(zone->records().size(), 4);
        QVERIFY(checkZone(u"example.com"_s, zone->filePath()).ok());
        QVERIFY(saveScreenshot(&view, u"import"_s, u"imported"_s));

        // The same zone again: previewed, refused, Import off. (The check after the addition
        // found no server on this pretend host.)
        m->setServerStatus(ServerStatus::running);
        click(&view, u"importZoneButton"_s);
        sheet = view.importSheet();
        QVERIFY(sheet);
        sheet->setSource(ImportZoneView::Source::text);
        child<QPlainTextEdit>(sheet, u"importTextField"_s)->setPlainText(pasted);
        click(sheet, u"previewButton"_s);
        QVERIFY(previewDone(sheet));
        QCOMPARE(child<QLabel>(sheet, u"importErrorLabel"_s)->text(),
                 u"A zone for this domain already exists"_s);
        QVERIFY(!child<QPushButton>(sheet, u"importButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(sheet, u"import"_s, u"refused-existing"_s));

        // Text that does not parse: the reader's message with its line.
        child<QPlainTextEdit>(sheet, u"importTextField"_s)
            ->setPlainText(pasted + u"bad IN A 300.1.2.3\n"_s);
        child<QLineEdit>(sheet, u"importZoneNameField"_s)->setText(u"example.net"_s);
        click(sheet, u"previewButton"_s);
        QVERIFY(previewDone(sheet));
        const QString error = child<QLabel>(sheet, u"importErrorLabel"_s)->text();
        QVERIFY2(error.startsWith(u"pasted text, line 11:"_s), qPrintable(error));
        QVERIFY(!shows(sheet, "previewSummaryLabel"));
        QVERIFY(!child<QPushButton>(sheet, u"importButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(sheet, u"import"_s, u"parse-error"_s));

        // A zone file of the corpus.
        sheet->setSource(ImportZoneView::Source::file);
        child<QLineEdit>(sheet, u"importFileField"_s)
            ->setText(QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus/korvi/types.zone"));
        child<QLineEdit>(sheet, u"importZoneNameField"_s)->setText(u"types.example"_s);
        click(sheet, u"previewButton"_s);
        QVERIFY(previewDone(sheet));
        const ZoneImportPreview file = ZoneImportReader::fromFile(
            QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus/korvi/types.zone"),
            u"types.example"_s);
        QVERIFY(file.ok);
        QCOMPARE(child<QTableWidget>(sheet, u"previewRecordsTable"_s)->rowCount(),
                 file.records.size());
        QVERIFY(child<QPushButton>(sheet, u"importButton"_s)->isEnabled());
        QVERIFY(saveScreenshot(sheet, u"import"_s, u"preview-file"_s));

        // A transfer from a server that cannot be read: nothing is asked.
        sheet->setSource(ImportZoneView::Source::transfer);
        typeInto(child<QLineEdit>(sheet, u"transferServerField"_s), u"ns1.example.com"_s);
        click(sheet, u"previewButton"_s);
        QVERIFY(!sheet->isReading());
        QVERIFY(child<QLabel>(sheet, u"importErrorLabel"_s)
                    ->text()
                    .startsWith(u"\"ns1.example.com\" is not a server address"_s));
        QVERIFY(saveScreenshot(sheet, u"import"_s, u"transfer-refused"_s));
        click(sheet, u"cancelButton"_s);
        QTRY_VERIFY(!view.importSheet());
        QCOMPARE(m->zones().size(), 1);

        // Export: the file chosen in the save dialog holds Korvi's text for the zone.
        view.exportZone(zone);
        QFileDialog* dialog = view.exportDialog();
        QVERIFY(dialog);
        const QString path = m_root.filePath(u"exported.zone"_s);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as Save does
        QTRY_VERIFY(QFileInfo::exists(path));
        QFile exported(path);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(exported.readAll());
        const auto withoutStamp = [](QString t) {
            return t.remove(QRegularExpression(u"^; \\d{4}-\\d\\d-\\d\\dT[^\\n]*\\n"_s,
                                               QRegularExpression::MultilineOption));
        };
        QCOMPARE(withoutStamp(text), withoutStamp(zone->zoneFileText()));
        QTRY_VERIFY(!m->logs().filter(u"✅ Zone 'example.com' exported to "_s + path).isEmpty());

        // A folder that does not exist: the reason is shown and logged.
        view.writeExport(zone, m_root.filePath(u"missing/exported.zone"_s));
        auto* alert = view.findChild<QMessageBox*>(u"exportErrorAlert"_s);
        QVERIFY(alert);
        QVERIFY(alert->text().contains(u"cannot be written"_s));
        QTRY_VERIFY(!m->logs().filter(u"❌ Zone 'example.com' was not exported"_s).isEmpty());
        alert->close();
    }
};

QTEST_MAIN(TestImportScreens)
#include "tst_import_screens.moc"
