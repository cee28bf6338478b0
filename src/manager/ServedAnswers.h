#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace korvi {

// What the running server answered to one question.
struct ServedAnswer {
    // A response arrived; otherwise error says why not (no answer in time,
    // the socket refused).
    bool answered = false;
    // The response code: 0 NOERROR, 2 SERVFAIL, 3 NXDOMAIN, 5 REFUSED.
    int rcode = -1;
    // The answer section's records of the asked name and type, each as one
    // presentation line ("www.example.com. 300 IN A 192.0.2.80").
    QStringList records;
    // The zone's serial when the question was for its SOA.
    std::optional<qint64> serial;
    // The server answered with authority: the name is in a zone it serves.
    bool authoritative = false;
    QString error;
};

// Asks the local server a question and reports its answer on the main
// thread, never before ask() has returned. The change path uses it to see
// that a change is served before calling it applied.
class ServedAnswerSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    using Completion = std::function<void(const ServedAnswer& answer)>;

    // name is absolute ("www.example.com."), type a record type's name ("A").
    virtual void ask(const QString& name, const QString& type, Completion done) = 0;
};

} // namespace korvi
