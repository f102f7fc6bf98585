#include "ui/edit.h"

#include "core/codepage.h"
#include "ui/hint.h"

#include <QKeyEvent>
#include <QTimer>
#include <QValidator>

#include <algorithm>
#include <limits>

// Cuts what an edit inserts at its first line break. It sees the whole new text and the cursor
// after the insertion; the text after the cursor stood after the insertion point before, and
// the common start of the old and the new text stood before it, so what lies between is what
// was inserted.
class OneLineValidator : public QValidator {
public:
    explicit OneLineValidator(TEdit *edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString &input, int &pos) const override
    {
        const auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
        if (std::none_of(input.cbegin(), input.cend(), isBreak))
            return Acceptable;
        const QString &old = m_edit->m_lastText;
        const qsizetype end = qBound(qsizetype(0), qsizetype(pos), input.size());
        const qsizetype after = input.size() - end;
        const qsizetype prefixMax = qMax<qsizetype>(0, qMin(end, old.size() - after));
        qsizetype start = 0;
        while (start < prefixMax && old.at(start) == input.at(start))
            ++start;
        const auto inserted = QStringView(input).mid(start, end - start);
        const auto brk = std::find_if(inserted.begin(), inserted.end(), isBreak);
        if (brk == inserted.end())
            return Acceptable; // the break was there before: not ours to cut
        const qsizetype kept = start + (brk - inserted.begin());
        input = input.left(kept) + input.mid(end);
        pos = int(kept);
        return Acceptable;
    }

private:
    TEdit *m_edit;
};

TEdit::TEdit(QWidget *parent) : QLineEdit(parent), m_releaseTimer(new QTimer(this))
{
    setMaxLength(std::numeric_limits<int>::max()); // a one-line edit has no length limit
    setValidator(new OneLineValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &t) { m_lastText = t; });
    m_releaseTimer->setSingleShot(true);
    connect(m_releaseTimer, &QTimer::timeout, this, [this] { settleTimeout(); });
}

QByteArray TEdit::Text() const
{
    return cp1254::fromUnicode(text());
}

void TEdit::SetText(const QByteArray &text)
{
    setText(cp1254::toUnicode(text));
}

int TEdit::virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Delete: return 46;
    default:
        if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
            return qtKey;
        return qtKey & 0xFFFF;
    }
}

bool TEdit::event(QEvent *e)
{
    if (hint::handled(this, e, ShowHint, Hint))
        return true;
    return QLineEdit::event(e);
}

void TEdit::keyPressEvent(QKeyEvent *e)
{
    if (m_pendingRelease) {
        if (m_pendingRelease->qtKey == e->key() && m_pendingRelease->timestamp == e->timestamp()) {
            // The release before this press was auto-repeat: the key is still held.
            m_pendingRelease.reset();
            m_releaseTimer->stop();
        } else {
            FlushKeyRelease();
        }
    }
    if (OnKeyPress) {
        char key = 0;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            key = 13;
        else if (!e->text().isEmpty())
            key = cp1254::fromUnicode(e->text().left(1)).at(0);
        if (key != 0) {
            OnKeyPress(key);
            if (key == 0)
                return; // kept out of the box
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TEdit::keyReleaseEvent(QKeyEvent *e)
{
    QLineEdit::keyReleaseEvent(e);
    if (e->isAutoRepeat() || !OnKeyUp)
        return;
    FlushKeyRelease(); // an earlier release is reported first
    m_pendingRelease = PendingRelease{e->key(), e->timestamp(), e->modifiers()};
    m_releaseAge.start();
    m_settleExtended = false;
    m_releaseTimer->start(kReleaseSettleMs);
}

void TEdit::settleTimeout()
{
    // A timer that fires late means the program was busy, and the press that would show the
    // release to be auto-repeat may be waiting among the input events: let them go first once.
    if (!m_settleExtended && m_releaseAge.elapsed() > 2 * kReleaseSettleMs) {
        m_settleExtended = true;
        m_releaseTimer->start(0);
        return;
    }
    FlushKeyRelease();
}

void TEdit::FlushKeyRelease()
{
    m_releaseTimer->stop();
    if (!m_pendingRelease)
        return;
    const PendingRelease r = *m_pendingRelease;
    m_pendingRelease.reset();
    if (!OnKeyUp)
        return;
    int key = virtualKey(r.qtKey);
    OnKeyUp(key, r.modifiers);
}
