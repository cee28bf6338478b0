// ChangeTransaction on its own: steps in order, the finished ones undone in reverse order on
// the first failure, one result that never arrives before start() returns, and completions
// that come late, twice or after the end ignored.
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "manager/ChangeTransaction.h"

using namespace korvi;
using namespace Qt::StringLiterals;

namespace {

// How a step (or an undo) ends: "ok" or "fail" at once, "later" / "laterfail" from the
// event loop, "twice" (ok, then fail at once again).
using Plan = QStringList;

ChangeTransaction::Action action(const QString& name, const QString& how, QStringList* trace) {
    return [name, how, trace](ChangeTransaction::Completion done) {
        trace->append(name);
        if (how == u"ok") {
            done(true, {});
        } else if (how == u"fail") {
            done(false, name + u" refused"_s);
        } else if (how == u"twice") {
            done(true, {});
            done(false, name + u" again"_s);
        } else {
            const bool ok = how == u"later";
            QTimer::singleShot(
                1, [done, ok, name] { done(ok, ok ? QString() : name + u" refused"_s); });
        }
    };
}

} // namespace

class TestChangeTransaction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rollback_data() {
        QTest::addColumn<QStringList>("steps"); // how each step ends
        QTest::addColumn<QStringList>("undos"); // how each undo ends; "-": no undo
        QTest::addColumn<bool>("applied");
        QTest::addColumn<QString>("failedStep");
        QTest::addColumn<QString>("trace"); // steps run and undos (u:) run, in order
        QTest::addColumn<QStringList>("undoFailures");
        QTest::newRow("all pass") << Plan{"ok", "later", "ok"} << Plan{"ok", "ok", "ok"} << true
                                  << QString() << u"s0 s1 s2"_s << QStringList();
        QTest::newRow("no steps") << Plan{} << Plan{} << true << QString() << QString()
                                  << QStringList();
        QTest::newRow("first fails: nothing to undo")
            << Plan{"fail", "ok"} << Plan{"ok", "ok"} << false << u"s0"_s << u"s0"_s
            << QStringList();
        QTest::newRow("third fails: second then first undone")
            << Plan{"ok", "later", "laterfail", "ok"} << Plan{"later", "ok", "ok", "ok"} << false
            << u"s2"_s << u"s0 s1 s2 u:s1 u:s0"_s << QStringList();
        QTest::newRow("a step without undo is passed over")
            << Plan{"ok", "ok", "fail"} << Plan{"ok", "-", "ok"} << false << u"s2"_s
            << u"s0 s1 s2 u:s0"_s << QStringList();
        QTest::newRow("a failing undo is named, the others still run")
            << Plan{"ok", "ok", "fail"} << Plan{"ok", "laterfail", "ok"} << false << u"s2"_s
            << u"s0 s1 s2 u:s1 u:s0"_s << QStringList{u"s1: u:s1 refused"_s};
        QTest::newRow("a second completion of a step is ignored")
            << Plan{"twice", "ok"} << Plan{"ok", "ok"} << true << QString() << u"s0 s1"_s
            << QStringList();
    }
    void rollback() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, undos);
        QFETCH(bool, applied);
        QFETCH(QString, failedStep);
        QFETCH(QString, trace);
        QFETCH(QStringList, undoFailures);
        QStringList ran;
        ChangeTransaction transaction(u"test"_s);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QString name = u"s%1"_s.arg(i);
            transaction.addStep(name, action(name, steps[i], &ran),
                                undos[i] == u"-" ? ChangeTransaction::Action()
                                                 : action(u"u:"_s + name, undos[i], &ran));
        }
        QSignalSpy finished(&transaction, &ChangeTransaction::finished);
        transaction.start();
        QVERIFY(ran.isEmpty()); // nothing runs before start() has returned
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE(finished.size(), 1);
        QTest::qWait(20); // late completions would show here
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).toBool(), applied);
        QCOMPARE(finished.first().at(1).toString(), failedStep);
        QCOMPARE(finished.first().at(2).toString(),
                 applied ? QString() : failedStep + u" refused"_s);
        QCOMPARE(ran.join(u' '), trace);
        QCOMPARE(transaction.undoFailures(), undoFailures);
        QVERIFY(transaction.isFinished());
    }

    // Steps added after start() are not run; start() twice runs the steps once.
    void startedOnce() {
        QStringList ran;
        ChangeTransaction transaction(u"test"_s);
        transaction.addStep(u"a"_s, action(u"a"_s, u"ok"_s, &ran));
        QSignalSpy finished(&transaction, &ChangeTransaction::finished);
        transaction.start();
        transaction.addStep(u"b"_s, action(u"b"_s, u"ok"_s, &ran));
        transaction.start();
        QTRY_COMPARE(finished.size(), 1);
        QTest::qWait(10);
        QCOMPARE(ran, QStringList{u"a"_s});
        QCOMPARE(transaction.completedSteps(), QStringList{u"a"_s});
    }

    // A step still running when the transaction is destroyed completes into nothing.
    void destroyedWhileRunning() {
        ChangeTransaction::Completion pending;
        auto* transaction = new ChangeTransaction(u"test"_s);
        transaction->addStep(u"slow"_s,
                             [&pending](ChangeTransaction::Completion done) { pending = done; });
        transaction->start();
        QTRY_VERIFY(bool(pending));
        delete transaction;
        pending(true, {}); // must not touch the destroyed transaction
    }
};

QTEST_GUILESS_MAIN(TestChangeTransaction)
#include "tst_change_transaction.moc"
