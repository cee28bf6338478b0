// Each translation in translations/ against the code as it is now: lupdate
// run on a copy finds no text of the code untranslated and no translation
// whose text the code no longer has; every translation keeps the source's
// placeholders; lrelease compiles it with nothing unfinished.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

using namespace Qt::StringLiterals;

struct Message {
    QString context;
    QString source;
    QString type;             // "", "unfinished", "vanished" or "obsolete"
    QStringList translations; // one, or one for each plural form
    bool numerus = false;
    QString where() const { return context + u": \""_s + source + u'"'; }
};

QList<Message> readCatalog(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = u"cannot read "_s + path;
        return {};
    }
    QList<Message> messages;
    QString context;
    Message message;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == u"name") {
            context = xml.readElementText();
        } else if (name == u"message") {
            message = Message();
            message.context = context;
            message.numerus = xml.attributes().value(u"numerus"_s) == u"yes";
        } else if (name == u"source") {
            message.source = xml.readElementText();
        } else if (name == u"translation") {
            message.type = xml.attributes().value(u"type"_s).toString();
            if (message.numerus) {
                while (xml.readNextStartElement())
                    message.translations.append(xml.readElementText());
            } else {
                message.translations.append(xml.readElementText());
            }
            messages.append(message);
        }
    }
    if (xml.hasError())
        *error = path + u": "_s + xml.errorString();
    return messages;
}

// The %1…%99 and %n a text holds, sorted.
QStringList placeholders(const QString& text) {
    static const QRegularExpression marker(u"%(\\d{1,2}|n)"_s);
    QStringList found;
    for (const QRegularExpressionMatch& match : marker.globalMatch(text))
        found.append(match.captured());
    found.sort();
    found.removeDuplicates();
    return found;
}

QString run(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(90000)) {
        *exitCode = -1;
        return program + u" did not finish"_s;
    }
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

} // namespace

class TranslationCatalogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFileInfo(QStringLiteral(KORVI_TEST_LUPDATE)).isExecutable(), KORVI_TEST_LUPDATE);
        QVERIFY2(QFileInfo(QStringLiteral(KORVI_TEST_LRELEASE)).isExecutable(),
                 KORVI_TEST_LRELEASE);
    }

    void catalog_data() {
        QTest::addColumn<QString>("ts");
        const QStringList files = QDir(QStringLiteral(KORVI_TEST_TRANSLATIONS))
                                      .entryList({u"korvi_*.ts"_s}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& file : files)
            QTest::newRow(qPrintable(file))
                << QDir(QStringLiteral(KORVI_TEST_TRANSLATIONS)).filePath(file);
    }

    // The catalog as lupdate makes it from today's code: complete, nothing left over.
    void catalog() {
        QFETCH(QString, ts);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString copy = dir.filePath(QFileInfo(ts).fileName());
        QVERIFY(QFile::copy(ts, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        int exitCode = 0;
        const QString updateOutput = run(QStringLiteral(KORVI_TEST_LUPDATE),
                                         {u"-locations"_s, u"none"_s, u"-extensions"_s, u"cpp,h"_s,
                                          QStringLiteral(KORVI_TEST_SOURCES), u"-ts"_s, copy},
                                         &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(updateOutput));

        QString error;
        const QList<Message> messages = readCatalog(copy, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!messages.isEmpty());
        QStringList untranslated, leftOver, badPlaceholders, badPlurals;
        for (const Message& message : messages) {
            if (message.type == u"vanished" || message.type == u"obsolete") {
                leftOver.append(message.where());
                continue;
            }
            const bool empty =
                std::any_of(message.translations.cbegin(), message.translations.cend(),
                            [](const QString& text) { return text.isEmpty(); });
            if (message.type == u"unfinished" || empty) {
                untranslated.append(message.where());
                continue;
            }
            if (message.numerus && message.translations.size() < 2)
                badPlurals.append(message.where());
            const QStringList wanted = placeholders(message.source);
            for (const QString& text : message.translations)
                if (placeholders(text) != wanted)
                    badPlaceholders.append(message.where() + u" -> \""_s + text + u'"');
        }
        QVERIFY2(untranslated.isEmpty(),
                 qPrintable(u"texts of the code without a translation (translate them in "_s + ts +
                            u"):\n"_s + untranslated.join(u'\n')));
        QVERIFY2(leftOver.isEmpty(),
                 qPrintable(u"translations of texts the code no longer has (remove them from "_s +
                            ts + u"):\n"_s + leftOver.join(u'\n')));
        QVERIFY2(badPlaceholders.isEmpty(),
                 qPrintable(u"translations that lose or add a placeholder:\n"_s +
                            badPlaceholders.join(u'\n')));
        QVERIFY2(badPlurals.isEmpty(),
                 qPrintable(u"plural texts without both forms:\n"_s + badPlurals.join(u'\n')));

        // lrelease agrees: everything finished.
        const QString releaseOutput =
            run(QStringLiteral(KORVI_TEST_LRELEASE),
                {copy, u"-qm"_s, dir.filePath(u"catalog.qm"_s)}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(releaseOutput));
        QVERIFY2(releaseOutput.contains(u" 0 unfinished"_s), qPrintable(releaseOutput));
        QVERIFY(QFileInfo(dir.filePath(u"catalog.qm"_s)).size() > 0);
    }
};

QTEST_GUILESS_MAIN(TranslationCatalogTest)
#include "tst_translation_catalog.moc"
