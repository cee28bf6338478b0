#include "host/HelperVerbs.h"

namespace korvi {

bool isFileVerb(const QStringList& words) {
    if (words.isEmpty())
        return false;
    const QString& verb = words.first();
    if (verb == u"write-zone" || verb == u"remove-zone")
        return words.size() == 2;
    if (verb == u"adopt-zone")
        return words.size() == 3;
    if (verb == u"write-include" || verb == u"add-include" || verb == u"remove-include" ||
        verb == u"write-keys")
        return words.size() == 1;
    return false;
}

bool fileVerbTakesInput(const QStringList& words) {
    return !words.isEmpty() &&
           (words.first() == u"write-zone" || words.first() == u"write-include" ||
            words.first() == u"adopt-zone" || words.first() == u"write-keys");
}

FileOperationResult performFileVerb(const OwnedFiles& files, const QStringList& words,
                                    const QByteArray& input) {
    if (!isFileVerb(words))
        return FileOperationResult::refused(
            QStringLiteral("unknown verb or wrong arguments: %1").arg(words.join(u' ')));
    const QString& verb = words.first();
    if (verb == u"write-zone")
        return files.writeZone(words[1], input);
    if (verb == u"remove-zone")
        return files.removeZone(words[1]);
    if (verb == u"adopt-zone")
        return files.adoptZone(words[1], words[2], input);
    if (verb == u"write-include")
        return files.writeInclude(input);
    if (verb == u"write-keys")
        return files.writeKeys(input);
    if (verb == u"add-include")
        return files.addIncludeLine();
    return files.removeIncludeLine();
}

bool isAllowedRndcVerb(const QStringList& rndcWords) {
    if (rndcWords.size() == 1) {
        const QString& verb = rndcWords.first();
        return verb == u"stop" || verb == u"reload" || verb == u"reconfig" || verb == u"status";
    }
    // A signed zone's key states, and the parent's DS confirmed.
    if (rndcWords.size() == 3 && rndcWords[0] == u"dnssec" && rndcWords[1] == u"-status")
        return OwnedFiles::isAcceptableZoneName(rndcWords[2]);
    if (rndcWords.size() == 4 && rndcWords[0] == u"dnssec" && rndcWords[1] == u"-checkds" &&
        rndcWords[2] == u"published")
        return OwnedFiles::isAcceptableZoneName(rndcWords[3]);
    return rndcWords.size() == 2 && rndcWords.first() == u"reload" &&
           OwnedFiles::isAcceptableZoneName(rndcWords[1]);
}

} // namespace korvi
