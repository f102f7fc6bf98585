#include "ui/pane.h"

#include "core/codepage.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {
constexpr int kPad = 2; // text starts this far inside the pane's left edge

// A tab is drawn as a fixed gap of four blanks.
constexpr const char *kTabText = "    ";

// How a byte is drawn: control characters get a visible mark.
QChar displayChar(unsigned char b)
{
    if (b < 0x20 && b != '\t')
        return QChar(char16_t(0x25A1)); // white square
    return QChar(cp1254::toUnicode(b));
}
} // namespace

TPane::TPane(QWidget *parent, std::unique_ptr<PaneModel> model, std::unique_ptr<PaneMeasure> measure)
    : QAbstractScrollArea(parent), m_model(std::move(model)), m_measure(std::move(measure)), m_viewTimer(new QTimer(this))
{
    m_viewTimer->setSingleShot(true);
    m_viewTimer->setInterval(kViewDelayMs);
    connect(m_viewTimer, &QTimer::timeout, this, [this] { FlushView(); });
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    measureFont();
    updateScrollBars();
}

void TPane::measureFont()
{
    QFont f = font();
    f.setKerning(false);
    viewport()->setFont(f);
    const QFontMetrics fm(f);
    for (int b = 0; b < 256; ++b)
        m_advance[size_t(b)] = (b == '\t') ? fm.horizontalAdvance(QLatin1String(kTabText))
                                           : fm.horizontalAdvance(displayChar(static_cast<unsigned char>(b)));
    // The glyph of each byte, found the way text layout finds it, fallback fonts included.
    m_glyphFonts.clear();
    for (int b = 0; b < 256; ++b) {
        m_glyphFont[size_t(b)] = -1;
        if (b == '\t')
            continue;
        QTextLayout layout(QString(displayChar(static_cast<unsigned char>(b))), f);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.isEmpty() || runs.first().glyphIndexes().isEmpty())
            continue;
        const QRawFont raw = runs.first().rawFont();
        auto it = std::find(m_glyphFonts.begin(), m_glyphFonts.end(), raw);
        if (it == m_glyphFonts.end())
            it = m_glyphFonts.insert(m_glyphFonts.end(), raw);
        m_glyphFont[size_t(b)] = std::int8_t(it - m_glyphFonts.begin());
        m_glyph[size_t(b)] = runs.first().glyphIndexes().first();
    }
    m_runGlyphs.assign(m_glyphFonts.size(), {});
    m_runPositions.assign(m_glyphFonts.size(), {});
    m_minAdvance = std::max(1, *std::min_element(m_advance.begin(), m_advance.end()));
    m_lineHeight = qMax(1, fm.height());
    m_ascent = fm.ascent();
    m_measure->setAdvances(m_advance);
}

void TPane::changeEvent(QEvent *e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        measureFont();
        FlushView();
    }
}

// Brings the measurements up to date with the text: O(bytes added since).
void TPane::ensureMeasured() const
{
    m_measure->follow();
}

qint64 TPane::XOfOffset(qsizetype offset) const
{
    ensureMeasured();
    qsizetype from = 0;
    qint64 x = 0;
    m_measure->startFor(m_model->lineOf(offset), offset, &from, &x);
    const auto *s = reinterpret_cast<const unsigned char *>(m_model->bytes(from, offset, m_scratch));
    for (qsizetype i = 0; i < offset - from; ++i)
        x += m_advance[s[i]];
    return x;
}

qsizetype TPane::byteAtX(qsizetype line, qint64 targetX, qint64 *xOfByte) const
{
    ensureMeasured();
    const qsizetype end = m_model->lineStart(line) + m_model->lineLength(line);
    qsizetype i = 0;
    qint64 x = 0;
    m_measure->startBeforeX(line, targetX, &i, &x);
    const qsizetype walkEnd = std::min(end, i + m_measure->walkLimit());
    const qsizetype base = i;
    const auto *s = reinterpret_cast<const unsigned char *>(m_model->bytes(base, walkEnd, m_scratch));
    while (i < walkEnd && x + m_advance[s[i - base]] <= targetX) {
        x += m_advance[s[i - base]];
        ++i;
    }
    *xOfByte = x;
    return i;
}

