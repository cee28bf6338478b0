#include "manager/WriteOrder.h"

namespace korvi {

quint64 WriteOrder::begin(const QString& path) {
    return ++m_counters[path].started;
}

bool WriteOrder::mayWrite(const QString& path, quint64 number) {
    Counters& entry = m_counters[path];
    if (number < entry.written)
        return false;
    entry.written = number;
    return true;
}

} // namespace korvi
