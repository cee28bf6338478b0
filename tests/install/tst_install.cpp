// Installs the build into a temporary prefix, as `cmake --install` and the
// Debian package do, and checks what the desktop and the package read: every
// file in its place, the menu entry and the metainfo as their own validators
// judge them, the icon, the manual pages as groff renders them, and the polkit
// action pointing at the installed helper.

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString appId = u"org.korvi.Korvi"_s;
const QList<int> pngSizes = {16, 24, 32, 48, 64, 128, 256};
// A configure_file() variable left in a text.
const QRegularExpression unconfigured(u"@[A-Z_]+@"_s);
constexpr bool installsKorvictl = KORVI_TEST_INSTALLS_KORVICTL;

struct Run {
    bool ok = false;
    QByteArray output;
    QString errors;
    QString describe() const { return u"%1%2"_s.arg(errors, QString::fromUtf8(output.left(2000))); }
};

// Runs a program to its end with `input` on its standard input, in the C.UTF-8 locale.
Run run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
        const QStringList& environment = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    for (const QString& entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(10000)) {
        result.errors = u"cannot start %1: %2\n"_s.arg(program, process.errorString());
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(60000);
    if (!finished) {
        process.kill();
        process.waitForFinished(1000);
    }
    result.output = process.readAllStandardOutput();
    result.errors = QString::fromUtf8(process.readAllStandardError());
    result.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (finished && process.exitCode() != 0)
        result.errors.prepend(u"exit code %1\n"_s.arg(process.exitCode()));
    return result;
}

