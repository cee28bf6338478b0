#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace korvi {

// The icon for a symbol name used across Korvi's screens ("gauge",
// "folder.badge.plus", ...). Every name the screens use has an entry; an
// unknown name gives a generic icon, never an empty one.
QIcon symbolIcon(const QString& symbolName);

// Every symbol name with an entry, for tests.
QStringList knownSymbolNames();

} // namespace korvi
