#include "manager/ChangeTransaction.h"

#include <QMetaObject>
#include <QPointer>

namespace korvi {

ChangeTransaction::ChangeTransaction(const QString& name, QObject* parent)
    : QObject(parent), m_name(name) {}

void ChangeTransaction::addStep(const QString& name, Action run, Action undo) {
    if (m_started)
        return;
    m_steps.append({name, std::move(run), std::move(undo)});
}

void ChangeTransaction::start() {
    if (m_started)
        return;
    m_started = true;
    QMetaObject::invokeMethod(
        this, [this] { runStep(0); }, Qt::QueuedConnection);
}

void ChangeTransaction::runStep(qsizetype index) {
    if (index == m_steps.size()) {
        finish(true);
        return;
    }
    const quint64 generation = ++m_generation;
    const QPointer<ChangeTransaction> self(this);
    const Action& run = m_steps[index].run;
    if (!run) {
        stepDone(index, true, QString());
        return;
    }
    run([self, generation, index](bool ok, const QString& message) {
        if (!self || self->m_generation != generation || self->m_finished)
            return;
        // Taken, so that a second call of the same completion is ignored.
        ++self->m_generation;
        self->stepDone(index, ok, message);
    });
}

void ChangeTransaction::stepDone(qsizetype index, bool ok, const QString& message) {
    if (ok) {
        m_completed.append(m_steps[index].name);
        runStep(index + 1);
        return;
    }
    m_failedStep = m_steps[index].name;
    m_failure = message;
    undoStep(index - 1);
}

void ChangeTransaction::undoStep(qsizetype index) {
    // Steps without an undo are passed over.
    while (index >= 0 && !m_steps[index].undo)
        --index;
    if (index < 0) {
        finish(false);
        return;
    }
    const quint64 generation = ++m_generation;
    const QPointer<ChangeTransaction> self(this);
    m_steps[index].undo([self, generation, index](bool ok, const QString& message) {
        if (!self || self->m_generation != generation || self->m_finished)
            return;
        ++self->m_generation;
        if (!ok)
            self->m_undoFailures.append(self->m_steps[index].name + QStringLiteral(": ") + message);
        self->undoStep(index - 1);
    });
}

void ChangeTransaction::finish(bool applied) {
    m_finished = true;
    Q_EMIT finished(applied, applied ? QString() : m_failedStep, applied ? QString() : m_failure);
}

} // namespace korvi
