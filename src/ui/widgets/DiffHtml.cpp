#include "ui/widgets/DiffHtml.h"

#include <QStringList>

#include "ui/widgets/Palette.h"

namespace korvi {

QString diffLinesHtml(const QString& unified) {
    const QString red = namedColor(NamedColor::red).name();
    const QString green = namedColor(NamedColor::green).name();
    const QString gray = namedColor(NamedColor::gray).name();
    const QString blue = namedColor(NamedColor::blue).name();
    QString html;
    for (const QString& line : unified.split(u'\n')) {
        QString color;
        if (line.startsWith(QStringLiteral("---")) || line.startsWith(QStringLiteral("+++")))
            color = gray;
        else if (line.startsWith(QStringLiteral("@@")))
            color = blue;
        else if (line.startsWith(u'-'))
            color = red;
        else if (line.startsWith(u'+'))
            color = green;
        const QString text = line.toHtmlEscaped();
        html += color.isEmpty()
                    ? text
                    : QStringLiteral("<span style=\"color:%1\">%2</span>").arg(color, text);
        html += u'\n';
    }
    return html;
}

} // namespace korvi
