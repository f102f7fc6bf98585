#include "ui/messagebox.h"

#include "core/apptitle.h"
#include "core/codepage.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

QString messageBoxCopyText(const QString &caption, const QString &message, const QStringList &buttons)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString line = QString(27, u'-') + crlf;
    QString captions;
    for (QString b : buttons)
        captions += b.remove(u'&') + QStringLiteral("   ");
    return line + caption + crlf + line + message + crlf + line + captions + crlf + line;
}

TMessageForm::TMessageForm(const QString &caption, const QString &message, QWidget *parent)
    : QDialog(parent), m_caption(caption), m_message(message)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QApplication::font("QMessageBox"));

    const DialogUnits du = dialogUnits(font());
    const QFontMetrics fm(font());
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int maxWidth = qMax(1, (screen ? screen->geometry().width() : 1024) / 2);
    const QSize text = wrappedTextSize(font(), message, maxWidth);
    const MessageBoxLayout l = messageBoxLayout(du, text, fm.horizontalAdvance(QStringLiteral("OK")));

    m_label = new QLabel(message, this);
    m_label->setObjectName(QStringLiteral("Message"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setGeometry(l.label);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_button = new QPushButton(QStringLiteral("OK"), this);
    m_button->setObjectName(QStringLiteral("OK"));
    m_button->setGeometry(l.button);
    m_button->setDefault(true);
    connect(m_button, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(l.client);
    if (screen)
        move(screen->geometry().center() - rect().center());
    m_button->setFocus();
}

QString TMessageForm::CopyText() const
{
    return messageBoxCopyText(m_caption, m_message, {QStringLiteral("OK")});
}

void TMessageForm::keyPressEvent(QKeyEvent *e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_C && mods == Qt::ControlModifier) {
        QApplication::beep();
        QApplication::clipboard()->setText(CopyText());
        return;
    }
    QDialog::keyPressEvent(e); // Enter and Esc close the box
}

void ShowMessage(const QByteArray &message)
{
    TMessageForm box(applicationTitle(), cp1254::toUnicode(message), QApplication::activeWindow());
    box.exec();
}