void TPane::drawBytes(QPainter &p, const unsigned char *s, qsizetype count, qreal x, qreal baseline) const
{
    for (auto &g : m_runGlyphs)
        g.clear();
    for (auto &pos : m_runPositions)
        pos.clear();
    for (qsizetype i = 0; i < count; ++i) {
        const unsigned char b = s[i];
        const int f = m_glyphFont[b];
        if (f >= 0) {
            m_runGlyphs[size_t(f)].push_back(m_glyph[b]);
            m_runPositions[size_t(f)].emplace_back(x, 0);
        }
        x += m_advance[b];
    }
    for (size_t f = 0; f < m_glyphFonts.size(); ++f) {
        if (m_runGlyphs[f].empty())
            continue;
        QGlyphRun run;
        run.setRawFont(m_glyphFonts[f]);
        run.setRawData(m_runGlyphs[f].data(), m_runPositions[f].data(), int(m_runGlyphs[f].size()));
        p.drawGlyphRun(QPointF(0, baseline), run);
    }
}

void TPane::updateScrollBars()
{
    ensureMeasured();
    const int visibleLines = qMax(1, viewport()->height() / m_lineHeight);
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, int(qMax<qsizetype>(0, m_model->displayLines() - visibleLines)));
    v->setPageStep(visibleLines);
    v->setSingleStep(1);
    QScrollBar *h = horizontalScrollBar();
    const qint64 range = qMax<qint64>(0, m_measure->widest() + 2 * kPad - viewport()->width());
    h->setRange(0, int(qMin<qint64>(range, INT_MAX)));
    h->setPageStep(qMax(1, viewport()->width()));
    h->setSingleStep(qMax(1, m_advance['x']));
}

void TPane::textChanged()
{
    m_anchor = qMin(m_anchor, m_model->size());
    m_caret = qMin(m_caret, m_model->size());
    if (!m_viewTimer->isActive())
        m_viewTimer->start();
}

void TPane::FlushView()
{
    m_viewTimer->stop();
    updateScrollBars();
    if (m_scrollToCaret)
        scrollToCaret();
    viewport()->update();
}

void TTextPane::SetText(const QByteArray &text)
{
    m_text.setText(text);
    textChanged();
}

void TTextPane::AppendText(const QByteArray &bytes)
{
    m_text.append(bytes);
    textChanged();
}

void TTextPane::AddLine(const QByteArray &line)
{
    m_text.addLine(line);
    textChanged();
}

void TDecimalPane::AddDecimalLine(QByteArrayView raw)
{
    m_lines.addLine(raw);
    textChanged();
}

void TPane::Clear()
{
    m_model->clear();
    m_anchor = m_caret = 0;
    textChanged();
}

void TPane::CaretToEnd()
{
    m_anchor = m_caret = m_model->size();
    m_scrollToCaret = true;
    if (!m_viewTimer->isActive())
        m_viewTimer->start();
}

void TPane::scrollToCaret()
{
    m_scrollToCaret = false;
    QScrollBar *v = verticalScrollBar();
    const qsizetype caretLine = m_model->lineOf(m_caret);
    const int visible = qMax(1, viewport()->height() / m_lineHeight);
    if (caretLine < v->value())
        v->setValue(int(caretLine));
    else if (caretLine >= v->value() + visible)
        v->setValue(int(caretLine - visible + 1));
    QScrollBar *h = horizontalScrollBar();
    const qint64 x = XOfOffset(m_caret);
    const int w = viewport()->width();
    if (x < h->value() || x > h->value() + w - 2)
        h->setValue(int(qBound(qint64(0), qint64(x - w + 2 * m_advance['x']), qint64(h->maximum()))));
}

void TPane::Select(qsizetype start, qsizetype length)
{
    m_anchor = qBound<qsizetype>(0, start, m_model->size());
    m_caret = qBound<qsizetype>(0, start + length, m_model->size());
    viewport()->update();
}

QByteArray TPane::SelectedText() const
{
    return m_model->textRange(SelStart(), SelStart() + SelLength());
}

void TPane::CopySelection() const
{
    if (SelLength() == 0)
        return;
    QString text = cp1254::toUnicode(SelectedText());
#ifndef Q_OS_WIN
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
#endif
    QApplication::clipboard()->setText(text);
}

