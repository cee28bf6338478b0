// Finding one zone's statement in the text of an administrator's named.conf file, so that it can
// be taken out with every other byte left as it was: comments and strings that look like zone
// statements, nested blocks, views and other classes are never matched.
#include <QtTest>

#include "model/BindConfigParser.h"
#include "model/ZoneStatementScanner.h"

using namespace korvi;
using namespace Qt::StringLiterals;

class TestZoneStatementScanner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void removesExactlyTheStatement_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("statement");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("zone");

        const QByteArray plain = "zone \"shop.example\" {\n\ttype primary;\n\tfile "
                                 "\"/var/lib/bind/db.shop.example\";\n};\n";
        QTest::newRow("alone") << QByteArray() << plain << QByteArray() << u"shop.example"_s;
        QTest::newRow("between comments")
            << QByteArray("//\n// Do any local configuration here\n//\n\n") << plain
            << QByteArray("\n// zone \"shop.example\" { type primary; };\n") << u"shop.example"_s;
        QTest::newRow("hash and block comments naming the zone")
            << QByteArray("# zone \"shop.example\" { type primary; };\n/* zone \"shop.example\" "
                          "{\n type primary; }; */\n")
            << plain << QByteArray("/* trailing */\n") << u"shop.example"_s;
        QTest::newRow("class IN written, name with final dot, letter case")
            << QByteArray("options { directory \"/tmp\"; };\n")
            << QByteArray("ZONE \"Shop.Example.\" in { type master; file \"db\"; };\n")
            << QByteArray() << u"shop.example"_s;
        QTest::newRow("strings with braces and semicolons")
            << QByteArray()
            << QByteArray("zone \"shop.example\" {\n\ttype primary;\n\tfile \"db.{odd};name\";\n"
                          "\tallow-update { key \"k}ey\"; };\n};\n")
            << QByteArray("key \"x\" { secret \"a{b\"; };\n") << u"shop.example"_s;
        QTest::newRow("nested blocks")
            << QByteArray()
            << QByteArray("zone \"shop.example\" {\n\ttype primary; file \"db\";\n\tupdate-policy "
                          "{ grant k zonesub ANY; };\n\tallow-transfer { !{ 10/8; }; any; };\n};\n")
            << QByteArray("zone \"other.example\" { type primary; file \"db.o\"; };\n")
            << u"shop.example"_s;
        QTest::newRow("two zones, the second one taken")
            << QByteArray("zone \"first.example\" { type primary; file \"db.f\"; };\n") << plain
            << QByteArray("zone \"third.example\" { type primary; file \"db.t\"; };\n")
            << u"shop.example"_s;
        QTest::newRow("indented, no final line end")
            << QByteArray("acl near { 10/8; };\n")
            << QByteArray("   zone \"shop.example\" { type primary; file \"db\"; };")
            << QByteArray() << u"shop.example"_s;
        QTest::newRow("shares its line with another statement")
            << QByteArray("acl near { 10/8; }; ")
            << QByteArray("zone \"shop.example\" { type primary; file \"db\"; };")
            << QByteArray(" // the shop\n") << u"shop.example"_s;
        QTest::newRow("same name in a view is left")
            << QByteArray("view \"inside\" {\n\tzone \"shop.example\" { type primary; file "
                          "\"db.in\"; };\n};\n")
            << plain << QByteArray() << u"shop.example"_s;
        QTest::newRow("CRLF line ends")
            << QByteArray("// local\r\n")
            << QByteArray("zone \"shop.example\" { type primary; file \"db\"; };\r\n")
            << QByteArray("// end\r\n") << u"shop.example"_s;
        QTest::newRow("escaped quote in a string")
            << QByteArray("key \"x\" { secret \"a\\\"zone \\\"shop.example\\\" {\"; };\n") << plain
            << QByteArray() << u"shop.example"_s;
    }

    void removesExactlyTheStatement() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, statement);
        QFETCH(QByteArray, after);
        QFETCH(QString, zone);
        const QByteArray text = before + statement + after;
        const ZoneStatementScanner::Result found = ZoneStatementScanner::find(text, zone);
        QVERIFY2(found.ok(), qPrintable(found.error));
        QCOMPARE(found.statements.size(), 1);
        QCOMPARE(found.statements.first().begin, before.size());
        QCOMPARE(found.statements.first().end, before.size() + statement.size());
        QString reason;
        const std::optional<QByteArray> rest = ZoneStatementScanner::without(text, zone, &reason);
        QVERIFY2(rest, qPrintable(reason));
        QCOMPARE(*rest, before + after);
        // What is left is still a configuration BIND's grammar reads.
        QVERIFY(BindConfigParser::parse(QString::fromUtf8(*rest)).ok());
    }

    void findsNoneOrSeveral_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("scanned");

        QTest::newRow("only in comments")
            << QByteArray("// zone \"shop.example\" { };\n# zone \"shop.example\" { };\n/* zone "
                          "\"shop.example\" { }; */\n")
            << 0 << true;
        QTest::newRow("only in a string")
            << QByteArray("key \"zone \\\"shop.example\\\" { };\" { secret \"zone shop.example "
                          "{};\"; };\n")
            << 0 << true;
        QTest::newRow("only inside a view")
            << QByteArray("view \"a\" { zone \"shop.example\" { type primary; file \"d\"; }; };\n")
            << 0 << true;
        QTest::newRow("another class")
            << QByteArray("zone \"shop.example\" CH { type primary; file \"d\"; };\n") << 0 << true;
        QTest::newRow("a longer name")
            << QByteArray("zone \"my.shop.example\" { type primary; file \"d\"; };\n") << 0 << true;
        QTest::newRow("no block") << QByteArray("zone \"shop.example\";\n") << 0 << true;
        QTest::newRow("twice") << QByteArray(
                                      "zone \"shop.example\" { type primary; file \"a\"; };\nzone "
                                      "shop.example IN { type primary; file \"b\"; };\n")
                               << 2 << true;
        QTest::newRow("unclosed comment")
            << QByteArray("zone \"shop.example\" { type primary; file \"a\"; };\n/* open") << 0
            << false;
        QTest::newRow("unclosed block")
            << QByteArray("zone \"shop.example\" { type primary; file \"a\";\n") << 0 << false;
        QTest::newRow("unclosed string")
            << QByteArray("zone \"shop.example\" { type primary; file \"a; };\n") << 0 << false;
        QTest::newRow("stray closing brace")
            << QByteArray("};\nzone \"shop.example\" { type primary; file \"a\"; };\n") << 0
            << false;
    }

    void findsNoneOrSeveral() {
        QFETCH(QByteArray, text);
        QFETCH(int, count);
        QFETCH(bool, scanned);
        const ZoneStatementScanner::Result found =
            ZoneStatementScanner::find(text, u"shop.example"_s);
        QCOMPARE(found.ok(), scanned);
        QCOMPARE(found.statements.size(), count);
        // Only exactly one statement is ever taken out.
        QString reason;
        QVERIFY(!ZoneStatementScanner::without(text, u"shop.example"_s, &reason));
        QVERIFY(!reason.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestZoneStatementScanner)
#include "tst_zone_statement_scanner.moc"
