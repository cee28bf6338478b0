#pragma once

// A Korvi manager on a sandbox layout, ready to serve through a real named: the set-up every
// end-to-end test of a served change starts from.

#include <QString>
#include <QTest>

#include <memory>
#include <optional>

#include "HostTestSupport.h"
#include "SandboxServer.h"

namespace korvi::test {

// Sets `manager` up on a sandbox layout in `root` at `port`: an rndc key, BIND detected, the
// server stopped, and the configuration listening on 127.0.0.1 at the port without
// recursion. Nothing when ready; otherwise why not, with `bindMissing` set when the machine
// has no BIND to run (the test is then skipped, not failed).
inline std::optional<QString> setUpSandboxManager(const QString& root, quint16 port,
                                                  SystemLayout& layout,
                                                  std::unique_ptr<DNSServerManager>& manager,
                                                  bool& bindMissing) {
    bindMissing = false;
    layout = SystemLayout::sandbox(root, port);
    if (!makeRndcKey(layout.rndcKeyPath))
        return QStringLiteral("no rndc key could be made at %1").arg(layout.rndcKeyPath);
    manager = makeManager(root, layout);
    if (!waitForDetections(*manager))
        return QStringLiteral("BIND's detection did not end");
    if (!manager->isBindInstalled()) {
        bindMissing = true;
        return QStringLiteral("BIND is not installed");
    }
    if (!QTest::qWaitFor([&] { return manager->serverStatus() == ServerStatus::stopped; }, 5000))
        return QStringLiteral("the sandbox's server is not reported stopped");
    DNSConfiguration* config = manager->configuration();
    config->setListenPort(port);
    config->setListenAddresses({QStringLiteral("127.0.0.1")});
    config->setRecursion(false);
    return std::nullopt;
}

} // namespace korvi::test

// The set-up above inside a test function: skips without BIND, fails on any other reason.
#define KORVI_SET_UP_SANDBOX_MANAGER(root, port, layout, manager)                                  \
    do {                                                                                           \
        bool bindMissing_ = false;                                                                 \
        const auto why_ =                                                                          \
            korvi::test::setUpSandboxManager(root, port, layout, manager, bindMissing_);           \
        if (bindMissing_)                                                                          \
            QSKIP("BIND is not installed");                                                        \
        QVERIFY2(!why_, qPrintable(why_.value_or(QString())));                                     \
    } while (false)
