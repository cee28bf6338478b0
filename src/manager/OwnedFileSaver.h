#pragma once

#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>

#include <functional>

#include "platform/SystemLayout.h"

class QProcess;

namespace korvi {

// Runs the file verbs on Korvi's own files in a distribution's BIND, one at a
// time in the order asked: in this process on a worker thread when Korvi is
// root, otherwise as `pkexec korvi-helper <verb>` with the file's text on the
// helper's standard input. A password prompt has no time limit. When pkexec
// itself fails (no agent, prompt dismissed, no polkit: exit 126 or 127) the
// message says so; the helper then has changed nothing.
class OwnedFileSaver : public QObject {
    Q_OBJECT

public:
    // ok: done; otherwise message says why in Korvi's words.
    using Completion = std::function<void(bool ok, const QString& message)>;

    explicit OwnedFileSaver(const SystemLayout& layout, QObject* parent = nullptr);
    ~OwnedFileSaver() override;

    // One verb and its arguments (see HelperVerbs.h), the input for the verbs
    // that take one. The completion runs on the main thread.
    void perform(const QStringList& words, const QByteArray& input, Completion completion);

    // The message for a pkexec that could not raise the helper.
    static QString privilegeFailure(int exitCode, const QString& output);

private:
    struct Step {
        QStringList words;
        QByteArray input;
        Completion completion;
    };
    void runNext();
    void runInProcess(const Step& step);
    void runHelper(const Step& step);
    void stepDone(bool ok, const QString& message);

    SystemLayout m_layout;
    QQueue<Step> m_queue;
    bool m_busy = false;
    QPointer<QProcess> m_process;
};

} // namespace korvi
