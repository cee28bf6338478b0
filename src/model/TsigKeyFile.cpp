#include "model/TsigKeyFile.h"

#include <QRegularExpression>
#include <QStringList>

namespace korvi {

namespace {

// Comments as BIND reads them in a configuration file: "//" and "#" to the
// end of the line, "/* ... */" anywhere. A key's secret is base64 and never
// holds these characters, so they are taken out before the statements are
// read.
QString withoutComments(const QString& text) {
    static const QRegularExpression comments(QStringLiteral("/\\*.*?\\*/|//[^\\n]*|#[^\\n]*"),
                                             QRegularExpression::DotMatchesEverythingOption);
    QString stripped = text;
    stripped.replace(comments, QStringLiteral(" "));
    return stripped;
}

} // namespace

bool TsigKeyFile::isAcceptableName(const QString& name) {
    if (name.isEmpty() || name.size() > 253 || name.startsWith(u'.') || name.endsWith(u'.') ||
        name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
        if (!ok)
            return false;
    }
    return true;
}

bool TsigKeyFile::isAcceptableAlgorithm(const QString& algorithm) {
    static const QStringList known{QStringLiteral("hmac-md5"),    QStringLiteral("hmac-sha1"),
                                   QStringLiteral("hmac-sha224"), QStringLiteral("hmac-sha256"),
                                   QStringLiteral("hmac-sha384"), QStringLiteral("hmac-sha512")};
    return known.contains(algorithm);
}

bool TsigKeyFile::isAcceptableSecret(const QString& secret) {
    static const QRegularExpression base64(
        QStringLiteral("^(?:[A-Za-z0-9+/]{4})*(?:[A-Za-z0-9+/]{2}==|[A-Za-z0-9+/]{3}=)?$"));
    return secret.size() >= 16 && base64.match(secret).hasMatch();
}

bool TsigKeyFile::isAcceptable(const TsigKey& key) {
    return isAcceptableName(key.name) && isAcceptableAlgorithm(key.algorithm) &&
           isAcceptableSecret(key.secret);
}

QString TsigKeyFile::statement(const TsigKey& key) {
    return QStringLiteral("key \"%1\" {\n\talgorithm %2;\n\tsecret \"%3\";\n};\n")
        .arg(key.name, key.algorithm, key.secret);
}

QString TsigKeyFile::text(const QList<TsigKey>& keys) {
    QString out = QStringLiteral(
        "// Korvi's TSIG keys for zone transfers. Korvi rewrites this file; manage the keys in "
        "Korvi.\n");
    for (const TsigKey& key : keys) {
        if (!isAcceptable(key))
            continue;
        out += u'\n';
        out += statement(key);
    }
    return out;
}

std::optional<QList<TsigKey>> TsigKeyFile::parse(const QString& text, QString* error) {
    const auto refuse = [error](const QString& why) -> std::optional<QList<TsigKey>> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // key "name" { algorithm X; secret "Y"; }; with the two clauses in
    // either order and the name quoted or not.
    static const QRegularExpression keyStatement(
        QStringLiteral("\\s*key\\s+(\"[^\"]*\"|[^\\s\"{};]+)\\s*\\{\\s*"
                       "(algorithm\\s+([^\\s;]+)\\s*;\\s*secret\\s+\"([^\"]*)\"|"
                       "secret\\s+\"([^\"]*)\"\\s*;\\s*algorithm\\s+([^\\s;]+))"
                       "\\s*;\\s*\\}\\s*;"));
    const QString body = withoutComments(text);
    QList<TsigKey> keys;
    qsizetype at = 0;
    while (true) {
        const QRegularExpressionMatch match =
            keyStatement.match(body, at, QRegularExpression::NormalMatch,
                               QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            break;
        TsigKey key;
        key.name = match.captured(1);
        if (key.name.startsWith(u'"'))
            key.name = key.name.mid(1, key.name.size() - 2);
        key.algorithm = match.captured(3).isEmpty() ? match.captured(6) : match.captured(3);
        key.secret = match.captured(3).isEmpty() ? match.captured(5) : match.captured(4);
        key.algorithm = key.algorithm.toLower();
        if (!isAcceptableName(key.name))
            return refuse(QStringLiteral("\"%1\" is not a key name Korvi uses").arg(key.name));
        if (!isAcceptableAlgorithm(key.algorithm))
            return refuse(QStringLiteral("Key \"%1\" uses an algorithm Korvi does not know: %2")
                              .arg(key.name, key.algorithm));
        if (!isAcceptableSecret(key.secret))
            return refuse(QStringLiteral("Key \"%1\" has no valid secret").arg(key.name));
        for (const TsigKey& earlier : std::as_const(keys)) {
            if (earlier.name.compare(key.name, Qt::CaseInsensitive) == 0)
                return refuse(QStringLiteral("Key \"%1\" is listed twice").arg(key.name));
        }
        keys.append(key);
        at = match.capturedEnd(0);
    }
    if (!body.mid(at).trimmed().isEmpty())
        return refuse(QStringLiteral("The key file holds text that is not a key statement"));
    return keys;
}

} // namespace korvi
