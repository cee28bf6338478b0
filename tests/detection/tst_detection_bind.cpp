// Detection of the BIND that is really installed on this machine, through the
// standard probe list, and the version it reports.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "HostTestSupport.h"
#include "manager/DNSServerManager.h"

using namespace korvi;
using namespace korvi::test;

class DetectionBindTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void installedBindIsFound() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const SystemLayout standard = SystemLayout::standard();
        // Everything private except the search for named.
        SystemLayout layout = isolatedLayout(dir.path());
        layout.bindProbePaths = standard.bindProbePaths;
        layout.whichPath = standard.whichPath;
        layout.bindSearchPath = standard.bindSearchPath;

        auto manager = makeManager(dir.path(), layout);
        QVERIFY(waitForDetections(*manager));
        QVERIFY(manager->isBindInstalled());
        const QString named = manager->detectedBindPath();
        QVERIFY(standard.bindProbePaths.contains(named));
        for (const QString& earlier :
             standard.bindProbePaths.mid(0, standard.bindProbePaths.indexOf(named)))
            QVERIFY(!QFileInfo::exists(earlier));

        // The version is what named itself says.
        QProcess query;
        query.setProcessChannelMode(QProcess::MergedChannels);
        query.start(named, {QStringLiteral("-v")});
        QVERIFY(query.waitForFinished(10000));
        const QString output = QString::fromUtf8(query.readAll());
        const QString version = DNSServerManager::parseBindVersion(output);
        QVERIFY2(version.count(u'.') >= 1 && version.at(0).isDigit(), qPrintable(output));
        QTRY_COMPARE(manager->bindVersion(), version);
        QVERIFY(manager->isBindVersionSupported());
        QTRY_COMPARE(logCount(*manager,
                              QStringLiteral("BIND version ") + version +
                                  QStringLiteral(" detected (supported)"),
                              LogLevel::success),
                     1);
    }
};

QTEST_GUILESS_MAIN(DetectionBindTest)
#include "tst_detection_bind.moc"
