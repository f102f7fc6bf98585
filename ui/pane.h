#pragma once
// The pane control: a read-only, multi-line view of a pane text without word wrap, with both
// scroll bars, whose text can be selected and copied. It renders only the lines in view, and
// keeps per-byte advances of the 256 characters of the code page, so an append costs in
// proportion to the bytes it adds even when a line holds megabytes.
//
// The text changes at once; the view follows at most every kViewDelayMs: the measuring of new
// text, the scroll bars, the scrolling to the caret and the repaint are done once for all the
// changes in between, so a flood of small arrivals does not repaint once per arrival.

#include "ui/panemeasure.h"

#include <QAbstractScrollArea>
#include <QRawFont>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QMenu;
class QPainter;
class QTimer;

// What every pane does; the text it shows and how that text is measured are given by its kind
// (TTextPane, TDecimalPane).
class TPane : public QAbstractScrollArea {
public:
    // The pane operations every kind has. Each one updates the view.
    QByteArray Text() const { return m_model->text(); }
    void Clear();
    qsizetype LineCount() const { return m_model->lineCount(); }
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

    const PaneModel &Model() const { return *m_model; }
    // Brings the view up to date now instead of at the next view update.
    void FlushView();
    static constexpr int kViewDelayMs = 15;
    // Horizontal pixel offset of a byte within its line (for tests of the view's bookkeeping).
    qint64 XOfOffset(qsizetype offset) const;
    qint64 WidestLine() const
    {
        ensureMeasured();
        return m_measure->widest();
    }

protected:
    TPane(QWidget *parent, std::unique_ptr<PaneModel> model, std::unique_ptr<PaneMeasure> measure);
    // After every change of the text.
    void textChanged();

    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void contextMenuEvent(QContextMenuEvent *) override;
    void changeEvent(QEvent *) override;

private:
    void measureFont();
    void ensureMeasured() const;
    void scrollToCaret();
    void updateScrollBars();
    qsizetype offsetAt(const QPoint &viewportPos) const;
    qsizetype byteAtX(qsizetype line, qint64 x, qint64 *xOfByte) const;
    // Draws count bytes with the first one's left edge at x: each glyph at the x its byte is
    // measured at, so what is drawn is where the caret, the selection and a click take it to be.
    void drawBytes(QPainter &p, const unsigned char *bytes, qsizetype count, qreal x, qreal baseline) const;

    std::unique_ptr<PaneModel> m_model;
    std::unique_ptr<PaneMeasure> m_measure;
    Advances m_advance{};
    // How each byte is drawn: a glyph of one of the fonts (the pane's font, or the fallback the
    // font machinery picks for a character the font lacks); a tab and bytes with no glyph draw
    // nothing.
    std::vector<QRawFont> m_glyphFonts;
    std::array<quint32, 256> m_glyph{};
    std::array<std::int8_t, 256> m_glyphFont{}; // index into m_glyphFonts, -1 for nothing
    mutable std::vector<std::vector<quint32>> m_runGlyphs; // scratch for drawing, per font
    mutable std::vector<std::vector<QPointF>> m_runPositions;
    int m_minAdvance = 1;
    mutable QByteArray m_scratch; // text produced for reading, where the pane keeps bytes
    int m_lineHeight = 13;
    int m_ascent = 10;
    QTimer *m_viewTimer;
    bool m_scrollToCaret = false;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    QMenu *m_popup = nullptr;
};

// A pane that holds text as it is given: the sent pane, the received text pane.
class TTextPane : public TPane {
public:
    explicit TTextPane(QWidget *parent = nullptr) : TTextPane(parent, new PaneText) {}
    void SetText(const QByteArray &text);
    void AppendText(const QByteArray &bytes); // the same as SetText(Text() + bytes)
    void AddLine(const QByteArray &line);

private:
    TTextPane(QWidget *parent, PaneText *text)
        : TPane(parent, std::unique_ptr<PaneModel>(text), std::make_unique<TextMeasure>(*text)), m_text(*text)
    {
    }
    PaneText &m_text;
};

// The received decimal pane: one decimal line per arrival.
class TDecimalPane : public TPane {
public:
    explicit TDecimalPane(QWidget *parent = nullptr) : TDecimalPane(parent, new DecimalLines) {}
    // Adds the decimal line of raw (each byte's value and '-') on a line of its own.
    void AddDecimalLine(QByteArrayView raw);

private:
    TDecimalPane(QWidget *parent, DecimalLines *lines)
        : TPane(parent, std::unique_ptr<PaneModel>(lines), std::make_unique<DecimalMeasure>(*lines)), m_lines(*lines)
    {
    }
    DecimalLines &m_lines;
};
