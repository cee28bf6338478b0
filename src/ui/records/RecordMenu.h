#pragma once

#include <QList>

#include "model/DNSRecord.h"
#include "model/DNSZone.h"

class QMenu;

namespace korvi {

class DNSRecordView;

// The context menu of the selected records on the records screen:
//   "Copy as Zone File Text"  the selected records, as lines of the zone's file;
//   "Copy Record Set"         every record of the first one's name and type;
//   "Look Up"                 the Lookup screen asks for that name and type.
// The copies go to the clipboard, starting with the zone's $ORIGIN, so that
// they paste into a zone file or Korvi's import as they are.
class RecordMenu {
public:
    static QMenu* build(const DNSZone& zone, const QList<DNSRecord>& selected, DNSRecordView* view);
};

} // namespace korvi
