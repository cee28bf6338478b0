#pragma once

#include <QString>

namespace korvi {

// Writes whole text files as UTF-8, the two ways the checked saves need.
class TextFileWriter {
public:
    // Creates a new file holding the text. Refuses to touch anything already
    // at the path (including a symbolic link planted there), so a scratch copy
    // in a shared directory can never be redirected. A file that could not be
    // written completely is removed again. On failure *error describes why.
    static bool writeNewFile(const QString& path, const QString& text, QString* error);

    // Replaces the file at the path with the text in one step: the text goes
    // to a scratch file in the same directory, which then takes the file's
    // place, so a reader sees either the old file or the new one, never part
    // of one. The directory is created when missing. An existing file keeps
    // its permissions. On failure the file is left as it was and *error
    // describes why.
    static bool replaceFile(const QString& path, const QString& text, QString* error);
};

} // namespace korvi
