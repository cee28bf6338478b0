// named.conf as BIND reads it: the grammar, zones with their type, view and declaring file,
// server-wide settings from the top-level options block only, judged against named-checkconf.
#include <QtTest>

#include "BindCheckers.h"
#include "model/BindConfigParser.h"
#include "model/BindConfigReader.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString corpus = QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus");

// A tree in one line: words (quoted ones in quotes), blocks in braces, ";" after each.
QString shape(const QList<ConfStatement>& statements) {
    QStringList out;
    for (const ConfStatement& s : statements) {
        QStringList words;
        for (const ConfWord& w : s.words)
            words.append(w.quoted ? u'"' + w.text + u'"' : w.text);
        QString text = words.join(u' ');
        if (s.hasBlock)
            text += (text.isEmpty() ? u"{"_s : u" {"_s) + shape(s.block) + u'}';
        for (const ConfWord& w : s.trailing)
            text += u' ' + (w.quoted ? u'"' + w.text + u'"' : w.text);
        out.append(text + u';');
    }
    return out.join(u' ');
}

// "view/name/CLASS/type" of each zone, in order.
QStringList zoneRows(const QList<ConfiguredZone>& zones) {
    QStringList rows;
    for (const ConfiguredZone& z : zones)
        rows.append(z.view + u'/' + z.name + u'/' + z.zoneClass + u'/' + zoneTypeName(z.type));
    return rows;
}

// The zones of BIND's canonical text, found from its fixed layout alone (a zone line at the
// left edge or one tab in, inside a view; its type on the next level), independent of the
// parser under test.
QStringList canonicalZoneRows(const QString& text) {
    static const QRegularExpression viewLine(u"^view \"([^\"]*)\"(?: (\\S+))? \\{$"_s);
    static const QRegularExpression zoneLine(u"^(\\t?)zone \"([^\"]*)\"(?: (\\S+))? \\{$"_s);
    QStringList rows;
    QString view, viewClass;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (const auto v = viewLine.match(line); v.hasMatch()) {
            view = v.captured(1);
            viewClass = v.captured(2);
        } else if (line == u"};"_s) {
            view.clear();
            viewClass.clear();
        } else if (const auto z = zoneLine.match(line); z.hasMatch()) {
            const QString indent = z.captured(1) + u'\t';
            QString type = u"in-view"_s;
            bool typed = false, inView = false;
            for (qsizetype j = i + 1; j < lines.size() && lines.at(j).startsWith(indent); ++j) {
                const QString inner = lines.at(j).mid(indent.size());
                if (inner.startsWith(u"type "_s)) {
                    // BIND's older words, in its newer ones; every other word as printed.
                    type = inner.mid(5).chopped(1).toLower();
                    type = type == u"master"_s  ? u"primary"_s
                           : type == u"slave"_s ? u"secondary"_s
                                                : type;
                    typed = true;
                }
                inView = inView || inner.startsWith(u"in-view "_s);
            }
            if (!typed && !inView)
                type = u"unknown"_s;
            const QString zoneClass = !z.captured(3).isEmpty() ? z.captured(3)
                                      : !viewClass.isEmpty()   ? viewClass
                                                               : u"IN"_s;
            rows.append((z.captured(1).isEmpty() ? QString() : view) + u'/' + z.captured(2) + u'/' +
                        zoneClass.toUpper() + u'/' + type);
        }
    }
    return rows;
}

QString settingsText(const ServerSettings& s) {
    const auto list = [](const std::optional<QStringList>& l) {
        return l ? l->join(u',') : u"-"_s;
    };
    return list(s.listenOn) + u'|' + list(s.allowQuery) + u'|' +
           (s.recursion ? (*s.recursion ? u"yes"_s : u"no"_s) : u"-"_s) + u'|' +
           list(s.forwarders) + u'|' + s.dnssecValidation.value_or(u"-"_s);
}

// named-checkconf with the file's own folder as working folder, as the corpus was checked.
ProgramResult checkConf(const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(checkConfProgram, arguments);
    return finishProgram(process);
}

