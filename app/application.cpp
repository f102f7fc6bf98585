#include "app/application.h"

#include "core/guard.h"
#include "ui/fonts.h"

#include <QLibraryInfo>
#include <QPointer>
#include <QProxyStyle>
#include <QTranslator>

namespace {
// Tooltips appear after the pointer has rested for 500 ms.
class TStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setStyle(new TStyle);
    fonts::install();
    setFont(fonts::windowFont());
    installQtTranslations(QLocale::system());
}

bool installQtTranslations(const QLocale &locale)
{
    static QPointer<QTranslator> installed;
    delete installed;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    bool result = false;
    guard::run([&] { result = QApplication::notify(receiver, event); });
    return result;
}
