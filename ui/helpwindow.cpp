#include "ui/helpwindow.h"

#include "ui/fonts.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>

const char *const TfHelp::kWebAddress = "www.miraven.example";

QStringList TfHelp::helpLines()
{
    return {
        QStringLiteral("Bu program TCP portlar ile haberleşmelerinizi kolayca "),
        QStringLiteral("yapabileceğiniz bir terminal programıdır."),
        QStringLiteral("Programda eğer ASCII karakterler göndermek isterseniz # "),
        QStringLiteral("karakterinden sonra üç karakterli bir şekilde ascii kodunu "),
        QStringLiteral("girmelisiniz."),
        QStringLiteral("Örneğin A karakteri için: #065 girebilirsiniz."),
        QStringLiteral("Makro Kaydetmek için makro butonlarına sağ tıklayınız."),
    };
}

TfHelp::TfHelp(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fHelp"));
    setWindowTitle(QStringLiteral("DOLMEKAN Programı"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(fonts::windowFont());
    setFixedSize(299, 166);

    Label1 = new QLabel(QStringLiteral("ZOLTERA"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(fonts::tahoma(19));
    Label1->move(112, 8);
    Label1->resize(Label1->sizeHint().width(), 23);

    Label2 = new QLabel(QString::fromLatin1(kWebAddress), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(fonts::tahoma(13));
    Label2->move(64, 29);
    Label2->resize(Label2->sizeHint().width(), 16);

    cxMemo1 = new QPlainTextEdit(this);
    cxMemo1->setObjectName(QStringLiteral("cxMemo1"));
    cxMemo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    cxMemo1->setWordWrapMode(QTextOption::WordWrap);
    cxMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cxMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cxMemo1->setPlainText(helpLines().join(u'\n'));
    cxMemo1->setGeometry(0, 52, 299, 114);
    cxMemo1->setFocus();
}

void TfHelp::showEvent(QShowEvent *e)
{
    if (!m_shownBefore) {
        m_shownBefore = true;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
    }
    cxMemo1->setFocus();
    QDialog::showEvent(e);
}

void TfHelp::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
