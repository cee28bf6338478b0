#include "manager/ServerControl.h"

namespace korvi {

void ServerControl::setStatus(ServerStatus status) {
    m_status = status;
    Q_EMIT statusChanged(status);
}

void ServerControl::pollStatus() {
    if (m_busy)
        return;
    m_polling = true;
    checkStatus();
}

bool ServerControl::settleStatus(ServerStatus status) {
    const bool repeated = m_polling && status == m_status;
    m_polling = false;
    setStatus(status);
    return !repeated;
}

void ServerControl::reloadZone(const QString& zone, Completion done) {
    Q_UNUSED(zone);
    reconfigure(std::move(done));
}

void ServerControl::reconfigure(Completion done) {
    // The whole reload reports only whether it worked; the next
    // reloadFinished (still announced, as for every whole reload) is taken as
    // its end.
    if (done) {
        connect(
            this, &ServerControl::reloadFinished, this,
            [done](bool success) {
                done(success, success ? QString()
                                      : QStringLiteral("The server could not reload its "
                                                       "configuration (see the log)"));
            },
            Qt::SingleShotConnection);
    }
    reload();
}

} // namespace korvi
