#include "shell/Colours.h"

#include "shell/DeferredIcon.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cmath>

namespace Screens {

namespace {
double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// Most styles frame a list's focused entry only once the keyboard has moved
// the focus, and some in a colour that fades into a selected entry's; a user
// who clicks, or who cannot tell the faint line, loses the place.
class FocusMarkStyle : public QProxyStyle {
public:
    FocusMarkStyle(QStyle* base, const QString& name) : QProxyStyle(base) { setObjectName(name); }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option);
        const bool inView = widget && (qobject_cast<const QAbstractItemView*>(widget)
                                       || qobject_cast<const QAbstractItemView*>(widget->parentWidget()));
        if (element != PE_FrameFocusRect || !focus || !inView)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const QColor back = focus->backgroundColor.isValid() ? focus->backgroundColor : option->palette.color(QPalette::Base);
        QColor line = option->palette.color(QPalette::Highlight);
        if (contrast(line, back) < 3)
            line = textColourFor(back);
        painter->save();
        painter->setPen(QPen(line, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
    // The arrow every menu bar makes for itself at once, and seldom shows
    // (only when the window is too narrow for the menus), is drawn by the
    // style of the moment when it first is.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        return deferredIcon([icon] {
            QStyle* style = QApplication::style();
            if (auto* mark = dynamic_cast<FocusMarkStyle*>(style))
                style = mark->baseStyle();
            return style->standardIcon(icon);
        });
    }
};
} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor textColourFor(const QColor& back)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(back, black) >= contrast(back, white) ? black : white;
}

bool markFocus(const QString& name)
{
    if (name.isEmpty() && dynamic_cast<const FocusMarkStyle*>(QApplication::style()))
        return true;
    const QString base = name.isEmpty() ? styleName() : name;
    QStyle* style = QStyleFactory::create(base);
    if (!style && !name.isEmpty())
        return false;
    QApplication::setStyle(new FocusMarkStyle(style, base));
    return true;
}

QString styleName()
{
    const QStyle* style = QApplication::style();
    return dynamic_cast<const FocusMarkStyle*>(style) ? style->objectName() : style->name();
}

} // namespace Screens
