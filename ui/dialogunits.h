#pragma once
// Dialog units and the layouts of the message box and the input box, as pure computations
// from the average character width X and the character height Y of the dialog's font.

#include <QFont>
#include <QRect>
#include <QSize>

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);

struct DialogUnits {
    int x; // width of "A".."Z" "a".."z" drawn as one text, divided by 52
    int y; // height of that text
};
DialogUnits dialogUnits(const QFont &font);

// The size of a text drawn word-wrapped at maxWidth, each line break in it (CR LF, CR or LF)
// starting a new line and tabs expanded: the widest line by the width of its glyphs, and the
// lines counted at the font's integer height each. Summing the fractional line heights instead
// (ascent + descent as the font engine gives them) would make one line of an 11 + 2.27 px font
// 14 high where the text takes 13.
QSize wrappedTextSize(const QFont &font, const QString &text, int maxWidth);

struct MessageBoxLayout {
    QSize client;
    QRect label;
    QRect button;
};
// textSize: the message wrapped at half the screen width; okWidth: the width of "OK".
MessageBoxLayout messageBoxLayout(DialogUnits du, QSize textSize, int okWidth);

struct InputBoxLayout {
    QSize client;
    QRect prompt;
    QRect edit;
    QRect ok;
    QRect cancel;
};
// promptSize: the prompt wrapped at MulDiv(164, X, 4); editHeight: a one-line edit's height.
InputBoxLayout inputBoxLayout(DialogUnits du, QSize promptSize, int editHeight);
