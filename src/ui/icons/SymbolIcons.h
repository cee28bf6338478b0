#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>

namespace korvi {

// The icon for a symbol name used across Korvi's screens ("gauge",
// "folder.badge.plus", ...). Every name the screens use has an entry; an
// unknown name gives a generic icon, never an empty one. Icons are drawn in
// code at the size asked for, in the primary text colour or in the given
// colour.
QIcon symbolIcon(const QString& symbolName);
QIcon symbolIcon(const QString& symbolName, const QColor& color);

// Korvi's application icon (window icon, About window).
QIcon applicationIcon();

// Every symbol name with an entry, for tests.
QStringList knownSymbolNames();

} // namespace korvi
