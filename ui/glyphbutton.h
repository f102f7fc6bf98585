#pragma once
// A push button with a glyph at its left margin and its caption beside it, in a silver frame.
// It takes the keyboard focus; while focused, Enter pressed without Shift, Ctrl or Alt and
// Space released press it; the mouse presses it when the left button is released over it.
// A mouse-up callback runs for every button before the click that may follow.

#include <QAbstractButton>
#include <QByteArray>

#include <functional>

class TGlyphButton : public QAbstractButton {
public:
    TGlyphButton(const QString &caption, int imageIndex, int margin, QWidget *parent = nullptr);

    QByteArray Hint;
    bool ShowHint = false;
    int Tag = 0;
    int ImageIndex() const { return m_imageIndex; }
    int Margin() const { return m_margin; }

    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseUp;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    bool event(QEvent *) override;

private:
    int m_imageIndex;
    int m_margin;
};