QStringList corpusConfFiles() {
    QStringList files;
    QFile list(corpus + u"/bind/conf.list"_s);
    if (list.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : list.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                files.append(corpus + u"/bind/conf/"_s + QString::fromUtf8(line.trimmed()));
    }
    return files;
}

} // namespace

class TestBindConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The grammar: statements, nesting, quotes, comments; errors name their line.
    void parser_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tree"); // shape(), or "error <line>"
        const QStringList rows = QStringList{
            u"a;=>a;"_s,
            u"a b \"c d\";=>a b \"c d\";"_s,
            u"x { y; z { w; }; };=>x {y; z {w;};};"_s,
            u"/* c { */ a; # b;|// c;|a2;=>a; a2;"_s,
            u"zone \"ex\" in { type master; file \"db ex\"; };=>zone \"ex\" in {type master; file \"db ex\";};"_s,
            u"allow { ! 10/8; !key \"k\"; { 1; 2; }; };=>allow {! 10/8; ! key \"k\"; {1; 2;};};"_s,
            u"q \"a\\\"b\\\\c\";=>q \"a\"b\\c\";"_s,
            u"s \"\";;; t{};=>s \"\"; t {};"_s,
            u"x { } y;=>x {} y;"_s,
            u"a/b c//d|e;=>a/b c e;"_s,
            u"d { a; \\}; b { \\{ x; }; };=>d {a; }; b {{ x;};};"_s,
            u"a { b;=>error 1"_s,
            u"a;|}=>error 2"_s,
            u"a|b=>error 2"_s,
            u"x { y; } z=>error 1"_s,
            u"\"open;|x;=>error 1"_s,
            u"/* open|=>error 1"_s,
            u"a; /* x|y */ b \"c|d\"; e;|f { g; }=>error 4"_s};
        for (const QString& row : rows)
            QTest::newRow(qPrintable(row.section(u"=>"_s, 0, 0)))
                << row.section(u"=>"_s, 0, 0).replace(u'|', u'\n') << row.section(u"=>"_s, 1);
        QTest::newRow("nested to the limit")
            << u"a {"_s.repeated(BindConfigParser::maximumDepth) +
                   u"};"_s.repeated(BindConfigParser::maximumDepth)
            << u"a {"_s.repeated(BindConfigParser::maximumDepth) +
                   u"};"_s.repeated(BindConfigParser::maximumDepth);
        QTest::newRow("nested past the limit")
            << u"{"_s.repeated(100000) + u"};"_s.repeated(100000) << u"error 1"_s;
    }
    void parser() {
        QFETCH(QString, text);
        QFETCH(QString, tree);
        const BindConfigParser::Result result = BindConfigParser::parse(text);
        if (tree.startsWith(u"error "_s)) {
            QVERIFY(!result.ok());
            QVERIFY(result.statements.isEmpty());
            QCOMPARE(result.error.section(u':', 0, 0), u"line "_s + tree.mid(6));
        } else {
            QVERIFY2(result.ok(), qPrintable(result.error));
            QCOMPARE(shape(result.statements).remove(u' '), tree.remove(u' '));
        }
    }

    // Zones with class, type and view; settings from the top-level options block alone.
    void reading_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("zones");
        QTest::addColumn<QString>("settings");
        const QString none = u"-|-|-|-|-"_s;
        QTest::newRow("top options")
            << u"options { listen-on port 5 { 192.0.2.1; }; allow-query { \"any\"; }; "
               "recursion no; forwarders { 192.0.2.53; }; dnssec-validation auto; };"_s
            << QString() << u"192.0.2.1|any|no|192.0.2.53|auto"_s;
        QTest::newRow("view options stay in the view")
            << u"options { recursion yes; };\nview \"v\" { recursion no; allow-query { none; }; "
               "forwarders { 192.0.2.9; }; dnssec-validation no; listen-on { 192.0.2.7; }; "
               "zone \"a\" { type primary; file \"a\"; }; };"_s
            << u"v/a/IN/primary"_s << u"-|-|yes|-|-"_s;
        QTest::newRow("zone options stay in the zone")
            << u"zone \"f\" { type forward; forwarders { 192.0.2.9; }; forward only; };\n"
               "zone \"s\" { type secondary; primaries { 192.0.2.1; }; allow-query { none; }; };"_s
            << u"/f/IN/forward /s/IN/secondary"_s << none;
        QTest::newRow("options nested elsewhere")
            << u"view \"v\" { options { recursion no; }; };\nzone \"z\" { type hint; "
               "options { recursion no; }; };"_s
            << u"/z/IN/hint"_s << none;
        QTest::newRow("every type and old words")
            << u"zone \"a\" { type master; }; zone \"b\" { type slave; }; zone \"c\" { type stub; "
               "}; zone \"d\" { type redirect; }; zone \"e\" { type mirror; }; zone \"f\" { type "
               "static-stub; }; zone \"g\" { type delegation-only; }; zone \"h\" { type odd; }; "
               "zone \"i\" { };"_s
            << u"/a/IN/primary /b/IN/secondary /c/IN/stub /d/IN/redirect /e/IN/mirror "
               "/f/IN/static-stub /g/IN/delegation-only /h/IN/unknown /i/IN/unknown"_s
            << none;
        QTest::newRow("classes and in-view")
            << u"view \"ext\" chaos { zone \"version.bind\" { type primary; }; };\n"
               "view \"int\" { zone \"x\" ch { type primary; }; zone \"y\" { in-view \"ext\"; }; };"_s
            << u"ext/version.bind/CHAOS/primary int/x/CH/primary int/y/IN/in-view"_s << none;
        QTest::newRow("not well formed")
            << u"options { recursion no; };\nzone \"a\" { type primary; "_s << QString() << none;
    }
    void reading() {
        QFETCH(QString, text);
        QFETCH(QString, zones);
        QFETCH(QString, settings);
        const BindConfigReading reading = BindConfigReader::fromText(text);
        QCOMPARE(zoneRows(reading.zones).join(u' '), zones);
        QCOMPARE(settingsText(reading.settings), settings);
    }

    // Debian's stock configuration, moved into a temporary /etc/bind, as shipped and with
    // Korvi's include added: the primary zones listed are those named-checkconf -z loads,
    // each with its declaring file and owner; "." is a hint zone.
    void debianStock_data() {
        QTest::addColumn<bool>("withKorvi");
        QTest::newRow("as shipped") << false;
        QTest::newRow("with Korvi's include") << true;
    }
    void debianStock() {
        QFETCH(bool, withKorvi);
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        const QString etc = m_dir.filePath(withKorvi ? u"korvi/etc/bind"_s : u"stock/etc/bind"_s);
        QVERIFY(QDir().mkpath(etc));
        const QString debian = corpus + u"/debian/"_s;
        for (const QString& name : QDir(debian + u"conf"_s).entryList(QDir::Files)) {
            QFile file(debian + u"conf/"_s + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QString text = QString::fromUtf8(file.readAll()).replace(u"/etc/bind/"_s, etc + u'/');
            if (withKorvi && name == u"named.conf"_s)
                text += u"include \""_s + etc + u"/named.conf.korvi\";\n"_s;
            QVERIFY(writeTextFile(etc + u'/' + name, text));
        }
        for (const QString& name : QDir(debian + u"zones"_s).entryList(QDir::Files))
            QVERIFY(QFile::copy(debian + u"zones/"_s + name, etc + u'/' + name));
        QVERIFY(QFile::copy(debian + u"zones/db.local"_s, etc + u"/db.korvi"_s));
        QVERIFY(writeTextFile(etc + u"/named.conf.korvi"_s,
                              u"zone \"korvi.example\" { type primary; file \""_s + etc +
                                  u"/db.korvi\"; };\n"_s));
        const QString conf = etc + u"/named.conf"_s;

        const ProgramResult loaded = checkConf({u"-z"_s, conf}, etc);
        QVERIFY2(loaded.ok(), qPrintable(loaded.describe()));
        QStringList loadedZones;
        static const QRegularExpression loadedLine(u"^zone (\\S+)/IN: loaded serial"_s,
                                                   QRegularExpression::MultilineOption);
        for (auto it = loadedLine.globalMatch(loaded.output); it.hasNext();)
            loadedZones.append(it.next().captured(1));
        loadedZones.sort();

        const ProgramResult printed = checkConf({u"-p"_s, conf}, etc);
        QVERIFY2(printed.ok(), qPrintable(printed.describe()));
        BindConfigReading reading = BindConfigReader::fromCheckconfOutput(printed.output);
        QVERIFY(reading.read);
        const BindConfigReading tree = BindConfigReader::fromFileTree(conf);
        QVERIFY2(tree.problems.isEmpty(), qPrintable(tree.problems.join(u'\n')));
        BindConfigReader::attributeFiles(reading, tree);
        BindConfigReader::markOwnership(reading, {BindConfigReader::korviIncludeBeside(conf)});

        QStringList primaries;
        QStringList others;
        for (const ConfiguredZone& zone : reading.zones) {
            if (zone.type == ConfiguredZoneType::primary)
                primaries.append(zone.name);
            else
                others.append(zone.name + u'/' + zoneTypeName(zone.type));
            const bool korvis = zone.name == u"korvi.example"_s;
            QCOMPARE(zone.ownedByKorvi, korvis);
            QCOMPARE(zone.isEditableByKorvi(), korvis);
            QCOMPARE(zone.declaredIn,
                     etc + (korvis ? u"/named.conf.korvi"_s : u"/named.conf.default-zones"_s));
        }
        primaries.sort();
        qInfo("named-checkconf -z loaded %lld zones; Korvi lists %lld primary zones (%d its "
              "own) and %s",
              qlonglong(loadedZones.size()), qlonglong(primaries.size()), withKorvi ? 1 : 0,
              qPrintable(others.join(u' ')));
        QCOMPARE(primaries.contains(u"korvi.example"_s), withKorvi);
        QCOMPARE(primaries, loadedZones);
        QCOMPARE(others, QStringList{u"./hint"_s});
        // The stock options block: dnssec-validation auto, nothing Korvi edits.
        QCOMPARE(settingsText(reading.settings), u"-|-|-|-|auto"_s);
    }

    // Every zone named-checkconf -p prints for BIND's own test configurations is found with
    // its view, class and type; reading the raw file gives the same zones; settings are
    // those of the top-level options block alone, whatever views and zones set.
    void corpusFiles() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        const QStringList files = corpusConfFiles();
        QCOMPARE(files.size(), 158);
        qsizetype zones = 0, inViews = 0, leakCandidates = 0;
        QMap<QString, int> types;
        for (const QString& file : files) {
            const QFileInfo info(file);
            const ProgramResult printed = checkConf({u"-p"_s, info.fileName()}, info.path());
            QVERIFY2(printed.ok(), qPrintable(file + printed.describe()));
            const BindConfigReading reading = BindConfigReader::fromCheckconfOutput(printed.output);
            QVERIFY2(reading.read, qPrintable(file + reading.problems.join(u'\n')));
            const QStringList expected = canonicalZoneRows(printed.output);
            const QString canonical = printed.output.split(u'\n')
                                          .filter(QRegularExpression(u"^(\\t|[a-z-]+ |};)"_s))
                                          .join(u'\n');
            QCOMPARE(file + u' ' + zoneRows(reading.zones).join(u' '),
                     file + u' ' + expected.join(u' '));

            BindConfigReading tree = BindConfigReader::fromFileTree(file);
            QVERIFY2(tree.read, qPrintable(file + tree.problems.join(u'\n')));
            for (ConfiguredZone& zone : tree.zones) {
                QCOMPARE(zone.declaredIn, info.absoluteFilePath());
                zone.declaredIn.clear();
            }
            QCOMPARE(file + u' ' + zoneRows(tree.zones).join(u' '),
                     file + u' ' + zoneRows(reading.zones).join(u' '));

            // Only the top-level options block, on its own, gives the same settings.
            const BindConfigParser::Result parsed = BindConfigParser::parse(canonical);
            QList<ConfStatement> optionsOnly;
            bool elsewhere = false;
            static const QRegularExpression settingWords(
                u"(?:^|[{;] ?)(listen-on|allow-query|recursion|forwarders|dnssec-validation) "_s);
            for (const ConfStatement& statement : parsed.statements) {
                if (statement.is("options"_L1))
                    optionsOnly.append(statement);
                else if (shape({statement}).contains(settingWords))
                    elsewhere = true;
            }
            leakCandidates += elsewhere ? 1 : 0;
            QCOMPARE(settingsText(reading.settings),
                     settingsText(BindConfigReader::fromStatements(optionsOnly).settings));

            zones += reading.zones.size();
            for (const ConfiguredZone& zone : reading.zones) {
                ++types[zoneTypeName(zone.type)];
                inViews += zone.view.isEmpty() ? 0 : 1;
            }
        }
        QStringList typeCounts;
        for (auto it = types.cbegin(); it != types.cend(); ++it)
            typeCounts.append(it.key() + u' ' + QString::number(it.value()));
        qInfo("%lld configuration files: %lld zones found as named-checkconf -p prints them "
              "(%lld in views; %s); %lld files set server settings outside the top-level "
              "options block, none taken as server-wide",
              qlonglong(files.size()), qlonglong(zones), qlonglong(inViews),
              qPrintable(typeCounts.join(u", "_s)), qlonglong(leakCandidates));
        QVERIFY(zones > 0 && inViews > 0 && leakCandidates > 0);
    }

    // Includes: relative names from the top file's folder, a view's include keeps the view,
    // a loop and an unreadable file are problems, never a hang.
    void fileTree() {
        const QString root = m_dir.filePath(u"tree"_s);
        QVERIFY(QDir().mkpath(root + u"/sub"_s));
        QVERIFY(writeTextFile(root + u"/named.conf"_s,
                              u"include \"sub/a.conf\";\nview \"v\" { include \"sub/b.conf\"; };\n"
                              "include \"missing.conf\";\ninclude \"/dev/zero\";\n"_s));
        QVERIFY(writeTextFile(root + u"/sub/a.conf"_s,
                              u"options { recursion no; };\nzone \"a\" { type primary; };\n"
                              "include \"sub/a.conf\";\n"_s));
        QVERIFY(writeTextFile(root + u"/sub/b.conf"_s, u"zone \"b\" { type secondary; };\n"_s));
        const BindConfigReading tree = BindConfigReader::fromFileTree(root + u"/named.conf"_s);
        QVERIFY(tree.read);
        QCOMPARE(zoneRows(tree.zones), QStringList({u"/a/IN/primary"_s, u"v/b/IN/secondary"_s}));
        QCOMPARE(tree.zones.at(0).declaredIn, root + u"/sub/a.conf"_s);
        QCOMPARE(tree.zones.at(1).declaredIn, root + u"/sub/b.conf"_s);
        QCOMPARE(tree.settings.recursion, std::optional<bool>(false));
        QCOMPARE(tree.problems, QStringList({root + u"/sub/a.conf includes itself"_s,
                                             root + u"/missing.conf could not be read"_s,
                                             u"/dev/zero is not a regular file"_s}));
        QVERIFY(!BindConfigReader::fromFileTree(root + u"/nothing.conf"_s).read);

        // The same zone in two views, each from its own file: each keeps its declaring file
        // when BIND's expanded text is matched with the tree.
        QVERIFY(writeTextFile(root + u"/sub/c.conf"_s, u"zone \"b\" { type secondary; };\n"_s));
        QVERIFY(writeTextFile(root + u"/views.conf"_s,
                              u"view \"w\" { include \"sub/c.conf\"; };\n"
                              "view \"v\" { include \"sub/b.conf\"; };\n"_s));
        BindConfigReading canonical =
            BindConfigReader::fromText(u"view \"v\" { zone \"b\" { type secondary; }; };\n"
                                       "view \"w\" { zone \"B.\" { type secondary; }; };\n"_s);
        BindConfigReader::attributeFiles(canonical,
                                         BindConfigReader::fromFileTree(root + u"/views.conf"_s));
        QCOMPARE(canonical.zones.at(0).declaredIn, root + u"/sub/b.conf"_s);
        QCOMPARE(canonical.zones.at(1).declaredIn, root + u"/sub/c.conf"_s);
    }
};

QTEST_GUILESS_MAIN(TestBindConfig)
#include "tst_bindconfig.moc"
