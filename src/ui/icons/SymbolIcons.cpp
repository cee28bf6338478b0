#include "ui/icons/SymbolIcons.h"

#include "ui/icons/SymbolGlyphs.h"
#include "ui/icons/SymbolIconEngine.h"
#include "ui/widgets/Palette.h"

namespace korvi {

QIcon symbolIcon(const QString& symbolName) {
    return symbolIcon(symbolName, semanticColor(SemanticColor::label));
}

QIcon symbolIcon(const QString& symbolName, const QColor& color) {
    return QIcon(new SymbolIconEngine(symbolName, color));
}

QIcon applicationIcon() {
    return QIcon(new SymbolIconEngine(QString(), QColor(), true));
}

QStringList knownSymbolNames() {
    return SymbolGlyphs::names();
}

} // namespace korvi
