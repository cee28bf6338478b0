#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace korvi {

// A change made of several asynchronous steps that must all happen or none:
// a zone file written, the configuration saved, the zone stored, the server
// told. The steps run one after another in the order they were added; each
// reports its end through the completion it is handed. When a step fails, the
// steps already done are undone in reverse order (a step without an undo has
// nothing to take back) and the transaction ends with the failing step's
// reason. It ends with exactly one finished(), never before start() has
// returned.
//
// Steps may be added until start(). A step that has nothing to do (the server
// is not running, say) simply reports success at once. A completion called
// twice, or after the transaction was destroyed, is ignored. The transaction
// holds only what its steps capture; their owner keeps it alive (a QObject
// parent) and deletes it after finished().
class ChangeTransaction : public QObject {
    Q_OBJECT

public:
    // ok: the step (or undo) did its work; otherwise message says why, in
    // Korvi's words.
    using Completion = std::function<void(bool ok, const QString& message)>;
    using Action = std::function<void(Completion done)>;

    explicit ChangeTransaction(const QString& name, QObject* parent = nullptr);

    // Adds a step; its undo runs only if the step succeeded and a later one
    // fails. Ignored once started.
    void addStep(const QString& name, Action run, Action undo = {});

    // Runs the steps from the event loop.
    void start();

    const QString& name() const { return m_name; }
    bool isStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }
    // The names of the steps that completed, in order (undone ones too).
    const QStringList& completedSteps() const { return m_completed; }
    // The undos that failed while the transaction was rolled back, each as
    // "<step>: <reason>".
    const QStringList& undoFailures() const { return m_undoFailures; }

Q_SIGNALS:
    // applied: every step succeeded. Otherwise failedStep names the step that
    // failed, message is its reason, and every step before it was undone (or
    // its undo's failure is in undoFailures()).
    void finished(bool applied, const QString& failedStep, const QString& message);

private:
    struct Step {
        QString name;
        Action run;
        Action undo;
    };

    void runStep(qsizetype index);
    void stepDone(qsizetype index, bool ok, const QString& message);
    void undoStep(qsizetype index);
    void finish(bool applied);

    QString m_name;
    QList<Step> m_steps;
    QStringList m_completed;
    QStringList m_undoFailures;
    QString m_failedStep;
    QString m_failure;
    // Counts every step and undo started, so that a late or repeated
    // completion of an earlier one is recognised and ignored.
    quint64 m_generation = 0;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace korvi
