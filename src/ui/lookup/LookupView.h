#pragma once

#include <QPointer>
#include <QWidget>

#include "manager/DnsLookup.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvi {

class DNSServerManager;

// The Lookup screen: asks a DNS server one question and shows the response
// as dig would (status, flags, the answer, authority and additional sections
// with their TTLs, the time taken). The server is Korvi's own at its address
// and port unless the user types another ("192.0.2.1", "192.0.2.1:5353",
// "[2001:db8::1]:53"). The question runs in the background; a newer question
// replaces the one on screen.
class LookupView : public QWidget {
    Q_OBJECT

public:
    explicit LookupView(DNSServerManager* manager, QWidget* parent = nullptr);

    // Korvi's own server, as the server field's stand-in shows it.
    LookupServer localServer() const;
    // Fills in the name and type and asks at once (the records screen's
    // "Look Up").
    void lookUp(const QString& name, const QString& type);
    // Asks what the fields say; a field that cannot be read shows why and
    // nothing is asked.
    void ask();

    const LookupResult& lastResult() const { return m_result; }
    bool isAsking() const { return m_pending != 0; }

Q_SIGNALS:
    // The result of the question on screen has been shown.
    void resultShown();

private:
    void finished(quint64 id, const LookupResult& result);
    void showProblem(const QString& text);

    QPointer<DNSServerManager> m_manager;
    DnsLookup* m_lookup = nullptr;
    quint64 m_pending = 0;
    LookupResult m_result;

    QLineEdit* m_serverField = nullptr;
    QLineEdit* m_nameField = nullptr;
    QComboBox* m_typeBox = nullptr;
    QPushButton* m_askButton = nullptr;
    QLabel* m_problemLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_flagsLabel = nullptr;
    QLabel* m_timeLabel = nullptr;
    QPlainTextEdit* m_resultText = nullptr;
};

} // namespace korvi