void TPane::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void TPane::paintEvent(QPaintEvent *)
{
    ensureMeasured();
    QPainter p(viewport());
    const int firstLine = verticalScrollBar()->value();
    const int hx = horizontalScrollBar()->value() - kPad; // drawn x = text x - hx
    const int w = viewport()->width();
    const int rows = viewport()->height() / m_lineHeight + 1;
    const qsizetype selA = SelStart(), selB = SelStart() + SelLength();
    const QPalette &pal = palette();

    for (int r = 0; r < rows; ++r) {
        const qsizetype line = firstLine + r;
        if (line >= m_model->displayLines())
            break;
        const int y = r * m_lineHeight;
        const qsizetype start = m_model->lineStart(line);
        const qsizetype end = start + m_model->lineLength(line);
        qint64 x0 = 0;
        const qsizetype from = byteAtX(line, qMax(0, hx), &x0);
        // The bytes up to the right edge: no more than the narrowest character fills.
        const qsizetype most = std::min(end, from + w / m_minAdvance + 2);
        // s[i] is the byte at from + i.
        const auto *s = reinterpret_cast<const unsigned char *>(m_model->bytes(from, most, m_scratch));
        qsizetype to = from;
        qint64 x = x0;
        while (to < most && x < hx + w) {
            x += m_advance[s[to - from]];
            ++to;
        }
        // Selection background, then text.
        if (selB > selA && selA <= end && selB >= start) {
            const qsizetype a = qBound(from, selA, to), b = qMin(selB, to);
            qint64 xa = x0, xb = x0;
            for (qsizetype i = from; i < a; ++i)
                xa += m_advance[s[i - from]];
            xb = xa;
            for (qsizetype i = a; i < b; ++i)
                xb += m_advance[s[i - from]];
            if (selB > end && to == end)
                xb += m_advance[' '];
            if (xb > xa)
                p.fillRect(QRectF(xa - hx, y, xb - xa, m_lineHeight), pal.brush(QPalette::Highlight));
        }
        if (to > from) {
            p.setPen(pal.color(QPalette::Text));
            drawBytes(p, s, to - from, qreal(x0 - hx), qreal(y + m_ascent));
        }
    }
    // The caret, when the pane has the focus.
    if (hasFocus() && SelLength() == 0) {
        const qsizetype line = m_model->lineOf(m_caret);
        const int r = int(line) - firstLine;
        if (r >= 0 && r < rows) {
            const qint64 cx = XOfOffset(m_caret) - hx;
            p.fillRect(QRectF(cx, r * m_lineHeight, 1, m_lineHeight), pal.brush(QPalette::Text));
        }
    }
}

qsizetype TPane::offsetAt(const QPoint &pos) const
{
    qsizetype line = verticalScrollBar()->value() + pos.y() / m_lineHeight;
    if (pos.y() < 0)
        line = verticalScrollBar()->value() - 1;
    if (line < 0)
        return 0;
    if (line >= m_model->displayLines())
        return m_model->size();
    qint64 x;
    return byteAtX(line, qMax(0, pos.x() - kPad + horizontalScrollBar()->value()), &x);
}

void TPane::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(e);
    setFocus(Qt::MouseFocusReason);
    m_caret = offsetAt(e->position().toPoint());
    if (!(e->modifiers() & Qt::ShiftModifier))
        m_anchor = m_caret;
    viewport()->update();
}

void TPane::mouseMoveEvent(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    m_caret = offsetAt(e->position().toPoint());
    viewport()->update();
}

void TPane::keyPressEvent(QKeyEvent *e)
{
    if (e->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        Select(0, m_model->size());
        return;
    }
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    switch (e->key()) {
    case Qt::Key_Up: v->setValue(v->value() - 1); return;
    case Qt::Key_Down: v->setValue(v->value() + 1); return;
    case Qt::Key_PageUp: v->setValue(v->value() - v->pageStep()); return;
    case Qt::Key_PageDown: v->setValue(v->value() + v->pageStep()); return;
    case Qt::Key_Left: h->setValue(h->value() - h->singleStep()); return;
    case Qt::Key_Right: h->setValue(h->value() + h->singleStep()); return;
    case Qt::Key_Home:
        if (e->modifiers() & Qt::ControlModifier)
            v->setValue(0);
        h->setValue(0);
        return;
    case Qt::Key_End:
        if (e->modifiers() & Qt::ControlModifier)
            CaretToEnd();
        else
            h->setValue(h->maximum());
        return;
    default: break;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TPane::contextMenuEvent(QContextMenuEvent *e)
{
    if (m_popup) {
        m_popup->popup(e->globalPos());
        return;
    }
    QMenu menu(this);
    // Worded as an edit's menu is, so that Qt's translations give them in the user's language.
    QAction *copy = menu.addAction(QCoreApplication::translate("QLineEdit", "&Copy"), this, [this] { CopySelection(); });
    copy->setEnabled(SelLength() > 0);
    menu.addAction(QCoreApplication::translate("QLineEdit", "Select All"), this, [this] { Select(0, m_model->size()); });
    menu.exec(e->globalPos());
}
