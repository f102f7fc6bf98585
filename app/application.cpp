#include "app/application.h"

#include "core/guard.h"
#include "ui/fonts.h"

#include <QProxyStyle>

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
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    bool result = false;
    guard::run([&] { result = QApplication::notify(receiver, event); });
    return result;
}
