#include "manager/ServerControl.h"

namespace korvi {

void ServerControl::setStatus(ServerStatus status) {
    m_status = status;
    Q_EMIT statusChanged(status);
}

} // namespace korvi