// The full path of a tool the checks need, or empty.
QString tool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The value of `key` in a .desktop file's main group.
QString desktopValue(const QString& text, const QString& key) {
    const QRegularExpression line(u"^"_s + QRegularExpression::escape(key) + u"=(.*)$"_s,
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(1).trimmed();
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_prefix;
    bool m_installed = false;

    QString installed(const QString& relative) const { return m_prefix + u'/' + relative; }

    // The text of a gzip'd file.
    static QByteArray gunzip(const QString& path) {
        const Run unpacked = run(u"gzip"_s, {u"-dc"_s, path});
        return unpacked.ok ? unpacked.output : QByteArray();
    }

    // A manual page: the installed one, or korvictl's as the build made it
    // when this build has no korvictl to install it with.
    QString manPage(const QString& page) const {
        if (page == u"korvictl.1"_s && !installsKorvictl)
            return QStringLiteral(KORVI_TEST_BUILD_DIR) + u"/data/"_s + page + u".gz"_s;
        return installed(u"share/man/man1/"_s + page + u".gz"_s);
    }

    // A manual page rendered as plain text, dashes as ASCII.
    QString renderedManPage(const QString& page) const {
        const Run rendered =
            run(u"groff"_s, {u"-man"_s, u"-Tutf8"_s, u"-P-cbou"_s}, gunzip(manPage(page)));
        QString text = QString::fromUtf8(rendered.output);
        text.replace(QChar(0x2010), u'-').replace(QChar(0x2212), u'-');
        return text;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_prefix = m_dir.path() + u"/usr"_s;
        const Run install =
            run(QStringLiteral(KORVI_TEST_CMAKE_COMMAND),
                {u"--install"_s, QStringLiteral(KORVI_TEST_BUILD_DIR), u"--prefix"_s, m_prefix});
        QVERIFY2(install.ok, qPrintable(u"cmake --install failed: "_s + install.describe()));
        m_installed = true;
    }

    void init() { QVERIFY2(m_installed, "the install into the temporary prefix failed"); }

    // Exactly these files: nothing missing, and nothing a package should not carry.
    void installsExactlyTheApplicationsFiles() {
        QStringList expected = {
            u"bin/korvi"_s,
            u"libexec/korvi/korvi-helper"_s,
            u"share/applications/%1.desktop"_s.arg(appId),
            u"share/metainfo/%1.metainfo.xml"_s.arg(appId),
            u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(appId),
            u"share/polkit-1/actions/org.korvi.helper.policy"_s,
            u"share/man/man1/korvi.1.gz"_s,
            u"share/doc/korvi/copyright"_s,
            u"share/doc/korvi/changelog.gz"_s,
        };
        for (int size : pngSizes)
            expected.append(u"share/icons/hicolor/%1x%1/apps/%2.png"_s.arg(size).arg(appId));
        if (installsKorvictl)
            expected << u"bin/korvictl"_s << u"share/man/man1/korvictl.1.gz"_s;

        QStringList found;
        QDirIterator it(m_prefix, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next().mid(m_prefix.size() + 1));
        expected.sort();
        found.sort();
        QCOMPARE(found, expected);
    }

    void programsAreExecutable_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("korvi") << u"bin/korvi"_s;
        QTest::newRow("korvi-helper") << u"libexec/korvi/korvi-helper"_s;
        if (installsKorvictl)
            QTest::newRow("korvictl") << u"bin/korvictl"_s;
    }

    void programsAreExecutable() {
        QFETCH(QString, path);
        const QFileInfo info(installed(path));
        QVERIFY2(info.isFile() && info.isExecutable(), qPrintable(path));
        QVERIFY(info.permissions().testFlag(QFileDevice::ExeOther));
    }

    void desktopEntryValidates() {
        const QString validator = tool(u"desktop-file-validate"_s);
        QVERIFY2(!validator.isEmpty(),
                 "desktop-file-validate not found (package desktop-file-utils)");
        const QString path = installed(u"share/applications/%1.desktop"_s.arg(appId));
        const Run validated = run(validator, {path});
        const QString said = QString::fromUtf8(validated.output) + validated.errors;
        QVERIFY2(validated.ok, qPrintable(said));
        QVERIFY2(!said.contains(u"error:"_s) && !said.contains(u"warning:"_s), qPrintable(said));

        // The entry starts the installed program and shows the installed icon.
        const QString text = readText(path);
        QCOMPARE(desktopValue(text, u"Type"_s), u"Application"_s);
        const QString exec = desktopValue(text, u"Exec"_s).section(u' ', 0, 0);
        QVERIFY2(QFileInfo(installed(u"bin/"_s + exec)).isExecutable(), qPrintable(exec));
        const QString icon = desktopValue(text, u"Icon"_s);
        QVERIFY2(
            QFileInfo::exists(installed(u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(icon))),
            qPrintable(u"no icon named "_s + icon));
    }

    void metainfoValidates() {
        const QString validator = tool(u"appstreamcli"_s);
        QVERIFY2(!validator.isEmpty(), "appstreamcli not found (package appstream)");
        const QString path = installed(u"share/metainfo/%1.metainfo.xml"_s.arg(appId));
        const Run validated = run(validator, {u"validate"_s, u"--no-net"_s, path});
        QVERIFY2(validated.ok, qPrintable(validated.describe()));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString id, launchable, binary;
        QStringList releases;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"id"_s)
                id = xml.readElementText();
            else if (xml.name() == u"launchable"_s)
                launchable = xml.readElementText();
            else if (xml.name() == u"binary"_s)
                binary = xml.readElementText();
            else if (xml.name() == u"release"_s)
                releases.append(xml.attributes().value(u"version"_s).toString());
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(id, appId);
        // Software centres find the menu entry and the program by these names.
        QVERIFY2(QFileInfo::exists(installed(u"share/applications/"_s + launchable)),
                 qPrintable(launchable));
        QVERIFY2(QFileInfo(installed(u"bin/"_s + binary)).isExecutable(), qPrintable(binary));
        QVERIFY2(releases.contains(QStringLiteral(KORVI_VERSION)), qPrintable(releases.join(u' ')));
    }

    void scalableIconParses() {
        QFile file(installed(u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(appId)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), u"svg"_s);
        QCOMPARE(xml.namespaceUri(), u"http://www.w3.org/2000/svg"_s);
        const QStringList viewBox =
            xml.attributes().value(u"viewBox"_s).toString().split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(viewBox.size(), 4);
        QVERIFY2(viewBox[2].toDouble() > 0 && viewBox[2] == viewBox[3], "the icon is not square");
        int shapes = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                QStringList({u"rect"_s, u"circle"_s, u"ellipse"_s, u"path"_s})
                    .contains(xml.name().toString()))
                ++shapes;
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(shapes > 0);
    }

    void pngIconsHaveTheirSize_data() {
        QTest::addColumn<int>("size");
        for (int size : pngSizes)
            QTest::newRow(qPrintable(u"%1x%1"_s.arg(size))) << size;
    }

    void pngIconsHaveTheirSize() {
        QFETCH(int, size);
        QImageReader reader(
            installed(u"share/icons/hicolor/%1x%1/apps/%2.png"_s.arg(size).arg(appId)));
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        // The rounded corner is see-through, the middle is painted.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }

    void manPagesRenderWithoutWarnings_data() {
        QTest::addColumn<QString>("page");
        QTest::newRow("korvi.1") << u"korvi.1"_s;
        // korvictl's page is written ahead of the program; it is checked either way.
        QTest::newRow("korvictl.1") << u"korvictl.1"_s;
    }

    void manPagesRenderWithoutWarnings() {
        QFETCH(QString, page);
        QVERIFY2(!tool(u"groff"_s).isEmpty(), "groff not found (package groff-base)");
        const QByteArray source = gunzip(manPage(page));
        QVERIFY2(!source.isEmpty(), qPrintable(manPage(page)));
        QVERIFY2(source.contains(".TH " + page.section(u'.', 0, 0).toUpper().toUtf8() + " 1 "),
                 "not a page of section 1");
        QVERIFY2(source.contains("Korvi " KORVI_VERSION), "the page does not carry the version");
        QVERIFY2(!QString::fromUtf8(source).contains(unconfigured),
                 "an unconfigured @VARIABLE@ is left in the page");
        const Run rendered = run(u"groff"_s, {u"-man"_s, u"-Tutf8"_s, u"-ww"_s, u"-z"_s}, source);
        QVERIFY2(rendered.ok, qPrintable(rendered.describe()));
        QVERIFY2(rendered.errors.isEmpty(), qPrintable(rendered.errors));
    }

    // Every long option `korvi --help` lists is explained in its manual page.
    void manPageExplainsEveryOption() {
        const Run help =
            run(installed(u"bin/korvi"_s), {u"--help"_s}, {}, {u"QT_QPA_PLATFORM=offscreen"_s});
        QVERIFY2(help.ok, qPrintable(help.describe()));
        const QString helpText = QString::fromUtf8(help.output);
        const QString options = helpText.section(u"Options:"_s, 1);
        QVERIFY2(!options.isEmpty(), qPrintable(helpText));
        QStringList listed;
        auto matches = QRegularExpression(u"(?<![\\w-])--[a-z][a-z-]*"_s).globalMatch(options);
        while (matches.hasNext())
            listed.append(matches.next().captured(0));
        QVERIFY(listed.contains(u"--sandbox"_s));

        const QString page = renderedManPage(u"korvi.1"_s);
        QVERIFY(page.contains(u"NAME"_s));
        for (const QString& option : listed)
            QVERIFY2(page.contains(option), qPrintable(option + u" is not in korvi(1)"_s));
    }

    // The installed korvictl runs on its own: its help lists every command
    // and option, each explained in korvictl(1), and a wrong command line is
    // a usage error.
    void korvictlManPageExplainsEveryCommandAndOption() {
        if (!installsKorvictl)
            QSKIP("this build has no korvictl");
        const Run help = run(installed(u"bin/korvictl"_s), {u"--help"_s});
        QVERIFY2(help.ok, qPrintable(help.describe()));
        const QString helpText = QString::fromUtf8(help.output);
        QStringList listed;
        auto options = QRegularExpression(u"(?<![\\w-])--[a-z][a-z-]*"_s).globalMatch(helpText);
        while (options.hasNext())
            listed.append(options.next().captured(0));
        const QString commandList = helpText.section(u"Commands:"_s, 1).section(u"\n\n"_s, 0, 0);
        auto commands = QRegularExpression(u"^  ([a-z]+)"_s, QRegularExpression::MultilineOption)
                            .globalMatch(commandList);
        while (commands.hasNext())
            listed.append(commands.next().captured(1));
        for (const char* expected : {"--json", "--sandbox", "--ttl", "status", "export", "lookup"})
            QVERIFY2(listed.contains(QLatin1String(expected)), expected);

        const QString page = renderedManPage(u"korvictl.1"_s);
        for (const QString& word : std::as_const(listed))
            QVERIFY2(page.contains(word), qPrintable(word + u" is not in korvictl(1)"_s));

        const Run wrong = run(installed(u"bin/korvictl"_s), {u"frobnicate"_s});
        QVERIFY(!wrong.ok);
        QVERIFY2(wrong.errors.startsWith(u"exit code 2\n"_s) &&
                     wrong.errors.contains(u"unknown command"_s),
                 qPrintable(wrong.describe()));
    }

    void policyNamesTheInstalledHelper() {
        QFile file(installed(u"share/polkit-1/actions/org.korvi.helper.policy"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString execPath;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"annotate"_s &&
                xml.attributes().value(u"key"_s) == u"org.freedesktop.policykit.exec.path"_s)
                execPath = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(execPath, QStringLiteral(KORVI_HELPER_INSTALL_PATH));
        // Where the configured prefix puts the helper is where the install put it.
        const QString prefix = QStringLiteral(KORVI_TEST_INSTALL_PREFIX);
        QVERIFY2(execPath.startsWith(prefix + u'/'), qPrintable(execPath));
        QVERIFY2(QFileInfo(m_prefix + execPath.mid(prefix.size())).isExecutable(),
                 qPrintable(execPath));
    }

    void changelogNamesThisVersion() {
        const QString changelog =
            QString::fromUtf8(gunzip(installed(u"share/doc/korvi/changelog.gz"_s)));
        QVERIFY2(changelog.startsWith(u"korvi (" KORVI_VERSION ") "_s), qPrintable(changelog));
        QVERIFY2(!changelog.contains(unconfigured), qPrintable(changelog));
        QVERIFY(readText(installed(u"share/doc/korvi/copyright"_s)).contains(u"License: GPL-3+"_s));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
