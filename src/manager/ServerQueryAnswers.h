#pragma once

#include "manager/ServedAnswers.h"

namespace korvi {

// The served check's questions asked with ServerQuery at the server's
// address and port (127.0.0.1 and 53 when the layout leaves them empty).
class ServerQueryAnswers : public ServedAnswerSource {
    Q_OBJECT

public:
    // How long one question waits for its answer.
    static constexpr int questionTimeoutMs = 1000;

    ServerQueryAnswers(const QString& address, quint16 port, QObject* parent = nullptr);

    void ask(const QString& name, const QString& type, Completion done) override;

private:
    QString m_address;
    quint16 m_port;
};

} // namespace korvi
