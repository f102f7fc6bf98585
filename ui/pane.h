#pragma once
// The pane control: a read-only, multi-line view of a PaneText without word wrap, with both
// scroll bars, whose text can be selected and copied. It renders only the lines in view, and
// keeps per-byte advances of the 256 characters of the code page, so an append costs in
// proportion to the bytes it adds even when a line holds megabytes.
//
// The text changes at once; the view follows at most every kViewDelayMs: the measuring of new
// text, the scroll bars, the scrolling to the caret and the repaint are done once for all the
// changes in between, so a flood of small arrivals does not repaint once per arrival.

#include "ui/panetext.h"

#include <QAbstractScrollArea>
#include <QRawFont>

#include <array>
#include <cstdint>
#include <vector>

class QMenu;
class QPainter;
class QTimer;

class TPane : public QAbstractScrollArea {
public:
    explicit TPane(QWidget *parent = nullptr);

    // The pane operations. Each one updates the view.
    QByteArray Text() const { return m_text.text(); }
    void SetText(const QByteArray &text);
    void AppendText(const QByteArray &bytes); // the same as SetText(Text() + bytes)
    void AddLine(const QByteArray &line);
    // AddLine of the decimal line of raw (each byte's value and '-').
    void AddDecimalLine(const QByteArray &raw)
    {
        m_text.addDecimalLine(raw);
        textChanged();
    }
    void Clear();
    qsizetype LineCount() const { return m_text.lineCount(); }
    // Selection start at the end of the text, length 0, scrolled so that the caret is visible.
    void CaretToEnd();

    qsizetype SelStart() const { return qMin(m_anchor, m_caret); }
    qsizetype SelLength() const { return qAbs(m_caret - m_anchor); }
    void Select(qsizetype start, qsizetype length);
    QByteArray SelectedText() const;
    void CopySelection() const;

    // The popup menu a right click opens; without one, a small copy menu.
    void SetPopupMenu(QMenu *menu) { m_popup = menu; }
    QMenu *PopupMenu() const { return m_popup; }

    const PaneText &Model() const { return m_text; }
    // Brings the view up to date now instead of at the next view update.
    void FlushView();
    static constexpr int kViewDelayMs = 15;
    // Horizontal pixel offset of a byte within its line (for tests of the view's bookkeeping).
    qint64 XOfOffset(qsizetype offset) const;
    qint64 WidestLine() const
    {
        ensureMeasured();
        return m_widest;
    }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void contextMenuEvent(QContextMenuEvent *) override;
    void changeEvent(QEvent *) override;

private:
    void measureFont();
    void textChanged();
    void ensureMeasured() const;
    void remeasureFrom(qsizetype offset) const;
    void scrollToCaret();
    void updateScrollBars();
    qsizetype offsetAt(const QPoint &viewportPos) const;
    qsizetype byteAtX(qsizetype line, qint64 x, qint64 *xOfByte) const;
    int advance(unsigned char byte) const { return m_advance[byte]; }
    // Draws the bytes [from, to) of a line with the first one's left edge at x: each glyph at the
    // x its byte is measured at, so what is drawn is where the caret, the selection and a click
    // take it to be.
    void drawBytes(QPainter &p, const unsigned char *bytes, qsizetype count, qreal x, qreal baseline) const;

    PaneText m_text;
    std::array<int, 256> m_advance{};
    std::vector<std::int16_t> m_pairAdvance; // advance of two bytes at once, indexed lo | hi << 8
    // How each byte is drawn: a glyph of one of the fonts (the pane's font, or the fallback the
    // font machinery picks for a character the font lacks); a tab and bytes with no glyph draw
    // nothing.
    std::vector<QRawFont> m_glyphFonts;
    std::array<quint32, 256> m_glyph{};
    std::array<std::int8_t, 256> m_glyphFont{}; // index into m_glyphFonts, -1 for nothing
    mutable std::vector<std::vector<quint32>> m_runGlyphs; // scratch for drawing, per font
    mutable std::vector<std::vector<QPointF>> m_runPositions;
    // The advance of every digit when they are all equal (else -1), and of '-': decimal lines
    // kept as bytes are measured by counting instead of adding.
    int m_digitAdvance = -1;
    int m_dashAdvance = 0;
    int m_minAdvance = 1;
    mutable QByteArray m_scratch; // text produced for reading, where the pane keeps bytes
    int m_lineHeight = 13;
    int m_ascent = 10;
    // x (within its line) of every kChunk-th byte of the text, for long lines.
    static constexpr qsizetype kChunk = 4096;
    // Measurements run behind the text and are brought up to date when the view needs them.
    mutable std::vector<qint64> m_chunkX;
    mutable qint64 m_lastLineWidth = 0;
    mutable qint64 m_widest = 0;
    mutable qsizetype m_measuredTo = 0;
    QTimer *m_viewTimer;
    bool m_scrollToCaret = false;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    QMenu *m_popup = nullptr;
};
