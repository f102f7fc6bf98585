#pragma once
// The input box: a prompt, a one-line edit and OK and Cancel, laid out from the dialog units of
// its font. The edit starts with the initial text all selected and has the focus; at most 255
// characters can be typed (a longer initial text from a hand-edited file is shown whole).

#include "ui/dialogunits.h"

#include <QByteArray>
#include <QDialog>

class QLabel;
class QPushButton;
class TEdit;

class TInputForm : public QDialog {
public:
    TInputForm(const QString &caption, const QString &prompt, const QByteArray &value, QWidget *parent = nullptr);
    TEdit *Edit() const { return m_edit; }
    QPushButton *OkButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }

private:
    QLabel *m_prompt;
    TEdit *m_edit;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

inline constexpr int kInputMaxTyped = 255;

// True and value set to the edit's text when confirmed; otherwise value untouched and false.
bool InputQuery(const QString &caption, const QString &prompt, QByteArray &value);
// The edited text when confirmed, the initial text otherwise.
QByteArray InputBox(const QString &caption, const QString &prompt, const QByteArray &initial);
