#pragma once
// The help window: a small fixed tool window, always on top, with the maker's name, a web
// address and an editable help text. It is created hidden, shown modally, and closing it only
// hides it, so its position and text stay for the next showing.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

class TfHelp : public QDialog {
public:
    explicit TfHelp(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QPlainTextEdit *cxMemo1;

    static const char *const kWebAddress;
    static QStringList helpLines();

protected:
    void showEvent(QShowEvent *) override;
    // It has no buttons: only the title bar's close button or the platform's close command
    // close it, so Esc (which a dialog takes for Cancel) does nothing.
    void keyPressEvent(QKeyEvent *) override;

private:
    bool m_shownBefore = false;
};
