// Korvi as a secondary: the zone statement it writes (refused when it cannot be written, and
// accepted by named-checkconf, alone and in named.conf), and a secondary zone pointed at a real
// primary of the test's own: once the secondary named has transferred it, Korvi reads the copy
// and shows its records read-only with the serial and the time of the transfer; a later serial
// on the primary reaches the view after the next transfer.
#include <QPushButton>
#include <QSignalSpy>

#include "BindCheckers.h"
#include "ScreenTestSupport.h"
#include "TestNamed.h"
#include "manager/SecondaryZoneCopy.h"
#include "model/DNSConfiguration.h"
#include "ui/records/RecordTableModel.h"
#include "ui/records/RecordTableView.h"
#include "ui/zones/SecondaryZoneView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString zone = QStringLiteral("example.test");
constexpr quint32 firstSerial = 2026120601;

SecondaryZoneSettings settings(const QString& address, quint16 port, const QString& key = {}) {
    return {zone, {{address, port, key}}, SecondaryZoneSettings::defaultFileName(zone)};
}

// The records a table shows, "name type data" a row, sorted.
QStringList tableRows(const RecordTableView* table) {
    QStringList rows;
    const QAbstractItemModel* model = table->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(QStringList{model->index(row, RecordTableModel::nameColumn).data().toString(),
                                model->index(row, RecordTableModel::typeColumn).data().toString(),
                                model->index(row, RecordTableModel::dataColumn).data().toString()}
                        .join(u' '));
    rows.sort();
    return rows;
}

} // namespace

class SecondaryZoneTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString checkedConf(const QString& name, const QString& text) {
        const QString path = m_dir.filePath(name);
        if (!writeTextFile(path, text))
            return u"could not write "_s + path;
        const ProgramResult result = checkConf(path);
        return result.ok() ? QString() : result.describe();
    }

