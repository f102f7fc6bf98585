#pragma once
// The main window's controls, built into a window: six bands from top to bottom (connection
// bar, send bar, macro bar, sent pane, received panes, status bar), every control with its
// name, position, size, caption, initial state, glyph and keyboard order. Nothing here reacts
// to events; the window's logic wires the handlers.

#include <QString>

#include <array>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QWidget;
class TEdit;
class TGlyphButton;
class TGroupBox;
class TDecimalPane;
class TTextPane;
class TPanel;
class TStatusBar;

struct MainControls {
    TPanel *RzPanel1;
    TPanel *RzPanel2;
    TGlyphButton *btnbaglan;
    TGlyphButton *btnkes;
    TEdit *Edit1;
    QCheckBox *ch1;
    TGlyphButton *btngonder;
    TGroupBox *RzGroupBox1;
    std::array<TGlyphButton *, 10> M; // M[0] is M1
    TGroupBox *RzGroupBox2;
    TTextPane *Memo1;
    TGroupBox *RzGroupBox3;
    TTextPane *Memo2;
    TStatusBar *RzStatusBar1;
    QLabel *stt1;
    TGlyphButton *RzBitBtn1;
    QMenu *PM1;
    QAction *btntemizle;
    QAction *Kaydet1;
    QMenu *PM2;
    QAction *MenuItem1;
    QAction *MenuItem2;
    QLabel *Label1;
    QLabel *Label2;
    TEdit *cmb1;
    TEdit *cmb2;
    TDecimalPane *Memo3;
    TGlyphButton *RzBitBtn2;
};

inline constexpr int kMainClientWidth = 689;
inline constexpr int kMainClientHeight = 572;
extern const char *const kMakerWebAddress;
QString mainWindowCaption();

// Builds every control into window (a top-level widget) and sizes the window.
MainControls buildMainWindow(QWidget *window);
