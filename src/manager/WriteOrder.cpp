#include "manager/WriteOrder.h"

#include <QHash>

namespace korvi {

namespace {

struct Counters {
    quint64 started = 0;
    quint64 written = 0;
};

QHash<QString, Counters>& counters() {
    static QHash<QString, Counters> table;
    return table;
}

} // namespace

quint64 WriteOrder::begin(const QString& path) {
    return ++counters()[path].started;
}

bool WriteOrder::mayWrite(const QString& path, quint64 number) {
    Counters& entry = counters()[path];
    if (number < entry.written)
        return false;
    entry.written = number;
    return true;
}

} // namespace korvi
