#pragma once

#include <QString>
#include <QtGlobal>

namespace korvi {

// A TSIG key as tsig-keygen prints it: the key's name, its algorithm
// (hmac-sha256, ...) and its base64 secret.
struct TsigKey {
    QString name;
    QString algorithm;
    QString secret;
};

// A server that copies Korvi's zones by zone transfer. Korvi notifies it at
// address:port and lets it transfer only with the TSIG key named keyName;
// the key itself stays in Korvi's key file.
struct SecondaryServer {
    QString name;
    QString address;
    quint16 port = 53;
    QString keyName;
};

} // namespace korvi
