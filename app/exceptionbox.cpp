#include "app/exceptionbox.h"

#include "core/apptitle.h"
#include "core/guard.h"

#include <QApplication>
#include <QMessageBox>

QString exceptionBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowException(const std::exception &e)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), exceptionBoxText(QString::fromUtf8(e.what())),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ExceptionBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void installExceptionBox()
{
    guard::setHandler(ShowException);
}
