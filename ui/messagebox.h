#pragma once
// The message box: the message wrapped at half the screen width, one "OK" button that is both
// default and cancel, the application title as caption and no icon; laid out from the dialog
// units of the message-box font. Ctrl+C beeps and copies the box as text.

#include "ui/dialogunits.h"

#include <QByteArray>
#include <QDialog>

class QLabel;
class QPushButton;

class TMessageForm : public QDialog {
public:
    TMessageForm(const QString &caption, const QString &message, QWidget *parent = nullptr);

    // What Ctrl+C puts on the clipboard.
    QString CopyText() const;
    QLabel *Label() const { return m_label; }
    QPushButton *Button() const { return m_button; }

protected:
    void keyPressEvent(QKeyEvent *) override;

private:
    QString m_caption;
    QString m_message;
    QLabel *m_label;
    QPushButton *m_button;
};

// The clipboard text of a box with these texts: each part between lines of 27 hyphens.
QString messageBoxCopyText(const QString &caption, const QString &message, const QStringList &buttons);

// Shows message (code page bytes) under the application title and returns once it is closed.
void ShowMessage(const QByteArray &message);
