// Korvi's icons: every symbol name the screens use has a drawing, each one
// paints something at any size, and no two look the same.

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include "WindowTestSupport.h"
#include "ui/Palette.h"
#include "ui/SidebarView.h"
#include "ui/SymbolIcons.h"
#include "ui/TutorialView.h"

using namespace korvi;

namespace {

// The symbols named by Korvi's screens: sidebar, dashboard, zone and record
// screens and forms, server configuration, logs, tutorial and About.
const QStringList screenSymbols{"gauge",
                                "folder",
                                "doc.text",
                                "gearshape",
                                "doc.plaintext",
                                "book.fill",
                                "arrow.clockwise",
                                "server.rack",
                                "shippingbox.fill",
                                "folder.badge.gear",
                                "doc.text.fill",
                                "plus",
                                "exclamationmark.triangle.fill",
                                "globe.badge.chevron.backward",
                                "doc",
                                "trash",
                                "folder.badge.plus",
                                "magnifyingglass",
                                "doc.text.badge.plus",
                                "pencil",
                                "checkmark.circle.fill",
                                "minus.circle.fill",
                                "plus.circle.fill",
                                "info.circle",
                                "1.circle.fill",
                                "2.circle.fill",
                                "3.circle.fill",
                                "gearshape.fill",
                                "list.bullet.circle.fill",
                                "checkmark.shield.fill",
                                "wrench.and.screwdriver.fill",
                                "globe",
                                "network"};

// Share of the image's pixels that are painted at all.
double coverage(const QImage& image) {
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    return double(painted) / (image.width() * image.height());
}

QImage render(const QIcon& icon, int size) {
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class SymbolsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyScreenSymbolIsKnown() {
        const QStringList known = knownSymbolNames();
        for (const QString& name : screenSymbols)
            QVERIFY2(known.contains(name), qPrintable(name));
        for (const SidebarView::Section& section : SidebarView::sections())
            QVERIFY2(known.contains(section.symbol), qPrintable(section.symbol));
        for (const TutorialView::Entry& entry : TutorialView::entries())
            QVERIFY2(known.contains(entry.symbol), qPrintable(entry.symbol));
        QCOMPARE(QSet<QString>(known.cbegin(), known.cend()).size(), known.size());
    }

    void everySymbolPaintsAtEverySize() {
        QStringList names = knownSymbolNames();
        names.append(QStringLiteral("no.such.symbol"));
        for (const QString& name : std::as_const(names)) {
            const QIcon icon = symbolIcon(name, namedColor(NamedColor::blue));
            QVERIFY2(!icon.isNull(), qPrintable(name));
            for (int size : {12, 24, 64}) {
                const QPixmap pixmap = icon.pixmap(QSize(size, size));
                QVERIFY2(!pixmap.isNull(), qPrintable(name));
                QCOMPARE(pixmap.size(), QSize(size, size));
                const double share = coverage(pixmap.toImage());
                // Something is drawn, and it is a mark, not a filled square.
                QVERIFY2(share > 0.04 && share < 0.9,
                         qPrintable(QStringLiteral("%1 at %2: %3").arg(name).arg(size).arg(share)));
            }
            // Painted in the colour asked for.
            const QImage image = render(icon, 64);
            bool blue = false;
            for (int y = 0; y < 64 && !blue; ++y)
                for (int x = 0; x < 64 && !blue; ++x)
                    blue = image.pixelColor(x, y) == namedColor(NamedColor::blue);
            QVERIFY2(blue, qPrintable(name));
        }
        QVERIFY(!applicationIcon().pixmap(QSize(80, 80)).isNull());
        QVERIFY(coverage(applicationIcon().pixmap(QSize(80, 80)).toImage()) > 0.8);
    }

    // Crisp at high density: a 2x pixmap has twice the pixels, not a
    // stretched copy.
    void highDensityPixmaps() {
        const QIcon icon = symbolIcon(QStringLiteral("gauge"));
        const QPixmap pixmap = icon.pixmap(QSize(20, 20), 2.0);
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        QCOMPARE(pixmap.size(), QSize(40, 40));
    }

    void symbolsLookDifferent() {
        QHash<QByteArray, QString> seen;
        for (const QString& name : knownSymbolNames()) {
            const QImage image = render(symbolIcon(name), 32);
            const QByteArray bits(reinterpret_cast<const char*>(image.constBits()),
                                  image.sizeInBytes());
            QVERIFY2(!seen.contains(bits),
                     qPrintable(name + QStringLiteral(" looks like ") + seen.value(bits)));
            seen.insert(bits, name);
        }
        // An unknown name gets the generic mark, not one of the real ones.
        const QImage unknown = render(symbolIcon(QStringLiteral("no.such.symbol")), 32);
        QVERIFY(!seen.contains(
            QByteArray(reinterpret_cast<const char*>(unknown.constBits()), unknown.sizeInBytes())));
    }

    void disabledIconsAreFaded() {
        const QIcon icon = symbolIcon(QStringLiteral("trash"), namedColor(NamedColor::red));
        const QImage normal = icon.pixmap(QSize(32, 32), QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(32, 32), QIcon::Disabled).toImage();
        int strongest = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                strongest = qMax(strongest, qAlpha(disabled.pixel(x, y)));
        QVERIFY(strongest > 0 && strongest < 128);
        QVERIFY(normal != disabled);
    }

    // One sheet with every symbol, for a person to look at.
    void contactSheet() {
        const QStringList names = knownSymbolNames();
        const int cell = 48;
        const int columns = 8;
        QImage sheet(columns * cell, int((names.size() + columns - 1) / columns) * cell,
                     QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        for (int i = 0; i < names.size(); ++i)
            painter.drawPixmap((i % columns) * cell + 8, (i / columns) * cell + 8,
                               symbolIcon(names[i]).pixmap(QSize(32, 32)));
        painter.end();
        const QString folder = QStringLiteral(KORVI_TEST_BUILD_DIR "/screenshots/shell");
        QDir().mkpath(folder);
        QVERIFY(sheet.save(folder + QStringLiteral("/symbols.png")));
    }
};

QTEST_MAIN(SymbolsTest)
#include "tst_symbols.moc"
