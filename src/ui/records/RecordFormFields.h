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
// menu, the numbers and choices of the types that have them (MX and SRV
// priority, SRV weight and port, CAA flag and tag, SSHFP algorithm and
// fingerprint type, TLSA usage, selector and matching type), and below them
// what will be written: the full name a target stands for and the record line
// as the zone's file will hold it, with the validator's messages for what is
// typed now. The add form and the edit form differ only in group titles, the
// TTL help line and whether choosing a type also chooses its usual TTL.
class RecordFormFields : public QWidget {
    Q_OBJECT

public:
    enum class Variant { add, edit };

    RecordFormFields(Variant variant, const QString& zoneName, QWidget* parent = nullptr);

    const QString& zoneName() const { return m_zoneName; }
    QString name() const;
    DNSRecordType type() const { return m_type; }
    QString value() const;
    qint64 ttl() const;
    // The numbers and choices shown for the type, exactly as they will be
    // saved; the fields the type does not use are absent.
    RecordOptions options() const;

    // Shows a record's name, type, value, TTL and type-specific fields (the
    // type's default where the record has none), without the rules of a type
    // change.
    void load(const DNSRecord& record);
    // Chooses a type as the user does, with the rules of a type change.
    void chooseType(DNSRecordType type);
    void setTtl(qint64 ttl);
    // Fields on or off while a change is being saved.
    void setEditable(bool editable);

    // What the form saves.
    QString savedName() const { return savedName(name()); }
    QString savedValue() const { return composeValue(value(), type(), m_zoneName); }
    qint64 savedTtl() const { return clampTtl(ttl()); }
    // The record the form describes now, built on `base` (its id and any
    // field the form does not show are kept).
    DNSRecord recordOn(const DNSRecord& base) const;

    // The texts shown under the fields: the full target name (empty for
    // types without a target or an empty value), the record line and the
    // validator's messages (empty when there are none).
    QString targetPreview() const;
    QString recordPreview() const;
    QString validationText() const;

    // The name to save: an empty name is the apex, written "@" and cleaned
    // to the empty name again.
    static QString savedName(const QString& typed);
    // The value to save: a target host name completed as BIND reads it in the
    // zone's file ("www" is "www.<zone>.", "@" the apex, "x." kept), other
    // values trimmed; then cleaned for the type.
    static QString composeValue(const QString& text, DNSRecordType type, const QString& zoneName);
    static qint64 clampTtl(qint64 ttl);
    // The TTL the add form chooses with a type.
    static qint64 ttlForType(DNSRecordType type);
    // "A - IPv4 Address".
    static QString typeLabel(DNSRecordType type);
    // "www.example.com. 3600 IN A 192.0.2.1": the owner as an absolute name,
    // then the data exactly as the zone's file holds it.
    static QString recordLine(const DNSRecord& record, const QString& zoneName);

Q_SIGNALS:
    void valueChanged(const QString& value);
    // A type was shown: the groups that apply to it may have appeared or gone.
    void typeApplied(korvi::DNSRecordType type);

private:
    void typePicked(int index);
    void applyType(DNSRecordType type);
    void showOptions(const RecordOptions& options, DNSRecordType type);
    void updatePreview();
    QGroupBox* buildRecordGroup();
    QGroupBox* buildTtlGroup();
    QGroupBox* buildPriorityGroup();
    QGroupBox* buildSrvGroup();
    QGroupBox* buildCaaGroup();
    QGroupBox* buildSshfpGroup();
    QGroupBox* buildTlsaGroup();
    QWidget* buildPreview();

    Variant m_variant;
    QString m_zoneName;
    DNSRecordType m_type = DNSRecordType::A;
    bool m_loading = false;
    QLineEdit* m_nameField = nullptr;
    QComboBox* m_typePicker = nullptr;
    QLabel* m_summary = nullptr;
    QLineEdit* m_valueField = nullptr;
    QLabel* m_valueHelp = nullptr;
    QWidget* m_targetRow = nullptr;
    QLabel* m_targetPreview = nullptr;
    IntegerField* m_ttlField = nullptr;
    QPushButton* m_quickTtl = nullptr;
    QGroupBox* m_priorityGroup = nullptr;
    IntegerField* m_priorityField = nullptr;
    QGroupBox* m_srvGroup = nullptr;
    IntegerField* m_weightField = nullptr;
    IntegerField* m_portField = nullptr;
    QGroupBox* m_caaGroup = nullptr;
    IntegerField* m_flagField = nullptr;
    QComboBox* m_tagPicker = nullptr;
    QGroupBox* m_sshfpGroup = nullptr;
    QComboBox* m_algorithmPicker = nullptr;
    QComboBox* m_fingerprintTypePicker = nullptr;
    QGroupBox* m_tlsaGroup = nullptr;
    QComboBox* m_usagePicker = nullptr;
    QComboBox* m_selectorPicker = nullptr;
    QComboBox* m_matchingTypePicker = nullptr;
    QLabel* m_recordPreview = nullptr;
    QLabel* m_validation = nullptr;
};

} // namespace korvi
