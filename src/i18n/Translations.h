#pragma once

#include <QLocale>
#include <QStringList>

class QCoreApplication;

namespace korvi {

// Korvi's texts are written in English; the translations compiled into the
// program (":/i18n/korvi_<language>.qm") replace them for other languages,
// and Qt's own translations (qtbase_<language>, when installed) translate
// Qt's standard buttons and dialogs.
class Translations {
public:
    // Installs in the application the translations that match the locale's
    // preferred languages; an English locale, or one Korvi has no
    // translation for, keeps the English texts. Returns the files installed
    // (empty when none was).
    static QStringList install(QCoreApplication& application,
                               const QLocale& locale = QLocale::system());
    // The languages Korvi carries a translation of, e.g. "de".
    static QStringList languages();
};

} // namespace korvi
