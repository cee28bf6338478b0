// named's own reason for a failed start, picked from what it printed and logged: the most
// telling line, without its time stamp, category and severity.
#include <QTest>

#include "manager/AppLog.h"
#include "manager/NamedServerControl.h"

using namespace korvi;

class FailureCauseTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cause_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cause");
        // As named -g printed it with 127.0.0.1 at the port held by another program.
        QTest::newRow("port held, named exits")
            << "06-Dec-2026 08:03:39.939 listening on IPv4 interface lo, 127.0.0.1#29533\n"
               "06-Dec-2026 08:03:39.939 creating IPv4 interface lo failed; interface ignored\n"
               "06-Dec-2026 08:03:39.939 unable to listen on any configured interfaces\n"
               "06-Dec-2026 08:03:39.939 loading configuration: failure\n"
               "06-Dec-2026 08:03:39.939 exiting (due to fatal error)\n"
            << "unable to listen on any configured interfaces";
        // As named -L wrote it when it went on with IPv6 only.
        QTest::newRow("port held, named goes on")
            << "06-Dec-2026 08:10:31.687 network: info: listening on IPv4 interface lo, "
               "127.0.0.1#29533\n"
               "06-Dec-2026 08:10:31.687 network: error: creating IPv4 interface lo failed; "
               "interface ignored\n"
               "06-Dec-2026 08:10:31.687 network: info: listening on IPv6 interface lo, "
               "::1#29533\n"
            << "creating IPv4 interface lo failed; interface ignored";
        QTest::newRow("address in use first")
            << "06-Dec-2026 08:00:00.000 loading configuration: failure\n"
               "06-Dec-2026 08:00:00.000 could not listen on UDP socket: address in use\n"
            << "could not listen on UDP socket: address in use";
        QTest::newRow("file denied")
            << "06-Dec-2026 02:40:11.121 open: /srv/sandbox/etc/named.conf: permission denied\n"
               "06-Dec-2026 02:40:11.121 loading configuration: permission denied\n"
            << "open: /srv/sandbox/etc/named.conf: permission denied";
        QTest::newRow("configuration refused")
            << "06-Dec-2026 08:00:00.000 loading configuration from '/srv/s/etc/named.conf'\n"
               "06-Dec-2026 08:00:00.000 /srv/s/etc/named.conf:3: unknown option 'colour'\n"
               "06-Dec-2026 08:00:00.000 loading configuration: failure\n"
            << "/srv/s/etc/named.conf:3: unknown option 'colour'";
        QTest::newRow("nothing telling")
            << "06-Dec-2026 08:00:00.000 all zones loaded\n06-Dec-2026 08:00:00.000 running\n"
            << "";
    }
    void cause() {
        QFETCH(QString, text);
        QFETCH(QString, cause);
        QCOMPARE(NamedServerControl::failureCause(text), cause);
    }
};

QTEST_GUILESS_MAIN(FailureCauseTest)
#include "tst_failure_cause.moc"
