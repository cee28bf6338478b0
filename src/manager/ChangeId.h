#pragma once

#include <QtGlobal>

namespace korvi {

// Names one record or zone change from the call that starts it to the one
// changeFinished() that ends it. Ids count up from 1 in each repository; 0
// never names a change.
using ChangeId = quint64;

} // namespace korvi
