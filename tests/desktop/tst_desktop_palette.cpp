// Korvi's colours come from the desktop: the selected sidebar row and the
// prominent buttons take the palette's highlight and highlighted text, also
// when the palette changes while the window is open, and the status colours
// stay readable on light and dark palettes.

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "ScreenTestSupport.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/zones/AddZoneView.h"
#include "ui/zones/ZoneManagementView.h"

using namespace korvi;
using namespace korvi::test;
using namespace Qt::StringLiterals;

namespace {

QPalette makePalette(const QColor& window, const QColor& base, const QColor& text,
                     const QColor& highlight, const QColor& highlightedText) {
    QPalette palette;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, base.lighter(110));
        palette.setColor(group, QPalette::Button, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, highlightedText);
    }
    return palette;
}

// A light desktop with a teal highlight, a dark one with an orange highlight.
QPalette lightPalette() {
    return makePalette(QColor(0xEF, 0xF0, 0xF1), Qt::white, QColor(0x23, 0x26, 0x29),
                       QColor(0x1A, 0x8F, 0x8A), Qt::white);
}

QPalette darkPalette() {
    return makePalette(QColor(0x2A, 0x2E, 0x32), QColor(0x1B, 0x1E, 0x20), QColor(0xFC, 0xFC, 0xFC),
                       QColor(0xF6, 0x74, 0x00), Qt::black);
}

// WCAG's contrast ratio of two opaque colours.
qreal contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& color) {
        const auto channel = [](qreal c) {
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
               0.0722 * channel(color.blueF());
    };
    const qreal x = luminance(a);
    const qreal y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The colour at a point of the widget as drawn.
QColor pixelOf(QWidget* widget, QPoint point) {
    return widget->grab().toImage().pixelColor(point * widget->devicePixelRatioF());
}

} // namespace

class DesktopPaletteTest : public QObject {
    Q_OBJECT

    QPalette m_original;

private Q_SLOTS:
    void initTestCase() { m_original = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(m_original); }

    void palettes_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<QPalette>("other");
        QTest::newRow("light") << lightPalette() << darkPalette();
        QTest::newRow("dark") << darkPalette() << lightPalette();
    }

    // The accent is the palette's highlight, its text the highlighted text.
    void accentIsTheHighlight_data() { palettes_data(); }
    void accentIsTheHighlight() {
        QFETCH(QPalette, palette);
        QApplication::setPalette(palette);
        QCOMPARE(semanticColor(SemanticColor::accent), palette.color(QPalette::Highlight));
        QCOMPARE(semanticColor(SemanticColor::textOnAccent),
                 palette.color(QPalette::HighlightedText));
        QCOMPARE(isDarkPalette(), palette.color(QPalette::Window).lightness() < 128);
    }

    // The selected section and a screen's prominent button are painted in the
    // highlight; after the desktop's palette changes, in the new one.
    void windowTakesTheHighlight_data() { palettes_data(); }
    void windowTakesTheHighlight() {
        QFETCH(QPalette, palette);
        QFETCH(QPalette, other);
        QApplication::setPalette(palette);
        WindowHost host;
        QVERIFY(host.isReady());
        host.manager()->setServerStatus(ServerStatus::running);
        host.window()->setSelectedSection(Section::zoneManagement);
        auto* sidebar = host.find<QListWidget>(u"sidebarList"_s);
        QVERIFY(sidebar);

        const auto expectHighlight = [&](const QPalette& expected) {
            QCoreApplication::processEvents();
            // Found anew each time: the screen may have been built again.
            auto* button =
                qobject_cast<ProminentButton*>(host.find<QPushButton>(u"addDomainButton"_s));
            if (!button || !button->isEnabled())
                return false;
            const QRect row = sidebar->visualItemRect(sidebar->currentItem());
            // The row's trailing end, clear of its text and icon.
            const QColor rowColor =
                pixelOf(sidebar->viewport(), QPoint(row.right() - 8, row.center().y()));
            // The button's leading padding, clear of its icon and text.
            const QColor buttonColor = pixelOf(button, QPoint(4, button->height() / 2));
            const QColor highlight = expected.color(QPalette::Highlight);
            if (rowColor != highlight || buttonColor != highlight) {
                qWarning("row %s, button %s, highlight %s", qPrintable(rowColor.name()),
                         qPrintable(buttonColor.name()), qPrintable(highlight.name()));
                return false;
            }
            // The button's text colour is the highlighted text.
            return button->palette().color(QPalette::ButtonText) ==
                   expected.color(QPalette::HighlightedText);
        };
        QVERIFY(expectHighlight(palette));
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        saveScreenshot(host.window(), u"desktop"_s, u"palette-"_s + tag);

        QApplication::setPalette(other);
        QVERIFY(expectHighlight(other));
        // The screen is built again in the new colours.
        auto* title = host.window()->currentScreen()->findChild<QLabel*>(u"titleLabel"_s);
        QVERIFY(title);
        QCOMPARE(title->palette().color(QPalette::WindowText), other.color(QPalette::WindowText));
        saveScreenshot(host.window(), u"desktop"_s, u"palette-"_s + tag + u"-switched"_s);
    }

    // A screen with a form open is not built again under the user's hands.
    void openFormSurvivesAPaletteChange() {
        QApplication::setPalette(lightPalette());
        WindowHost host;
        QVERIFY(host.isReady());
        host.manager()->setServerStatus(ServerStatus::running);
        host.window()->setSelectedSection(Section::zoneManagement);
        QPointer<ZoneManagementView> zones =
            qobject_cast<ZoneManagementView*>(host.window()->currentScreen());
        QVERIFY(zones);
        click(zones, u"addDomainButton"_s);
        QPointer<AddZoneView> sheet = zones->addZoneSheet();
        QVERIFY(sheet && sheet->isVisible());
        QApplication::setPalette(darkPalette());
        QVERIFY(zones && host.window()->currentScreen() == zones.data());
        QVERIFY(sheet && sheet->isVisible());
        sheet->reject();
        QTRY_VERIFY(!zones->addZoneSheet());
    }

    void statusColoursStayReadable_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<int>("color");
        const QList<std::pair<const char*, NamedColor>> colours = {
            {"green", NamedColor::green}, {"red", NamedColor::red}, {"orange", NamedColor::orange}};
        for (const auto& [name, colour] : colours) {
            QTest::addRow("%s on light", name) << lightPalette() << int(colour);
            QTest::addRow("%s on dark", name) << darkPalette() << int(colour);
            QTest::addRow("%s on the standard palette", name)
                << QApplication::style()->standardPalette() << int(colour);
        }
    }

    // Green, red and orange reach 3:1 against the window and the lists.
    void statusColoursStayReadable() {
        QFETCH(QPalette, palette);
        QFETCH(int, color);
        QApplication::setPalette(palette);
        const QColor shown = namedColor(NamedColor(color));
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
            const qreal ratio = contrast(shown, palette.color(role));
            QVERIFY2(ratio >= 3.0,
                     qPrintable(u"%1 on %2: %3:1"_s.arg(shown.name(), palette.color(role).name())
                                    .arg(ratio, 0, 'f', 2)));
        }
    }
};

QTEST_MAIN(DesktopPaletteTest)
#include "tst_desktop_palette.moc"
