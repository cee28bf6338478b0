// Every zone file of the corpus read by Korvi gives exactly the records BIND
// loads from it, and Korvi's zone-file writer, with no edit, writes a file
// that BIND accepts and loads as the same records: every side goes through
// named-checkzone's one-record-a-line dump and is compared line by line.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "BindCheckers.h"
#include "CorpusRendering.h"
#include "model/ZoneFileWriter.h"
#include "model/ZoneParser.h"

using namespace korvi;
using namespace korvi::test;

namespace {

const QString corpusDir = QStringLiteral(KORVI_TEST_SOURCE_DIR "/data/corpus");

// named-checkzone's dump of a zone file, records as "owner TTL class type
// data" with single spaces between the first five fields; sorted.
struct Dump {
    bool ok = false;
    QString errors;
    QStringList records;
};

// Starts named-checkzone -D in `directory` (where BIND looks for $INCLUDE).
std::unique_ptr<QProcess> startDump(const QString& directory, const QString& zone,
                                    const QString& file, const QString& output) {
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(directory);
    process->start(checkZoneProgram, {u"-i"_s, u"local"_s, u"-D"_s, u"-o"_s, output, zone, file});
    return process;
}

Dump finishDump(QProcess& process, const QString& output) {
    Dump dump;
    const ProgramResult run = finishProgram(process);
    dump.errors = run.describe();
    QFile file(output);
    if (!run.ok() || !file.open(QIODevice::ReadOnly))
        return dump;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        QStringList fields = line.split(QRegularExpression(u"[ \t]+"_s));
        if (fields.size() < 4)
            continue;
        // Owners compare without regard to case: Korvi keeps them relative
        // to the zone, so the zone's part is spelled as the zone's name.
        fields[0] = fields.at(0).toLower();
        const QString head = fields.mid(0, 4).join(u' ');
        const qsizetype at =
            line.indexOf(fields.at(3), line.indexOf(fields.at(2)) + 1) + fields.at(3).size();
        dump.records.append(head + u' ' + line.mid(at).trimmed());
    }
    dump.records.sort();
    dump.ok = true;
    return dump;
}

struct Totals {
    int files = 0;
    qint64 records = 0;
    qint64 mismatches = 0;
    int refused = 0;
    qint64 refusedRecords = 0;
    qint64 outOfZone = 0;
    int rewritten = 0; // rewrites BIND accepted and loaded as the same records
    qint64 rewriteMismatches = 0;
} totals;

// Lines of `a` not in `b` and of `b` not in `a`, both sorted.
QString difference(const QStringList& a, const QStringList& b, qint64* count) {
    QStringList onlyA, onlyB;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
    *count += onlyA.size() + onlyB.size();
    if (onlyA.isEmpty() && onlyB.isEmpty())
        return {};
    return u"BIND only:\n  %1\nKorvi only:\n  %2"_s.arg(onlyA.mid(0, 5).join(u"\n  "_s),
                                                        onlyB.mid(0, 5).join(u"\n  "_s));
}

} // namespace

class TestZoneCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (!bindCheckersInstalled())
            QSKIP("BIND's checkers are not installed");
        QVERIFY(m_dir.isValid());
    }

    void corpusFileMatchesBind_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("refusal");
        // Files whose syntax Knot's scanner does not take (record types it
        // lacks, BIND's looser number, base64 and name forms): Korvi refuses
        // them whole, with this message, instead of reading part of them.
        QHash<QString, QString> refusals;
        QFile refused(QStringLiteral(KORVI_TEST_SOURCE_DIR "/zoneparser/refused.list"));
        QVERIFY(refused.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(refused.readAll()).split(u'\n')) {
            const QStringList parts = line.split(u'\t');
            if (parts.size() == 2) {
                const QRegularExpressionMatch m =
                    QRegularExpression(u"^(.*) \\(line (\\d+)\\)$"_s).match(parts.at(1));
                QVERIFY2(m.hasMatch(), qPrintable(line));
                refusals.insert(parts.at(0), u"line %1: %2"_s.arg(m.captured(2), m.captured(1)));
            }
        }
        int lists = 0;
        for (const QString& source : QDir(corpusDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile list(corpusDir + u'/' + source + u"/zones.list"_s);
            if (!list.open(QIODevice::ReadOnly))
                continue;
            ++lists;
            for (const QString& line : QString::fromUtf8(list.readAll()).split(u'\n')) {
                const QStringList parts = line.split(u'\t');
                if (parts.size() != 2)
                    continue;
                const QString path =
                    source + u'/' + (source == u"korvi" ? QString() : u"zones/"_s) + parts.at(0);
                QTest::newRow(qPrintable(path)) << path << parts.at(1) << refusals.value(path);
            }
        }
        QVERIFY2(lists >= 3, "the corpus lists are missing");
    }

    void corpusFileMatchesBind() {
        QFETCH(QString, path);
        QFETCH(QString, zone);
        QFETCH(QString, refusal);
        if (zone.size() > 1 && zone.endsWith(u'.'))
            zone.chop(1);
        const QString file = corpusDir + u'/' + path;
        const QString directory = QFileInfo(file).absolutePath();
        const QString bindOut = m_dir.filePath(u"bind.txt"_s);
        const QString korviIn = m_dir.filePath(u"korvi.zone"_s);
        const QString korviOut = m_dir.filePath(u"korvi.txt"_s);
        auto bindRun = startDump(directory, zone, QFileInfo(file).fileName(), bindOut);

        const ZoneReadResult read = ZoneParser().readFile(file, zone);
        ++totals.files;
        totals.outOfZone += read.outOfZone.size();
        if (!read.ok)
            ++totals.refused;
        QVERIFY(writeTextFile(korviIn, renderZone(read, zone)));
        auto korviRun = startDump(m_dir.path(), zone, korviIn, korviOut);
        // The zone as Korvi's writer saves it, nothing edited.
        const QString savedIn = m_dir.filePath(u"saved.zone"_s);
        const QString savedOut = m_dir.filePath(u"saved.txt"_s);
        QVERIFY(writeTextFile(savedIn, ZoneFileWriter::zoneText(zone, read.soa, read.records,
                                                                QDateTime::currentDateTimeUtc())));
        auto savedRun = startDump(m_dir.path(), zone, savedIn, savedOut);
        const Dump bind = finishDump(*bindRun, bindOut);
        const Dump korvi = finishDump(*korviRun, korviOut);
        const Dump saved = finishDump(*savedRun, savedOut);
        QVERIFY2(bind.ok, qPrintable(bind.errors));
        totals.records += bind.records.size();
        if (!refusal.isEmpty()) {
            totals.refusedRecords += bind.records.size();
            QVERIFY2(!read.ok && read.records.isEmpty() && !read.soa, "read although listed");
            QVERIFY2(read.error.endsWith(refusal), qPrintable(read.error));
            return;
        }
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY2(korvi.ok, qPrintable(korvi.errors));
        const QString readDifference = difference(bind.records, korvi.records, &totals.mismatches);
        QVERIFY2(readDifference.isEmpty(), qPrintable(readDifference));

        // The SOA (serial included) is among the records compared.
        QVERIFY2(saved.ok, qPrintable(u"the saved zone is refused: "_s + saved.errors));
        const QString savedDifference =
            difference(bind.records, saved.records, &totals.rewriteMismatches);
        QVERIFY2(savedDifference.isEmpty(), qPrintable(u"saved zone: "_s + savedDifference));
        ++totals.rewritten;
    }

    void cleanupTestCase() {
        std::printf("corpus: %d zone files, %lld records as BIND loads them, %lld mismatched "
                    "records in the files read, %d files refused with a message (%lld records), "
                    "%lld out-of-zone records reported; %d saved zones accepted by BIND and "
                    "loaded as read, %lld records differing in saved zones\n",
                    totals.files, static_cast<long long>(totals.records),
                    static_cast<long long>(totals.mismatches), totals.refused,
                    static_cast<long long>(totals.refusedRecords),
                    static_cast<long long>(totals.outOfZone), totals.rewritten,
                    static_cast<long long>(totals.rewriteMismatches));
        std::fflush(stdout);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestZoneCorpus)
#include "tst_zonecorpus.moc"
