#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

#include "manager/CheckedSaver.h"
#include "platform/SystemLayout.h"

namespace korvi {

class DNSServerManager;
class PreferencesStore;

// Sandbox mode: a private BIND server and Korvi's preferences, all inside
// one directory. named runs as the current user on 127.0.0.1 at a high
// port, and nothing outside the directory is read or written.
class SandboxSession : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 defaultPort = 15353;

    // The "sandbox" folder in Korvi's local data folder; where that path is
    // not plain (macOS: "Application Support"), ~/.korvi-sandbox.
    static QString defaultDirectory();
    // Whether the path can hold a sandbox: absolute, and without spaces,
    // quotes or shell and pattern characters (it ends up in command lines
    // and is written into named.conf).
    static bool isPlainPath(const QString& path);
    // The first port from `first` on where both a UDP and a TCP socket can
    // be bound on 127.0.0.1; 0 when there is none.
    static quint16 firstFreePort(quint16 first);

    // The ports a sandbox's named.conf was last written with: where its
    // server listens and its rndc control port (0 for either that is not
    // there, or without a named.conf). korvictl works on the sandbox's
    // server at those ports, the window's or its own.
    struct RecordedPorts {
        quint16 server = 0;
        quint16 control = 0;
    };
    static RecordedPorts recordedPorts(const QString& directory);

    SandboxSession(const QString& directory, quint16 port, QObject* parent = nullptr);
    // The same with the rndc control port given (0: the first free one after port).
    SandboxSession(const QString& directory, quint16 port, quint16 controlPort,
                   QObject* parent = nullptr);

    const QString& directory() const { return m_directory; }
    quint16 port() const { return m_port; }
    const SystemLayout& layout() const { return m_layout; }
    std::shared_ptr<PreferencesStore> preferences() const { return m_preferences; }

    // Points the manager's configuration at the sandbox (127.0.0.1 and the
    // port, keeping whatever else the sandbox's named.conf says) and, once
    // BIND detection has reported its version, writes the sandbox's
    // named.conf after named-checkconf has accepted the same text.
    void attach(DNSServerManager* manager);
    bool isConfigurationReady() const { return m_ready; }

Q_SIGNALS:
    // named.conf is written (true), or cannot be (false: no BIND, or the
    // checker refused it).
    void configurationReady(bool written);

private:
    void writeNamedConf();
    void saveNamedConf();
    void finish(bool written);
    void saveFinished(SaveId id, bool written);

    QString m_directory;
    quint16 m_port;
    SystemLayout m_layout;
    std::shared_ptr<PreferencesStore> m_preferences;
    QPointer<DNSServerManager> m_manager;
    SaveId m_saveId = 0;
    bool m_started = false;
    bool m_ready = false;
};

} // namespace korvi
