#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "model/SecondaryServer.h"

namespace korvi {

// Korvi's key file: one BIND key statement per TSIG key, exactly as
// tsig-keygen prints it, and nothing else but comments. The file is Korvi's
// own, so reading it takes only that form; anything else is refused whole
// rather than half read.
class TsigKeyFile {
public:
    // The file's text for these keys, in the order given.
    static QString text(const QList<TsigKey>& keys);
    // One key statement: key "NAME" { algorithm ALG; secret "SECRET"; };
    static QString statement(const TsigKey& key);
    // The keys of a key file (or of tsig-keygen's output). Nothing, and the
    // reason in error, when the text holds anything but key statements and
    // comments, or a key is not one Korvi would write.
    static std::optional<QList<TsigKey>> parse(const QString& text, QString* error = nullptr);

    // A key name Korvi writes: letters, digits, "-", "_" and dots between
    // labels, at most 253 characters.
    static bool isAcceptableName(const QString& name);
    // The HMAC algorithms BIND 9.18's tsig-keygen makes.
    static bool isAcceptableAlgorithm(const QString& algorithm);
    // Base64 text, padded, of at least 16 characters.
    static bool isAcceptableSecret(const QString& secret);
    static bool isAcceptable(const TsigKey& key);
};

} // namespace korvi
