// The line comparison behind the batch and history views, judged by the
// system's own `diff -u` on the same texts.

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "model/TextDiff.h"

using namespace korvi;

namespace {

QString systemDiff(const QString& dir, const QString& before, const QString& after) {
    const auto write = [&](const QString& name, const QString& text) {
        QFile file(dir + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(text.toUtf8());
        return true;
    };
    if (!write(QStringLiteral("a"), before) || !write(QStringLiteral("b"), after))
        return QStringLiteral("<could not write>");
    QProcess diff;
    diff.setWorkingDirectory(dir);
    diff.start(QStringLiteral("diff"),
               {QStringLiteral("-u"), QStringLiteral("--label"), QStringLiteral("a"),
                QStringLiteral("--label"), QStringLiteral("b"), QStringLiteral("a"),
                QStringLiteral("b")});
    diff.waitForFinished(10000);
    return QString::fromUtf8(diff.readAllStandardOutput());
}

// The lines of one side rebuilt from the comparison.
QStringList side(const QList<DiffLine>& lines, DiffLine::Kind skipped) {
    QStringList out;
    for (const DiffLine& line : lines) {
        if (line.kind != skipped)
            out.append(line.text);
    }
    return out;
}

QString lines(std::initializer_list<const char*> list) {
    QString text;
    for (const char* line : list)
        text += QString::fromUtf8(line) + u'\n';
    return text;
}

} // namespace

class TestTextDiff : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matchesSystemDiff_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const QString zone = lines(
            {"$TTL 3600", "@ IN SOA ns1 admin 2026120601 3600 900 604800 86400", "@ IN NS ns1",
             "ns1 IN A 192.0.2.1", "www IN A 192.0.2.10", "mail IN A 192.0.2.20", "@ IN MX 10 mail",
             "a IN A 192.0.2.30", "b IN A 192.0.2.31", "c IN A 192.0.2.32", "d IN A 192.0.2.33",
             "e IN A 192.0.2.34"});
        QString serial = zone;
        serial.replace(QStringLiteral("2026120601"), QStringLiteral("2026120602"));
        QString changedBothEnds = serial;
        changedBothEnds.replace(QStringLiteral("192.0.2.34"), QStringLiteral("192.0.2.99"));
        QTest::newRow("one line changed") << zone << serial;
        QTest::newRow("two hunks") << zone << changedBothEnds;
        QTest::newRow("line added at end") << zone << zone + QStringLiteral("f IN A 192.0.2.35\n");
        QTest::newRow("line removed at start") << zone << zone.mid(zone.indexOf(u'\n') + 1);
        QTest::newRow("from nothing") << QString() << zone;
        QTest::newRow("to nothing") << zone << QString();
        QTest::newRow("near changes share a hunk")
            << lines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
            << lines({"1", "x", "3", "4", "5", "6", "7", "y", "9", "10"});
        QTest::newRow("far changes split")
            << lines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"})
            << lines({"x", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "y"});
        QTest::newRow("reordered") << lines({"a", "b", "c", "d"}) << lines({"d", "c", "b", "a"});
    }

    void matchesSystemDiff() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ours = unifiedDiff(before, after, QStringLiteral("a"), QStringLiteral("b"));
        const QString theirs = systemDiff(dir.path(), before, after);
        // Both are shortest edits; where several exist the two tools may
        // pick different ones, so the hunks' line counts are what must agree
        // exactly, and the text wherever the edit is unique.
        const auto counts = [](const QString& diff) {
            int plus = 0;
            int minus = 0;
            for (const QString& line : diff.split(u'\n')) {
                if (line.startsWith(u'+') && !line.startsWith(QStringLiteral("+++")))
                    ++plus;
                if (line.startsWith(u'-') && !line.startsWith(QStringLiteral("---")))
                    ++minus;
            }
            return std::pair{plus, minus};
        };
        QCOMPARE(counts(ours), counts(theirs));
        if (QString::fromUtf8(QTest::currentDataTag()) != QStringLiteral("reordered"))
            QCOMPARE(ours, theirs);
    }

    void equalTextsGiveNothing() {
        QCOMPARE(unifiedDiff(QStringLiteral("a\nb\n"), QStringLiteral("a\nb\n"),
                             QStringLiteral("x"), QStringLiteral("y")),
                 QString());
    }

    // Random edits of a long text: both sides come back whole and in order,
    // and the edit is no longer than the one made.
    void randomEditsRebuildBothSides() {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 20; ++round) {
            QStringList before;
            for (int i = 0; i < 2000; ++i)
                before.append(QStringLiteral("line %1").arg(random.bounded(300)));
            QStringList after = before;
            const int edits = 1 + random.bounded(40);
            for (int e = 0; e < edits; ++e) {
                const int at = random.bounded(int(after.size()));
                switch (random.bounded(3)) {
                case 0:
                    after.removeAt(at);
                    break;
                case 1:
                    after.insert(at, QStringLiteral("new %1").arg(e));
                    break;
                default:
                    after[at] = QStringLiteral("changed %1").arg(e);
                }
            }
            const QList<DiffLine> diff = diffLines(before, after);
            QCOMPARE(side(diff, DiffLine::Kind::added), before);
            QCOMPARE(side(diff, DiffLine::Kind::removed), after);
            const DiffCounts counts = diffCounts(diff);
            QVERIFY2(counts.added + counts.removed <= 2 * edits,
                     qPrintable(QStringLiteral("%1 edits shown for %2 made")
                                    .arg(counts.added + counts.removed)
                                    .arg(edits)));
        }
    }

    // A middle too different to search is shown replaced whole, still with
    // both sides intact.
    void hugeDifferenceFallsBack() {
        QStringList before;
        QStringList after;
        for (int i = 0; i < 6000; ++i) {
            before.append(QStringLiteral("old %1").arg(i));
            after.append(QStringLiteral("new %1").arg(i));
        }
        const QList<DiffLine> diff = diffLines(before, after);
        QCOMPARE(side(diff, DiffLine::Kind::added), before);
        QCOMPARE(side(diff, DiffLine::Kind::removed), after);
    }
};

QTEST_GUILESS_MAIN(TestTextDiff)
#include "tst_text_diff.moc"
