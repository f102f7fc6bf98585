#pragma once
// A single-line edit that speaks code page 1254 bytes. Its key callbacks receive the typed
// character (which the callback may replace by 0 to keep it out of the box) and the released
// key's virtual-key code; auto-repeated releases are not reported, so a key held down counts
// once.

#include <QByteArray>
#include <QLineEdit>

#include <functional>

class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget *parent = nullptr);

    QByteArray Text() const;
    void SetText(const QByteArray &text);

    QByteArray Hint;
    bool ShowHint = false;

    std::function<void(char &key)> OnKeyPress;
    std::function<void(int &key, Qt::KeyboardModifiers shift)> OnKeyUp;

    // The Windows virtual-key code of a Qt key (13 for Enter, the letter's capital for letters).
    static int virtualKey(int qtKey);

protected:
    void keyPressEvent(QKeyEvent *) override;
    void keyReleaseEvent(QKeyEvent *) override;
    bool event(QEvent *) override;
};
