#pragma once

#include <QLabel>

namespace korvi {

// The line at the top of a form that says why the last change was refused:
// objectName "formErrorLabel", in the error colour, wrapped, selectable, and
// hidden until there is something to say.
class FormErrorLabel : public QLabel {
    Q_OBJECT

public:
    explicit FormErrorLabel(QWidget* parent = nullptr);

    // Shows the reason; empty text hides the label.
    void showMessage(const QString& message);
    // The shown reason, or nothing while hidden.
    QString message() const;

    // The reason as the user reads it: BIND's checker names the scratch copy
    // it was given ("/tmp/…/db.example.com.tmp.<id>:17: …"); the form names
    // the zone's file instead ("db.example.com:17: …").
    static QString readable(const QString& message);
};

} // namespace korvi
