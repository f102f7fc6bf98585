#include "ui/dialogunits.h"

#include <QFontMetrics>
#include <QTextLayout>
#include <QtMath>

#include <cstdint>

int MulDiv(int a, int b, int c)
{
    const std::int64_t n = std::int64_t(a) * b;
    const std::int64_t q = n / c, r = n % c;
    const bool negative = (n < 0) != (c < 0);
    // |r| * 2 >= |c|: round half away from zero
    const std::int64_t twice = (r < 0 ? -r : r) * 2, absC = c < 0 ? -std::int64_t(c) : c;
    if (twice >= absC)
        return int(negative ? q - 1 : q + 1);
    return int(q);
}

DialogUnits dialogUnits(const QFont &font)
{
    const QFontMetrics fm(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {fm.horizontalAdvance(letters) / 52, fm.height()};
}

QSize wrappedTextSize(const QFont &font, const QString &text, int maxWidth)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    lines.replace(u'\r', QChar::LineSeparator);
    lines.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(lines, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap); // as Qt::TextWordWrap draws it
    layout.setTextOption(option);
    layout.beginLayout();
    int count = 0;
    qreal width = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(maxWidth);
        width = qMax(width, line.naturalTextWidth());
        ++count;
    }
    layout.endLayout();
    return QSize(qCeil(width), qMax(count, 1) * QFontMetrics(font).height());
}

MessageBoxLayout messageBoxLayout(DialogUnits du, QSize textSize, int okWidth)
{
    const int H = MulDiv(8, du.x, 4);
    const int V = MulDiv(8, du.y, 8);
    const int S = MulDiv(10, du.y, 8);
    const int B = qMax(MulDiv(50, du.x, 4), okWidth + 8);
    const int BH = MulDiv(14, du.y, 8);
    const int tw = textSize.width(), th = textSize.height();
    MessageBoxLayout l;
    l.client = QSize(qMax(tw, B) + 2 * H, th + BH + S + 2 * V);
    l.label = QRect(H, V, tw, th);
    l.button = QRect((l.client.width() - B) / 2, th + V + S, B, BH);
    return l;
}

InputBoxLayout inputBoxLayout(DialogUnits du, QSize promptSize, int editHeight)
{
    InputBoxLayout l;
    const int width = MulDiv(180, du.x, 4);
    l.prompt = QRect(QPoint(MulDiv(8, du.x, 4), MulDiv(8, du.y, 8)), promptSize);
    l.edit = QRect(l.prompt.left(), l.prompt.top() + promptSize.height() + 5, MulDiv(164, du.x, 4), editHeight);
    const int bw = MulDiv(50, du.x, 4), bh = MulDiv(14, du.y, 8);
    const int top = l.edit.top() + editHeight + 15;
    l.ok = QRect(MulDiv(38, du.x, 4), top, bw, bh);
    l.cancel = QRect(MulDiv(92, du.x, 4), top, bw, bh);
    l.client = QSize(width, l.cancel.top() + bh + 13);
    return l;
}
