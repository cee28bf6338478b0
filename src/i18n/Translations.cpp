#include "i18n/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace korvi {

namespace {

const QString korviTranslations = QStringLiteral(":/i18n");

// Loads one translation file for the locale into a translator that the
// application owns; false, and nothing installed, when there is none.
bool installOne(QCoreApplication& application, const QLocale& locale, const QString& name,
                const QString& directory, QStringList& installed) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(locale, name, QStringLiteral("_"), directory)) {
        delete translator;
        return false;
    }
    application.installTranslator(translator);
    installed.append(translator->filePath());
    return true;
}

} // namespace

QStringList Translations::languages() {
    QStringList found;
    const QStringList files =
        QDir(korviTranslations).entryList({QStringLiteral("korvi_*.qm")}, QDir::Files);
    for (const QString& file : files)
        found.append(file.mid(6, file.size() - 9));
    return found;
}

QStringList Translations::install(QCoreApplication& application, const QLocale& locale) {
    QStringList installed;
    // English is the language the texts are written in; a German translator
    // must not answer for an English user whose second language is German.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return installed;
    if (!installOne(application, locale, QStringLiteral("korvi"), korviTranslations, installed))
        return installed;
    installOne(application, locale, QStringLiteral("qtbase"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath), installed);
    return installed;
}

} // namespace korvi
