// The window in German: the translation compiled into Korvi is installed for
// a German locale (and only for one Korvi has a translation of), and the
// screens then show German texts, with no English text left where the
// translation has a German one.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QTranslator>
#include <QXmlStreamReader>

#include "ScreenTestSupport.h"
#include "model/RecordValidator.h"
#include "ui/records/AddRecordView.h"
#include "ui/Section.h"
#include "i18n/Translations.h"

using namespace korvi;
using namespace korvi::test;

namespace {

// Removes every translator the tests installed.
void removeTranslations() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

// The English texts whose German translation differs, read from the catalog.
QSet<QString> translatedSources() {
    QSet<QString> sources;
    QFile file(QStringLiteral(KORVI_TEST_TRANSLATIONS "/korvi_de.ts"));
    if (!file.open(QIODevice::ReadOnly))
        return sources;
    QXmlStreamReader xml(&file);
    QString source;
    bool numerus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"message") {
            numerus = xml.attributes().value(u"numerus"_s) == u"yes";
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation" && !numerus) {
            const QString translation = xml.readElementText();
            if (!translation.isEmpty() && translation != source)
                sources.insert(source);
        }
    }
    return sources;
}

// The texts the visible widgets below `root` show.
QStringList shownTexts(const QWidget* root) {
    QStringList texts;
    for (const QLabel* label : root->findChildren<QLabel*>())
        if (label->isVisible())
            texts.append(label->text());
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>())
        if (button->isVisible())
            texts.append(button->text());
    for (const QGroupBox* box : root->findChildren<QGroupBox*>())
        if (box->isVisible())
            texts.append(box->title());
    for (const QListWidget* list : root->findChildren<QListWidget*>())
        for (int row = 0; row < list->count(); ++row)
            texts.append(list->item(row)->text());
    // The menus' entries, without their accelerator marks.
    for (const QAction* action : root->findChildren<QAction*>())
        texts.append(action->text().remove(u'&'));
    texts.removeAll(QString());
    return texts;
}

