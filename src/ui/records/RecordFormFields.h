#pragma once

#include <QWidget>

#include <optional>

#include "model/DNSRecord.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvi {

class IntegerField;

// The fields both record forms share: name, type, value, TTL with its quick
// menu, and the priority, weight and port of MX and SRV records. The add
// form and the edit form differ only in group titles, the TTL help line and
// whether choosing a type also chooses its usual TTL.
class RecordFormFields : public QWidget {
    Q_OBJECT

public:
    enum class Variant { add, edit };

    RecordFormFields(Variant variant, const QString& zoneName, QWidget* parent = nullptr);

    QString name() const;
    DNSRecordType type() const { return m_type; }
    QString value() const;
    qint64 ttl() const;
    std::optional<qint64> priority() const;
    std::optional<qint64> weight() const;
    std::optional<qint64> port() const;

    // Shows a record's name, type, value, TTL, priority, weight and port,
    // without the rules of a type change.
    void load(const DNSRecord& record);
    // Chooses a type as the user does, with the rules of a type change.
    void chooseType(DNSRecordType type);
    void setTtl(qint64 ttl);

    // What the form saves.
    QString savedName() const { return savedName(name()); }
    QString savedValue() const { return composeValue(value(), type()); }
    qint64 savedTtl() const { return clampTtl(ttl()); }

    // The name to save: an empty name is the apex, written "@" and cleaned
    // to the empty name again.
    static QString savedName(const QString& typed);
    // The value to save: trimmed; a host name of CNAME, MX, NS and PTR gets a
    // trailing dot unless it looks like an address, an SRV target always
    // does; then cleaned for the type.
    static QString composeValue(const QString& text, DNSRecordType type);
    // Dotted text of four non-empty parts, or text holding ":".
    static bool looksLikeAddress(const QString& text);
    static qint64 clampTtl(qint64 ttl);
    // The TTL the add form chooses with a type.
    static qint64 ttlForType(DNSRecordType type);
    // "A - IPv4 Address".
    static QString typeLabel(DNSRecordType type);

    static constexpr qint64 shownPriority = 10;
    static constexpr qint64 shownWeight = 5;
    static constexpr qint64 shownPort = 80;

Q_SIGNALS:
    void valueChanged(const QString& value);
    // A type was shown: the groups that apply to it may have appeared or gone.
    void typeApplied(korvi::DNSRecordType type);

private:
    void typePicked(int index);
    void applyType(DNSRecordType type);
    QGroupBox* buildRecordGroup(const QString& zoneName);
    QGroupBox* buildTtlGroup();
    QGroupBox* buildPriorityGroup();
    QGroupBox* buildSrvGroup();

    Variant m_variant;
    DNSRecordType m_type = DNSRecordType::A;
    bool m_loading = false;
    QLineEdit* m_nameField = nullptr;
    QComboBox* m_typePicker = nullptr;
    QLabel* m_summary = nullptr;
    QLineEdit* m_valueField = nullptr;
    QLabel* m_valueHelp = nullptr;
    IntegerField* m_ttlField = nullptr;
    QPushButton* m_quickTtl = nullptr;
    QGroupBox* m_priorityGroup = nullptr;
    IntegerField* m_priorityField = nullptr;
    QGroupBox* m_srvGroup = nullptr;
    IntegerField* m_weightField = nullptr;
    IntegerField* m_portField = nullptr;
};

} // namespace korvi
