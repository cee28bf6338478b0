// Every zone of the real-files corpus, imported from its file, gives the records BIND loads
// from that file (named-checkzone's dump), less exactly what the preview lists as not
// imported; and the SOA BIND loads. A file the reader refuses is refused with its message.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "manager/ZoneImport.h"
#include "model/ZoneFileWriter.h"
#include "model/ZoneParser.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString corpusDir = QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus");

QString typeOf(const DNSRecord& r) {
    return r.isKept() ? r.keptType : rawValue(r.type);
}

// Owner (lower case) and type: what a not-imported entry names.
QString ownerType(const QString& owner, const QString& type) {
    return owner.toLower() + u' ' + type;
}

// A record whole, owners without regard to case, data as Korvi writes it.
QString recordKey(const DNSRecord& r, const QString& zone) {
    return ownerType(r.name, typeOf(r)) + u' ' + QString::number(r.ttl) + u' ' +
           ZoneFileWriter::recordData(r, zone);
}

// The reasons the preview may give, each counted over the corpus.
const QStringList documentedReasons = {
    u"The name is outside the zone"_s,        u"A second SOA record"_s,
    u"An SOA record below the zone's apex"_s, u"DNSSEC signing data"_s,
    u"The same record as an earlier one"_s,   u"Korvi's record rules refuse it"_s};
QHash<QString, int> reasonCounts;
int files = 0, imported = 0, refused = 0;
qint64 records = 0;

} // namespace

class TestImportCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        QVERIFY(m_dir.isValid());
    }

    void importMatchesBind_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("refusal");
        // Files the reader refuses whole, with the message it gives (see tests/zoneparser).
        QHash<QString, QString> refusals;
        QFile refusedList(QStringLiteral(KORVI_TEST_SOURCE_DIR "/zoneparser/refused.list"));
        QVERIFY(refusedList.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(refusedList.readAll()).split(u'\n')) {
            const QStringList parts = line.split(u'\t');
            if (parts.size() == 2)
                refusals.insert(parts.at(0), parts.at(1).section(u" (line"_s, 0, 0));
        }
        for (const QString& source : QDir(corpusDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile list(corpusDir + u'/' + source + u"/zones.list"_s);
            if (!list.open(QIODevice::ReadOnly))
                continue;
            for (const QString& line : QString::fromUtf8(list.readAll()).split(u'\n')) {
                const QStringList parts = line.split(u'\t');
                if (parts.size() != 2)
                    continue;
                const QString path =
                    source + u'/' + (source == u"korvi" ? QString() : u"zones/"_s) + parts.at(0);
                QTest::newRow(qPrintable(path)) << path << parts.at(1) << refusals.value(path);
            }
        }
    }

    void importMatchesBind() {
        QFETCH(QString, path);
        QFETCH(QString, zone);
        QFETCH(QString, refusal);
        if (zone.size() > 1 && zone.endsWith(u'.'))
            zone.chop(1);
        const QString file = corpusDir + u'/' + path;
        const QString dumpPath = m_dir.filePath(u"bind.txt"_s);
        // BIND looks for $INCLUDE files in its working directory.
        QProcess bind;
        bind.setWorkingDirectory(QFileInfo(file).absolutePath());
        bind.start(checkZoneProgram, {u"-i"_s, u"local"_s, u"-D"_s, u"-o"_s, dumpPath, zone,
                                      QFileInfo(file).fileName()});

        const ZoneImportPreview preview = ZoneImportReader::fromFile(file, zone);
        ++files;
        const ProgramResult run = finishProgram(bind);
        QVERIFY2(run.ok(), qPrintable(run.describe()));
        if (!refusal.isEmpty()) {
            ++refused;
            QVERIFY2(!preview.ok && preview.records.isEmpty(), "imported although refused");
            QVERIFY2(preview.error.contains(refusal) && preview.error.contains(u"line"_s),
                     qPrintable(preview.error));
            return;
        }
        QVERIFY2(preview.ok, qPrintable(preview.error));

        // BIND's dump holds absolute names, one record a line; read with the same reader, its
        // records compare field by field with the preview's.
        // BIND names some recent types (BRID, HHIT) that Knot's reader does not know; such a
        // line of the dump is set aside, and the preview holds it in the generic form
        // ("TYPE68").
        QFile dumpFile(dumpPath);
        QVERIFY(dumpFile.open(QIODevice::ReadOnly));
        QList<QByteArray> dumpLines = dumpFile.readAll().split('\n');
        int setAside = 0;
        ZoneReadResult loaded = ZoneParser().readText(dumpLines.join('\n'), zone, {});
        static const QRegularExpression unknownType(u"line (\\d+): unsupported record type"_s);
        for (QRegularExpressionMatch m;
             !loaded.ok && setAside < 20 && (m = unknownType.match(loaded.error)).hasMatch();) {
            dumpLines[m.captured(1).toInt() - 1].clear();
            ++setAside;
            loaded = ZoneParser().readText(dumpLines.join('\n'), zone, {});
        }
        QVERIFY2(loaded.ok, qPrintable(loaded.error));
        QVERIFY(loaded.soa.has_value());
        QCOMPARE(preview.soa, loaded.soa);

        QSet<QString> bindSet, importSet, leftOut;
        for (const DNSRecord& r : loaded.records)
            bindSet.insert(recordKey(r, zone));
        for (const DNSRecord& r : preview.records)
            importSet.insert(recordKey(r, zone));
        QCOMPARE(importSet.size(), preview.records.size()); // no record twice
        for (const NotImported& n : preview.notImported) {
            leftOut.insert(ownerType(n.owner, n.type));
            const auto reason =
                std::find_if(documentedReasons.begin(), documentedReasons.end(),
                             [&](const QString& r) { return n.reason.startsWith(r); });
            QVERIFY2(reason != documentedReasons.end(), qPrintable(n.reason));
            ++reasonCounts[*reason];
        }
        // Everything imported is loaded by BIND ...
        QSet<QString> extra = importSet - bindSet;
        static const QRegularExpression generic(u"^\\S* TYPE\\d+ "_s);
        const qsizetype generics = extra.values().filter(generic).size();
        QVERIFY2(generics <= setAside, "more generic records than BIND has");
        extra.removeIf([](const QString& key) { return generic.match(key).hasMatch(); });
        QVERIFY2(extra.isEmpty(),
                 qPrintable(u"not loaded by BIND: "_s + extra.values().join(u"; ")));
        // ... and everything BIND loads is imported or listed as not imported.
        for (const QString& key : bindSet - importSet) {
            const QString head = key.section(u' ', 0, 1);
            QVERIFY2(leftOut.contains(head), qPrintable(u"dropped without a word: "_s + key));
        }
        ++imported;
        records += preview.records.size();
    }

    void cleanupTestCase() {
        QStringList counts;
        for (const QString& reason : documentedReasons)
            counts.append(u"%1: %2"_s.arg(reason).arg(reasonCounts.value(reason)));
        std::printf("import corpus: %d files, %d imported (%lld records), %d refused; not "
                    "imported: %s\n",
                    files, imported, static_cast<long long>(records), refused,
                    qPrintable(counts.join(u", "_s)));
        std::fflush(stdout);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestImportCorpus)
#include "tst_import_corpus.moc"
