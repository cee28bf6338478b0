#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

#include "host/OwnedFiles.h"

namespace korvi {

// The file verbs korvi-helper takes, shared with Korvi itself when it runs as
// root and does the same work in-process:
//
//   write-zone ZONE  (zone text as input)   remove-zone ZONE
//   write-include    (include text as input) add-include   remove-include
//   adopt-zone ZONE FILE  (FILE's text without the zone's statement as input)
//   write-keys       (Korvi's key file as input)
//
// Nothing when the words are not one of these verbs with its arguments.
bool isFileVerb(const QStringList& words);
bool fileVerbTakesInput(const QStringList& words);
FileOperationResult performFileVerb(const OwnedFiles& files, const QStringList& words,
                                    const QByteArray& input);

// The rndc words the helper passes on: stop, reload, reconfig, status,
// reload of one zone Korvi could own and the key states of such a zone
// (dnssec -status). Nothing else reaches rndc.
bool isAllowedRndcVerb(const QStringList& rndcWords);

} // namespace korvi
