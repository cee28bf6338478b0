#include "manager/ServerControlFactory.h"

#include <QFileInfo>

#include "manager/LayoutServerControl.h"
#include "manager/ProcessRun.h"
#include "manager/RndcServerControl.h"
#include "manager/SystemdServerControl.h"

namespace korvi {

std::unique_ptr<ServerControl> makeServerControl(const SystemLayout& layout,
                                                 const CommandRunner& runner, AppLog* log,
                                                 const HostDetection* detection) {
    switch (layout.serverControl) {
    case SystemLayout::Control::rndc:
        return std::make_unique<RndcServerControl>(layout, runner, log, detection);
    case SystemLayout::Control::systemd:
        return std::make_unique<SystemdServerControl>(layout, runner, log, detection);
    case SystemLayout::Control::layoutCommands:
        break;
    }
    return std::make_unique<LayoutServerControl>(layout, runner, log, detection);
}

void createRndcKeyIfMissing(const SystemLayout& layout, const CommandRunner& runner,
                            CommandCompletion completion) {
    if (layout.rndcKeyPath.isEmpty() || QFileInfo::exists(layout.rndcKeyPath)) {
        ProcessRun::deliver(completion, true, QString());
        return;
    }
    // The key's name is the one the layout's controls statement names.
    runner.runCommand({QStringLiteral("rndc-confgen"), QStringLiteral("-a"), QStringLiteral("-k"),
                       QStringLiteral("rndc-key"), QStringLiteral("-c"), layout.rndcKeyPath},
                      std::move(completion));
}

} // namespace korvi
