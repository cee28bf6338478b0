// The record and zone forms against a real named in a sandbox at a free high
// port: a domain made with the new-domain form is served as soon as the form
// has closed, a record of every type the record form offers is served as
// typed (names completed in the zone, long text split into strings), an SOA
// field changed in the SOA form is served with a larger serial, and a save
// the server side refuses leaves the form open with its text and the reason,
// the zone and the answers unchanged. Nothing is left running.

#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "SandboxServer.h"
#include "ScreenTestSupport.h"
#include "manager/ZoneRepository.h"
#include "ui/records/AddRecordView.h"
#include "ui/records/RecordFormFields.h"
#include "ui/widgets/IntegerField.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ZoneManagementView.h"
#include "ui/zones/ZoneSOAView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString zoneName = u"example.net"_s;

// dig +short, with hexadecimal data (SSHFP, TLSA) in one piece as it was typed
// rather than cut into chunks for the eye (+nosplit); empty when dig failed.
QString digShort(quint16 port, const QString& name, const QString& type) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(u"dig"_s),
                  {u"@127.0.0.1"_s, u"-p"_s, QString::number(port), name, type, u"+short"_s,
                   u"+nosplit"_s, u"+time=1"_s, u"+tries=1"_s});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        return QString();
    }
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()).trimmed()
                                   : QString();
}

// dig's short answer, lines sorted so that a set of records compares as one text.
QString sortedAnswer(quint16 port, const QString& name, const QString& type) {
    QStringList lines = digShort(port, name, type).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines.join(u'\n');
}

// A TXT text as dig shows it: consecutive quoted strings of at most 255 bytes.
QString txtStrings(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    QStringList strings;
    for (qsizetype at = 0; at < bytes.size(); at += 255)
        strings.append(u'"' + QString::fromUtf8(bytes.mid(at, 255)) + u'"');
    return strings.join(u' ');
}

// A 2048-bit RSA public key's base64 text, as a DKIM record carries it (392 characters).
QString dkimKey() {
    QByteArray key = "MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA";
    const QByteArray filler =
        "u1SU1LfVLPHCozMxH2Mo4lgOEePzNm0tRgeLezV6ffAt0gunVTLw7onLRnrq0+IzW7yWR7";
    while (key.size() < 386)
        key += filler.at(key.size() % filler.size());
    return QString::fromLatin1(key + "IDAQAB");
}

QString hex(int digits, char seed) {
    QByteArray text;
    const QByteArray alphabet = "0123456789ABCDEF";
    for (int index = 0; index < digits; ++index)
        text += alphabet.at((index * 7 + seed) % 16);
    return QString::fromLatin1(text);
}

} // namespace