private Q_SLOTS:
    void refusal_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("refusalPart");
        const QString file = u"example.test.secondary.db"_s;
        QTest::newRow("IPv4, a port") << zone << "192.0.2.1" << 5300 << "" << file << "";
        QTest::newRow("IPv6 and a key") << zone << "2001:db8::1" << 53 << "xfer-key" << file << "";
        QTest::newRow("no name") << ""
                                 << "192.0.2.1" << 53 << "" << file << "zone name";
        QTest::newRow("a name that is no domain") << "bad name"
                                                  << "192.0.2.1" << 53 << "" << file << "zone name";
        QTest::newRow("a host name for the primary")
            << zone << "ns1.example.test" << 53 << "" << file << "not an IPv4 or IPv6";
        QTest::newRow("an address out of range")
            << zone << "192.0.2.300" << 53 << "" << file << "not an IPv4 or IPv6";
        QTest::newRow("no address") << zone << "" << 53 << "" << file << "not an IPv4 or IPv6";
        QTest::newRow("port 0") << zone << "192.0.2.1" << 0 << "" << file << "port";
        QTest::newRow("a key name ending the statement")
            << zone << "192.0.2.1" << 53 << "k\"; }; allow-update { any; }; #" << file
            << "key name";
        QTest::newRow("a file name with a quote") << zone << "192.0.2.1" << 53 << ""
                                                  << "a\"b.db"
                                                  << "file name";
    }

    // A refused zone writes nothing; an accepted one is a statement named-checkconf accepts.
    void refusal() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, key);
        QFETCH(QString, fileName);
        QFETCH(QString, refusalPart);
        const SecondaryZoneSettings zoneSettings{name, {{address, quint16(port), key}}, fileName};
        const std::optional<QString> refused = SecondaryZoneSettings::refusal(zoneSettings);
        const QString statement = NamedConfWriter::secondaryZoneStatement(zoneSettings);
        if (!refusalPart.isEmpty()) {
            QVERIFY(refused.has_value());
            QVERIFY2(refused->contains(refusalPart), qPrintable(*refused));
            QVERIFY(statement.isEmpty());
            return;
        }
        QVERIFY2(!refused, qPrintable(refused.value_or(QString())));
        QVERIFY(statement.contains(u"type secondary;"_s));
        QVERIFY(statement.contains(u"masterfile-format text;"_s));
        QVERIFY(statement.contains(u"primaries { %1 port %2"_s.arg(address).arg(port)));
        QCOMPARE(statement.contains(u"key \"%1\""_s.arg(key)), !key.isEmpty());
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        const QString keyStatement =
            key.isEmpty()
                ? QString()
                : u"key \"%1\" { algorithm hmac-sha256; secret \"c2VjcmV0c2VjcmV0\"; };\n"_s.arg(
                      key);
        const QString problem =
            checkedConf(u"alone.conf"_s, u"options { directory \"%1\"; };\n"_s.arg(m_dir.path()) +
                                             keyStatement + statement);
        QVERIFY2(problem.isEmpty(), qPrintable(problem + statement));
    }

    // The whole named.conf holds the secondary zones after Korvi's own, and BIND accepts it;
    // a zone that cannot be written is left out.
    void inNamedConf() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        DNSConfiguration configuration;
        configuration.setZoneFiles({{u"own.test"_s, u"db.own.test"_s}});
        SecondaryZoneSettings refused = settings(u"no address"_s, 53);
        refused.name = u"refused.test"_s;
        QSignalSpy changed(&configuration, &DNSConfiguration::changed);
        configuration.setSecondaryZones({settings(u"127.0.0.1"_s, 5300), refused});
        QCOMPARE(changed.size(), 1);
        configuration.setSecondaryZones(configuration.secondaryZones());
        QCOMPARE(changed.size(), 1);
        NamedConfWriter::Options options;
        options.directory = m_dir.path();
        options.bindVersion = installedBindVersion();
        const QString text = configuration.namedConfText(options);
        QVERIFY(text.indexOf(u"zone \"own.test\""_s) < text.indexOf(u"zone \"example.test\""_s));
        QVERIFY(!text.contains(u"refused.test"_s));
        const QString problem = checkedConf(u"named.conf"_s, text);
        QVERIFY2(problem.isEmpty(), qPrintable(problem + text));

        // Kept in the preferences and read back; an unreadable entry is dropped.
        const QList<SecondaryZoneSettings> back = SecondaryZoneSettings::fromJson(
            SecondaryZoneSettings::toJson({settings(u"127.0.0.1"_s, 5300, u"k1"_s), refused}));
        QCOMPARE(back, QList<SecondaryZoneSettings>{settings(u"127.0.0.1"_s, 5300, u"k1"_s)});
    }

    // A secondary zone pointed at a real primary: records read-only after the transfer.
    void copiedFromPrimary() {
        if (QStandardPaths::findExecutable(QStringLiteral("dig")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("named"), {QStringLiteral("/usr/sbin")})
                .isEmpty())
            QSKIP("BIND's named and dig are needed");
        TestNamed primary;
        QVERIFY(primary.prepare(
            u"zone \"%1\" { type primary; file \"db.%1\"; allow-transfer { 127.0.0.1; }; };\n"_s
                .arg(zone)));
        QVERIFY(primary.write(u"db."_s + zone, zoneText(zone, firstSerial)));
        QVERIFY(primary.start());
        QVERIFY2(primary.waitForSerial(zone, firstSerial), qPrintable(primary.log()));

        // Korvi's statement, as it writes it, configures the secondary named.
        const SecondaryZoneSettings secondaryZone = settings(u"127.0.0.1"_s, primary.port());
        TestNamed secondary;
        QVERIFY(secondary.prepare(NamedConfWriter::secondaryZoneStatement(secondaryZone)));
        SecondaryZoneCopy copy(secondaryZone, secondary.path(secondaryZone.fileName));
        QSignalSpy changed(&copy, &SecondaryZoneCopy::copyChanged);
        QVERIFY(changed.wait(5000));
        QVERIFY(!copy.hasCopy());
        QVERIFY2(copy.problem().contains(u"not transferred"_s), qPrintable(copy.problem()));

        SecondaryZoneView view(&copy);
        view.setObjectName(u"secondaryZoneView"_s);
        showScreen(&view);
        QCOMPARE(labelText(&view, "secondaryZoneTransfer"), u"Not transferred yet"_s);
        QVERIFY(shows(&view, "secondaryZoneProblem"));
        QVERIFY(saveScreenshot(&view, u"replication"_s, u"secondary-zone-waiting"_s));

        QVERIFY(secondary.start());
        QVERIFY2(secondary.waitForSerial(zone, firstSerial), qPrintable(secondary.log()));
        QVERIFY2(QTest::qWaitFor([&] { return copy.serial() == firstSerial; }, 10000),
                 qPrintable(copy.problem()));
        QVERIFY(copy.lastTransfer().isValid());
        QVERIFY(copy.problem().isEmpty());

        RecordTableView* table = view.table();
        // BIND writes the copy's names absolute.
        QCOMPARE(tableRows(table),
                 (QStringList{u"@ NS ns1.example.test."_s, u"mail MX 10 ns1.example.test."_s,
                              u"ns1 A 127.0.0.1"_s, u"www A 192.0.2.10"_s}));
        QCOMPARE(labelText(&view, "secondaryZoneSerial"), u"Serial %1"_s.arg(firstSerial));
        QVERIFY(labelText(&view, "secondaryZoneTransfer").startsWith(u"Last transfer "_s));
        QCOMPARE(labelText(&view, "secondaryZonePrimaries"),
                 u"Copied from 127.0.0.1 port %1"_s.arg(primary.port()));
        QVERIFY(!shows(&view, "secondaryZoneProblem"));
        // Read-only: the record buttons are disabled, a double click or Enter opens nothing.
        for (const char* name : {"secondaryAddRecordButton", "secondaryEditRecordButton",
                                 "secondaryDeleteRecordButton"}) {
            auto* button = view.findChild<QPushButton*>(QLatin1String(name));
            QVERIFY2(button && button->isVisible() && !button->isEnabled(), name);
        }
        QSignalSpy editAsked(table, &RecordTableView::editRecordRequested);
        table->setBindRunning(true);
        const QRect rowRect = table->visualRect(table->model()->index(0, 0));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rowRect.center());
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(editAsked.size(), 0);
        QCOMPARE(table->model()->flags(table->model()->index(0, 0)) & Qt::ItemIsEditable,
                 Qt::ItemFlags());
        QVERIFY(saveScreenshot(&view, u"replication"_s, u"secondary-zone-records"_s));

        // A later serial on the primary: the secondary refreshes, Korvi reads the new copy.
        constexpr quint32 later = firstSerial + 1;
        QVERIFY(primary.write(u"db."_s + zone, zoneText(zone, later, u"new IN A 192.0.2.77\n"_s)));
        QVERIFY(primary.rndc({u"reload"_s, zone}));
        QVERIFY(primary.waitForSerial(zone, later));
        QVERIFY(secondary.rndc({u"refresh"_s, zone}));
        QVERIFY2(QTest::qWaitFor([&] { return copy.serial() == later; }, 15000),
                 qPrintable(secondary.log()));
        QVERIFY(tableRows(table).contains(u"new A 192.0.2.77"_s));
        QCOMPARE(labelText(&view, "secondaryZoneSerial"), u"Serial %1"_s.arg(later));
    }
};

QTEST_MAIN(SecondaryZoneTest)
#include "tst_secondary_zone.moc"
