#pragma once
// A single-line edit that speaks code page 1254 bytes. Its key callbacks receive the typed
// character (which the callback may replace by 0 to keep it out of the box) and the released
// key's virtual-key code; auto-repeated releases are not reported, so a key held down counts
// once.
//
// It holds one line of any length: what is pasted, dropped or otherwise inserted keeps only the
// part before its first line break (CR or LF), as a one-line edit of the platform does, so the
// box never holds a line break that its user did not see.
//
// Held keys: X11 delivers a held key as release/press pairs with equal timestamps, and the flag
// that marks them as auto-repeat is lost when the program is busy. So a release is reported
// only once it is clear that no press of the same key with the same timestamp follows it: at
// the next key event, or kReleaseSettleMs later.

#include <QByteArray>
#include <QLineEdit>

#include <QElapsedTimer>

#include <functional>
#include <optional>

class QTimer;

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

    static constexpr int kReleaseSettleMs = 50;
    // Reports a release that is still waiting to be told apart from auto-repeat.
    void FlushKeyRelease();

protected:
    void keyPressEvent(QKeyEvent *) override;
    void keyReleaseEvent(QKeyEvent *) override;
    bool event(QEvent *) override;

private:
    void settleTimeout();

    struct PendingRelease {
        int qtKey = 0;
        quint64 timestamp = 0;
        Qt::KeyboardModifiers modifiers;
    };
    std::optional<PendingRelease> m_pendingRelease;
    QTimer *m_releaseTimer;
    QElapsedTimer m_releaseAge;
    bool m_settleExtended = false;
    QString m_lastText; // the text before the change the line rule looks at
    friend class OneLineValidator;
};
