// The tutorial's ten sections under their four headings, and the About
// window's content.

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>

#include "WindowTestSupport.h"
#include "platform/WebPageOpener.h"
#include "ui/AboutView.h"
#include "ui/TutorialSection.h"
#include "ui/TutorialView.h"

using namespace korvi;
using namespace korvi::test;

namespace {

QListWidgetItem* rowTitled(QListWidget* list, const QString& title) {
    const QList<QListWidgetItem*> found = list->findItems(title, Qt::MatchExactly);
    for (QListWidgetItem* item : found) {
        if (item->flags() & Qt::ItemIsSelectable)
            return item;
    }
    return nullptr;
}

} // namespace

class TutorialTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsWithTheIntroduction() {
        TutorialView view;
        view.resize(900, 700);
        view.show();
        QCOMPARE(view.selectedSection(), 0);
        QCOMPARE(view.currentSection()->title(), QStringLiteral("Welcome to Korvi"));
        auto* list = view.findChild<QListWidget*>(QStringLiteral("tutorialList"));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Introduction"));
        QVERIFY(list->width() >= 200 && list->width() <= 250);

        // Four headings, not selectable, each above its sections.
        QStringList texts;
        QStringList headings;
        for (int row = 0; row < list->count(); ++row) {
            texts.append(list->item(row)->text());
            if (!(list->item(row)->flags() & Qt::ItemIsSelectable))
                headings.append(list->item(row)->text());
        }
        QCOMPARE(headings,
                 (QStringList{"Getting Started", "Managing Zones", "DNS Records", "Advanced"}));
        QCOMPARE(texts,
                 (QStringList{"Getting Started", "Introduction", "DNS Basics", "Korvi Overview",
                              "Managing Zones", "Creating Zones", "Zone Settings", "DNS Records",
                              "Adding Records", "Record Types", "Advanced", "Best Practices",
                              "Server Configuration", "Troubleshooting"}));
    }

    void sections_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("listTitle");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("pageTitle");
        QTest::addColumn<QStringList>("texts"); // some of the texts on the page
        const auto row = [](int tag, const char* list, const char* cls, const char* page,
                            const QStringList& texts) {
            QTest::addRow("%d %s", tag, list)
                << tag << list << QString::fromLatin1(cls) << page << texts;
        };
        row(0, "Introduction", "korvi::IntroductionSection", "Welcome to Korvi",
            {"What You'll Learn", "How to create and manage DNS zones", "• macOS 13.0 or later"});
        row(1, "DNS Basics", "korvi::DNSBasicsSection", "DNS Fundamentals",
            {"🌐 Domain Names", "Browser connects to the IP address", "How DNS Works"});
        row(2, "Korvi Overview", "korvi::KorviOverviewSection", "Korvi Application Overview",
            {"Navigation Sections", "Manage individual DNS records within your zones",
             "• Built-in security and validation"});
        row(3, "Creating Zones", "korvi::CreatingZonesSection", "Creating DNS Zones",
            {"Step-by-Step: Creating a Zone", "Click 'Create Domain' to save the zone",
             "SOA Record (Start of Authority)", "Zone File"});
        row(4, "Zone Settings", "korvi::ZoneSettingsSection", "Zone Settings & Configuration",
            {"SOA Record Settings", "Refresh Interval",
             "How often secondary servers check for updates (default: 3600 seconds)"});
        row(5, "Adding Records", "korvi::AddingRecordsSection", "Adding DNS Records",
            {"Common Record Examples", "Email Server (MX Record)",
             "Name: blog, Type: CNAME, Value: www.example.com."});
        row(6, "Record Types", "korvi::RecordTypesSection", "DNS Record Types",
            {"Address Records", "Service Records", "Name Records", "Other Records", "PTR Record"});
        row(7, "Best Practices", "korvi::BestPracticesSection", "DNS Best Practices",
            {"TTL (Time To Live) Guidelines", "Long TTL (86400+ seconds)", "Performance Tips"});
        row(8, "Server Configuration", "korvi::ServerConfigurationSection", "Server Configuration",
            {"Basic Settings", "• Quad9: 9.9.9.9, 149.112.112.112", "Allow Transfer"});
        row(9, "Troubleshooting", "korvi::TroubleshootingSection", "Troubleshooting",
            {"Server Won't Start", "• Verify port 53 isn't in use: sudo lsof -i :53",
             "sudo rndc reload - Reload configuration without restart"});
    }

    void sections() {
        QFETCH(int, tag);
        QFETCH(QString, listTitle);
        QFETCH(QString, className);
        QFETCH(QString, pageTitle);
        QFETCH(QStringList, texts);
        TutorialView view;
        view.resize(1000, 760);
        view.show();
        auto* list = view.findChild<QListWidget*>(QStringLiteral("tutorialList"));
        QListWidgetItem* item = rowTitled(list, listTitle);
        QVERIFY(item);
        QVERIFY(!item->icon().isNull());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        QCOMPARE(view.selectedSection(), tag);
        TutorialSection* section = view.currentSection();
        QCOMPARE(QString::fromLatin1(section->metaObject()->className()), className);
        QCOMPARE(section->title(), pageTitle);
        QVERIFY(section->isVisible());
        QStringList shown;
        for (const QLabel* label : section->findChildren<QLabel*>())
            shown.append(label->text());
        QCOMPARE(shown.first(), pageTitle);
        for (const QString& text : texts)
            QVERIFY2(shown.contains(text), qPrintable(text));
        // Only the chosen section is on the page.
        QCOMPARE(view.findChildren<TutorialSection*>().size(), 1);
        saveScreenshot(&view, QStringLiteral("tutorial"),
                       QStringLiteral("%1-%2").arg(tag).arg(listTitle).replace(u' ', u'-'));
    }

    void aboutShowsTheVersion_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("build version")
            << QStringLiteral(KORVI_VERSION) << QStringLiteral("Version " KORVI_VERSION);
        QTest::newRow("no version") << ""
                                    << "Version 3.1";
        QTest::newRow("other version") << "4.0.2"
                                       << "Version 4.0.2";
    }

    void aboutShowsTheVersion() {
        QFETCH(QString, version);
        QFETCH(QString, shown);
        QCoreApplication::setApplicationVersion(version);
        AboutView view;
        view.resize(400, 500);
        view.show();
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(), shown);
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("aboutTitle"))->text(),
                 QStringLiteral("Korvi"));
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("taglineLabel"))->text(),
                 QStringLiteral("DNS Management Made Easy"));
        QVERIFY(!view.findChild<QLabel*>(QStringLiteral("aboutIcon"))->pixmap().isNull());

        QList<QUrl> opened;
        WebPageOpener::setHandler([&opened](const QUrl& url) { opened.append(url); });
        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("websiteButton")),
                          Qt::LeftButton);
        WebPageOpener::setHandler({});
        QCOMPARE(opened, QList<QUrl>{QUrl(QString::fromLatin1(AboutView::webAddress()))});
        saveScreenshot(&view, QStringLiteral("tutorial"),
                       QStringLiteral("about-") +
                           QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
    }
};

QTEST_MAIN(TutorialTest)
#include "tst_tutorial.moc"