QStringList sidebarTexts(const MainWindow* window) {
    QStringList texts;
    if (const auto* list = window->findChild<QListWidget*>(u"sidebarList"_s))
        for (int row = 0; row < list->count(); ++row)
            texts.append(list->item(row)->text());
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(korvi::Section)
Q_DECLARE_METATYPE(korvi::DNSRecord)

class GermanScreensTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { removeTranslations(); }

    // Korvi's translation for German in any country; none for English or a
    // language Korvi has no translation of, so the English texts stay.
    void installsForTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("dashboard");
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << u"Übersicht"_s;
        QTest::newRow("de_AT") << QLocale(QLocale::German, QLocale::Austria) << u"Übersicht"_s;
        QTest::newRow("de_CH") << QLocale(QLocale::German, QLocale::Switzerland) << u"Übersicht"_s;
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << u"Dashboard"_s;
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France) << u"Dashboard"_s;
        QTest::newRow("C") << QLocale::c() << u"Dashboard"_s;
    }
    void installsForTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, dashboard);
        QVERIFY(Translations::languages().contains(u"de"_s));
        const QStringList installed = Translations::install(*qApp, locale);
        const bool german = dashboard != u"Dashboard";
        QCOMPARE(installed.isEmpty(), !german);
        if (german)
            QVERIFY2(installed.first().endsWith(u"korvi_de.qm"_s), qPrintable(installed.first()));
        QCOMPARE(QCoreApplication::translate("korvi::DashboardView", "Dashboard"), dashboard);
    }

    // The validator's messages: English for the log, German for the forms,
    // values kept exactly as typed.
    void validatorMessages_data() {
        QTest::addColumn<DNSRecord>("record");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::newRow("IPv4") << DNSRecord(u"www"_s, DNSRecordType::A, u"300.1.1.1"_s, 3600)
                              << u"Invalid IPv4 address: '300.1.1.1'. Expected format: "
                                 "192.168.1.1"_s
                              << u"Ungültige IPv4-Adresse: '300.1.1.1'. Erwartetes Format: "
                                 "192.168.1.1"_s;
        DNSRecord caa(u"@"_s, DNSRecordType::CAA, u"letsencrypt.org"_s, 3600);
        caa.flag = 0;
        caa.tag = u"%2"_s;
        QTest::newRow("placeholder in the value")
            << caa << u"Invalid CAA tag: '%2'. Valid tags are: issue, issuewild, iodef"_s
            << u"Ungültiges CAA-Tag: '%2'. Gültige Tags sind: issue, issuewild, iodef"_s;
        DNSRecord mx(u"@"_s, DNSRecordType::MX, u"mail.example.com."_s, 3600);
        mx.priority = 70000;
        QTest::newRow("MX priority")
            << mx << u"Invalid MX priority: 70000. Must be between 0 and 65535."_s
            << u"Ungültige MX-Priorität: 70000. Muss zwischen 0 und 65535 liegen."_s;
        QTest::newRow("host name") << DNSRecord(u"a_b"_s, DNSRecordType::A, u"192.0.2.1"_s, 3600)
                                   << u"Invalid host name: 'a_b'. A records need a host name: "
                                      "letters a-z, digits and \"-\" only, or a wildcard \"*\"."_s
                                   << u"Ungültiger Hostname: 'a_b'. A-Einträge brauchen einen "
                                      "Hostnamen: nur Buchstaben a-z, Ziffern und \"-\" oder ein "
                                      "Platzhalter \"*\"."_s;
    }
    void validatorMessages() {
        QFETCH(DNSRecord, record);
        QFETCH(QString, english);
        QFETCH(QString, german);
        const ValidationResult before = validateRecord(record, u"example.com"_s);
        QCOMPARE(before.errors, QStringList{english});
        QCOMPARE(before.shownErrors, QStringList{english});
        QVERIFY(
            !Translations::install(*qApp, QLocale(QLocale::German, QLocale::Germany)).isEmpty());
        const ValidationResult after = validateRecord(record, u"example.com"_s);
        QCOMPARE(after.errors, QStringList{english});
        QCOMPARE(after.shownErrors, QStringList{german});
    }

    // Each screen, built after the German translation is installed, speaks German.
    void screens_data() {
        QTest::addColumn<Section>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("dashboard") << Section::dashboard << u"dashboardTitle"_s << u"Übersicht"_s;
        QTest::newRow("zones") << Section::zoneManagement << u"titleLabel"_s
                               << u"Zonenverwaltung"_s;
        QTest::newRow("zones button")
            << Section::zoneManagement << u"addDomainButton"_s << u"Domain hinzufügen"_s;
        QTest::newRow("records") << Section::dnsRecords << u"zonesTitle"_s << u"Zonen"_s;
        QTest::newRow("configuration")
            << Section::serverConfiguration << u"saveConfigurationButton"_s
            << u"Konfiguration speichern"_s;
        QTest::newRow("logs") << Section::logs << u"logsTitle"_s << u"Serverprotokoll"_s;
        QTest::newRow("logs button")
            << Section::logs << u"clearLogsButton"_s << u"Protokoll leeren"_s;
        QTest::newRow("lookup") << Section::lookup << u"lookupButton"_s << u"Nachschlagen"_s;
    }
    void screens() {
        QFETCH(Section, section);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QVERIFY(
            !Translations::install(*qApp, QLocale(QLocale::German, QLocale::Germany)).isEmpty());
        WindowHost host;
        QVERIFY(host.isReady());
        host.manager()->setServerStatus(ServerStatus::running);
        host.window()->resize(1100, 760);
        host.window()->setSelectedSection(section);
        QWidget* screen = host.window()->currentScreen();
        QVERIFY(screen);

        QWidget* widget = host.find<QWidget>(name);
        QVERIFY2(widget, qPrintable(name));
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        QCOMPARE(label ? label->text() : button ? button->text() : QString(), text);

        QCOMPARE(sidebarTexts(host.window()),
                 QStringList({u"Übersicht"_s, u"Zonenverwaltung"_s, u"DNS-Einträge"_s,
                              u"Serverkonfiguration"_s, u"Sekundärserver"_s, u"Protokoll"_s,
                              u"Verlauf"_s, u"Abfrage"_s, u"Anleitung"_s}));

        // No text on the window is still the English one the translation replaces.
        const QSet<QString> english = translatedSources();
        QVERIFY(english.contains(u"Zone Management"_s));
        QStringList leftOver;
        for (const QString& shown : shownTexts(host.window()))
            if (english.contains(shown))
                leftOver.append(shown);
        QVERIFY2(leftOver.isEmpty(), qPrintable(leftOver.join(u", "_s)));
        QVERIFY(saveScreenshot(host.window(), u"german"_s,
                               QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-')));
    }

    // The tutorial's list and its first page.
    void tutorial() {
        QVERIFY(
            !Translations::install(*qApp, QLocale(QLocale::German, QLocale::Germany)).isEmpty());
        WindowHost host;
        QVERIFY(host.isReady());
        host.window()->resize(1100, 760);
        host.window()->setSelectedSection(Section::tutorial);
        const auto* list = host.find<QListWidget>(u"tutorialList"_s);
        QVERIFY(list);
        QStringList items;
        for (int row = 0; row < list->count(); ++row)
            items.append(list->item(row)->text());
        QVERIFY2(items.contains(u"Erste Schritte"_s), qPrintable(items.join(u", "_s)));
        QVERIFY2(items.contains(u"Einleitung"_s), qPrintable(items.join(u", "_s)));
        QVERIFY2(items.contains(u"Fehlerbehebung"_s), qPrintable(items.join(u", "_s)));
        const QSet<QString> english = translatedSources();
        QStringList leftOver;
        for (const QString& shown : shownTexts(host.window()))
            if (english.contains(shown))
                leftOver.append(shown);
        QVERIFY2(leftOver.isEmpty(), qPrintable(leftOver.join(u", "_s)));
        QVERIFY(saveScreenshot(host.window(), u"german"_s, u"tutorial"_s));
    }

    // The record form: the types' names and help come from the record-type
    // table, which stays English for zone files and logs.
    void recordForm() {
        QVERIFY(
            !Translations::install(*qApp, QLocale(QLocale::German, QLocale::Germany)).isEmpty());
        WindowHost host;
        QVERIFY(host.isReady());
        auto zone = ZonePtr::create(u"example.com"_s,
                                    host.manager()->zoneDirectory() + u"/db.example.com"_s);
        AddRecordView form(host.manager(), zone, host.window());
        form.show();
        const auto* picker = form.findChild<QComboBox*>(u"typePicker"_s);
        QVERIFY(picker);
        QCOMPARE(picker->itemText(picker->findData(int(DNSRecordType::A))),
                 u"A - IPv4-Adresse"_s);
        QCOMPARE(picker->itemText(picker->findData(int(DNSRecordType::MX))), u"MX - Mailserver"_s);
        const auto* summary = form.findChild<QLabel*>(u"typeSummaryLabel"_s);
        QVERIFY(summary);
        QCOMPARE(summary->text(), u"Verweist die Domain auf eine IPv4-Adresse"_s);

        const QSet<QString> english = translatedSources();
        QStringList leftOver;
        for (const QString& shown : shownTexts(&form))
            if (english.contains(shown))
                leftOver.append(shown);
        for (int i = 0; i < picker->count(); ++i)
            if (english.contains(picker->itemText(i).section(u" - "_s, 1)))
                leftOver.append(picker->itemText(i));
        QVERIFY2(leftOver.isEmpty(), qPrintable(leftOver.join(u", "_s)));
        QVERIFY(saveScreenshot(&form, u"german"_s, u"record-form"_s));
    }
};

QTEST_MAIN(GermanScreensTest)
#include "tst_german_screens.moc"