class FormsE2ETest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    SystemLayout m_layout;
    quint16 m_port = 0;
    std::unique_ptr<DNSServerManager> m_manager;
    std::unique_ptr<ZoneManagementView> m_zones;
    ZonePtr m_zone;

    // Waits for dig's answer to be the expected one; says how long it took.
    bool answers(const QString& name, const QString& type, const QString& expected,
                 int timeoutMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        do {
            if (sortedAnswer(m_port, name, type) == expected)
                return true;
            QTest::qWait(20);
        } while (timer.elapsed() < timeoutMs);
        qWarning("%s %s: got '%s', expected '%s'", qPrintable(name), qPrintable(type),
                 qPrintable(sortedAnswer(m_port, name, type)), qPrintable(expected));
        return false;
    }

    // Opens the add form, lets `fill` type into it, saves and waits for the
    // form to close; the preview line it showed before the save, or nothing
    // when the form stayed open.
    std::optional<QString> addThroughForm(const QString& name, DNSRecordType type,
                                          const QString& value,
                                          const std::function<void(AddRecordView*)>& fill = {}) {
        auto* made = new AddRecordView(m_manager.get(), m_zone);
        made->setAttribute(Qt::WA_DeleteOnClose);
        made->open();
        const QPointer<AddRecordView> form = made;
        if (!QTest::qWaitForWindowExposed(form))
            return std::nullopt;
        typeInto(child<QLineEdit>(form, u"nameField"_s), name);
        QComboBox* picker = child<QComboBox>(form, u"typePicker"_s);
        picker->setCurrentIndex(picker->findText(RecordFormFields::typeLabel(type)));
        typeInto(child<QLineEdit>(form, u"valueField"_s), value);
        if (fill)
            fill(form);
        const QString preview = labelText(form, "recordPreviewLabel");
        click(form, u"saveButton"_s);
        if (!QTest::qWaitFor([&] { return form.isNull(); }, 15000)) {
            qWarning("%s %s: the form stayed open: %s", qPrintable(name),
                     qPrintable(rawValue(type)), qPrintable(form->errorText()));
            form->close();
            return std::nullopt;
        }
        return preview;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(isPlainPath(m_dir.path()));
        if (QStandardPaths::findExecutable(u"dig"_s).isEmpty())
            QSKIP("dig is not installed");
        m_port = freePort();
        QVERIFY(m_port > 20000);
        m_layout = SystemLayout::sandbox(m_dir.path(), m_port);
        QVERIFY(makeRndcKey(m_layout.rndcKeyPath));
        m_manager = makeManager(m_dir.path(), m_layout);
        QVERIFY(waitForDetections(*m_manager));
        if (!m_manager->isBindInstalled())
            QSKIP("BIND is not installed");
        QTRY_COMPARE(m_manager->serverStatus(), ServerStatus::stopped);

        // A server with no zone yet, on the sandbox's port, loopback only.
        DNSConfiguration* config = m_manager->configuration();
        config->setListenPort(m_port);
        config->setListenAddresses({u"127.0.0.1"_s});
        config->setRecursion(false);
        QSignalSpy saved(m_manager.get(), &DNSServerManager::configurationSaveFinished);
        const SaveId save = m_manager->saveConfiguration();
        QTRY_VERIFY_WITH_TIMEOUT(!saved.isEmpty(), 10000);
        QCOMPARE(saved.last().at(0).value<SaveId>(), save);
        QVERIFY(saved.last().at(1).toBool());
        m_manager->startServer();
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::running, 15000);
        m_zones = std::make_unique<ZoneManagementView>(m_manager.get());
        showScreen(m_zones.get());
    }

    void cleanupTestCase() {
        m_zones.reset();
        if (m_manager && m_manager->isRunning()) {
            m_manager->stopServer();
            QTRY_COMPARE_WITH_TIMEOUT(m_manager->serverStatus(), ServerStatus::stopped, 15000);
        }
        stopServersOf(m_layout.namedConfigPath);
        QVERIFY(serversOf(m_layout.namedConfigPath).isEmpty());
    }

    // The new-domain form: the name server's address asked for and served
    // with the SOA once the form has closed, without a reload.
    void newZoneServedAtOnce() {
        click(m_zones.get(), u"addDomainButton"_s);
        const QPointer<AddZoneView> sheet = m_zones->addZoneSheet();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        typeInto(child<QLineEdit>(sheet, u"zoneNameField"_s), zoneName);
        QCOMPARE(child<QLineEdit>(sheet, u"primaryNameServerField"_s)->text(), "ns1.example.net.");
        QVERIFY(shows(sheet, "nameServerAddressField"));
        QCOMPARE(child<QLineEdit>(sheet, u"nameServerAddressField"_s)->text(),
                 AddZoneView::machineAddress());
        typeInto(child<QLineEdit>(sheet, u"nameServerAddressField"_s), u"192.0.2.53"_s);
        click(sheet, u"createButton"_s);
        QVERIFY(sheet); // open until the manager has answered
        QVERIFY(!child<QPushButton>(sheet, u"createButton"_s)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(sheet.isNull(), 15000);

        QCOMPARE(m_manager->zones().size(), 1);
        m_zone = m_manager->zones().first();
        const QString soa = dig(m_port, zoneName, u"SOA"_s);
        qInfo("SOA right after the form closed: %s", qPrintable(soa));
        QVERIFY(soa.startsWith(u"ns1.example.net. admin.example.net. "_s));
        QCOMPARE(dig(m_port, u"ns1."_s + zoneName, u"A"_s), u"192.0.2.53"_s);
    }

    void recordsServedAsTyped_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<DNSRecordType>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("asked");    // the name dig asks for
        QTest::addColumn<QString>("expected"); // dig +short, lines sorted
        const auto row = [](const char* tag, const QString& name, DNSRecordType type,
                            const QString& value, const QString& asked, const QString& expected) {
            QTest::newRow(tag) << name << type << value << asked << expected;
        };
        const QString dkim = u"v=DKIM1; k=rsa; p="_s + dkimKey();
        row("A", u"www"_s, DNSRecordType::A, u"192.0.2.10"_s, u"www.example.net"_s,
            u"192.0.2.10"_s);
        row("A wildcard", u"*.dev"_s, DNSRecordType::A, u"192.0.2.20"_s,
            u"anything.dev.example.net"_s, u"192.0.2.20"_s);
        row("A mail", u"mail"_s, DNSRecordType::A, u"192.0.2.25"_s, u"mail.example.net"_s,
            u"192.0.2.25"_s);
        row("AAAA", u"www"_s, DNSRecordType::AAAA, u"2001:db8::10"_s, u"www.example.net"_s,
            u"2001:db8::10"_s);
        row("CNAME", u"ftp"_s, DNSRecordType::CNAME, u"www"_s, u"ftp.example.net"_s,
            u"www.example.net."_s);
        row("MX", QString(), DNSRecordType::MX, u"mail"_s, zoneName, u"10 mail.example.net."_s);
        row("TXT dmarc", u"_dmarc"_s, DNSRecordType::TXT, u"v=DMARC1; p=none"_s,
            u"_dmarc.example.net"_s, u"\"v=DMARC1; p=none\""_s);
        row("TXT dkim", u"mail._domainkey"_s, DNSRecordType::TXT, dkim,
            u"mail._domainkey.example.net"_s, txtStrings(dkim));
        row("NS", u"@"_s, DNSRecordType::NS, u"ns2.example.org."_s, zoneName,
            u"ns1.example.net.\nns2.example.org."_s);
        row("PTR", u"pointer"_s, DNSRecordType::PTR, u"www"_s, u"pointer.example.net"_s,
            u"www.example.net."_s);
        row("SRV", u"_sip._tcp"_s, DNSRecordType::SRV, u"www"_s, u"_sip._tcp.example.net"_s,
            u"10 5 5060 www.example.net."_s);
        row("CAA", QString(), DNSRecordType::CAA, u"letsencrypt.org"_s, zoneName,
            u"0 issue \"letsencrypt.org\""_s);
        row("SSHFP", u"www"_s, DNSRecordType::SSHFP, hex(64, 3), u"www.example.net"_s,
            u"4 2 "_s + hex(64, 3));
        row("TLSA", u"_443._tcp.www"_s, DNSRecordType::TLSA, hex(64, 5),
            u"_443._tcp.www.example.net"_s, u"3 1 1 "_s + hex(64, 5));
    }

    // Each added through the add form as a user types it; only the SRV port
    // is typed beyond name and value: every other number is the one shown.
    void recordsServedAsTyped() {
        QVERIFY(m_zone);
        QFETCH(QString, name);
        QFETCH(DNSRecordType, type);
        QFETCH(QString, value);
        QFETCH(QString, asked);
        QFETCH(QString, expected);
        const std::optional<QString> preview =
            addThroughForm(name, type, value, [type](AddRecordView* form) {
                if (type == DNSRecordType::SRV)
                    typeInto(child<IntegerField>(form, u"portField"_s), u"5060"_s);
            });
        QVERIFY(preview);
        QVERIFY2(answers(asked, rawValue(type), expected), qPrintable(*preview));
        qInfo("%s %s: %s", qPrintable(asked), qPrintable(rawValue(type)),
              qPrintable(digShort(m_port, asked, rawValue(type))));
        // The preview line ends in what the server now serves (one record of the set).
        const QStringList served = expected.split(u'\n');
        QVERIFY2(std::any_of(served.begin(), served.end(),
                             [&](const QString& one) { return preview->endsWith(u' ' + one); }),
                 qPrintable(*preview));
    }

    // A CNAME where www already has records: BIND refuses; the form stays
    // open with what was typed and the reason, the zone and answers unchanged.
    void refusedSaveKeepsTheForm() {
        QVERIFY(m_zone);
        const QList<DNSRecord> before = m_zone->records();
        auto* made = new AddRecordView(m_manager.get(), m_zone);
        made->setAttribute(Qt::WA_DeleteOnClose);
        made->open();
        const QPointer<AddRecordView> form = made;
        QVERIFY(QTest::qWaitForWindowExposed(form));
        typeInto(child<QLineEdit>(form, u"nameField"_s), u"www"_s);
        QComboBox* picker = child<QComboBox>(form, u"typePicker"_s);
        picker->setCurrentIndex(
            picker->findText(RecordFormFields::typeLabel(DNSRecordType::CNAME)));
        typeInto(child<QLineEdit>(form, u"valueField"_s), u"elsewhere.example.org."_s);
        click(form, u"saveButton"_s);
        QCOMPARE(form->saveButton()->text(), "Saving…");
        QVERIFY(!form->saveButton()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!form->errorText().isEmpty(), 15000);
        QVERIFY(form->isVisible());
        QVERIFY(shows(form, "formErrorLabel"));
        qInfo("refused: %s", qPrintable(form->errorText()));
        QVERIFY(form->errorText().contains(u"CNAME"_s));
        QCOMPARE(child<QLineEdit>(form, u"nameField"_s)->text(), "www");
        QCOMPARE(child<QLineEdit>(form, u"valueField"_s)->text(), "elsewhere.example.org.");
        QCOMPARE(form->fields()->type(), DNSRecordType::CNAME);
        QVERIFY(form->saveButton()->isEnabled());
        QCOMPARE(form->saveButton()->text(), "Save Record");
        QVERIFY(saveScreenshot(form, u"forms"_s, u"refused-save"_s));
        QCOMPARE(m_zone->records().size(), before.size());
        for (qsizetype index = 0; index < before.size(); ++index)
            QCOMPARE(m_zone->records().at(index).toJson(), before.at(index).toJson());
        QCOMPARE(dig(m_port, u"www.example.net"_s, u"CNAME"_s), QString());
        QCOMPARE(dig(m_port, u"www.example.net"_s, u"A"_s), u"192.0.2.10"_s);
        click(form, u"cancelButton"_s);
        QTRY_VERIFY(form.isNull());
    }

    // The SOA form, opened from the zone list: a new refresh time served with a larger serial.
    void soaChangeServed() {
        QVERIFY(m_zone);
        const QStringList before = dig(m_port, zoneName, u"SOA"_s).split(u' ');
        QCOMPARE(before.size(), 7);
        QListView* list = m_zones->zoneList();
        const QRect row = list->visualRect(list->model()->index(0, 0));
        // A double-click as a mouse makes it: a click, then the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center() - QPoint(100, 0));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center() - QPoint(100, 0));
        const QPointer<ZoneSOAView> sheet = m_zones->soaSheet();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QCOMPARE(child<QLineEdit>(sheet, u"primaryNameServerField"_s)->text(), "ns1.example.net.");
        typeInto(child<IntegerField>(sheet, u"refreshField"_s), u"7200"_s);
        typeInto(child<QLineEdit>(sheet, u"adminEmailField"_s), u"hostmaster@example.net"_s);
        click(sheet, u"saveButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT(sheet.isNull(), 15000);
        const QString soa = dig(m_port, zoneName, u"SOA"_s);
        qInfo("SOA after the SOA form: %s", qPrintable(soa));
        const QStringList after = soa.split(u' ');
        QCOMPARE(after.size(), 7);
        QCOMPARE(after.at(1), "hostmaster.example.net.");
        QCOMPARE(after.at(3), "7200");
        QVERIFY2(after.at(2).toLongLong() > before.at(2).toLongLong(), qPrintable(soa));
        QCOMPARE(after.mid(4), before.mid(4));
    }
};

QTEST_MAIN(FormsE2ETest)
#include "tst_forms_e2e.moc"
