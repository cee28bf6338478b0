#pragma once

#include <memory>

#include "manager/CommandRunner.h"
#include "manager/ServerControl.h"
#include "platform/SystemLayout.h"

namespace korvi {

class AppLog;
class HostDetection;

// The server control the layout asks for.
std::unique_ptr<ServerControl> makeServerControl(const SystemLayout& layout,
                                                 const CommandRunner& runner, AppLog* log,
                                                 const HostDetection* detection);

// Creates the layout's rndc key with rndc-confgen when the file is missing
// (nothing to do when it exists or the layout names none); completion gets
// whether the key is there and rndc-confgen's output.
void createRndcKeyIfMissing(const SystemLayout& layout, const CommandRunner& runner,
                            CommandCompletion completion);

} // namespace korvi
