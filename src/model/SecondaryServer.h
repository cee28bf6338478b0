#pragma once

#include <QString>

namespace korvi {
struct TsigKey {
    QString name;
    QString algorithm;
    QString secret;
};
struct SecondaryServer {
    QString name;
    QString address;
    quint16 port = 53;
    QString keyName;
};
} // namespace korvi
