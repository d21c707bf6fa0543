#include "desktop/font_setting.h"

#include <QWidget>

#include "desktop/text_convert.h"

namespace velmora::desktop {

QColor toQColor(profiles::Colour colour, const QPalette& palette) {
    if (colour == profiles::kClHighlight) return palette.color(QPalette::Highlight);
    if (colour == profiles::kClHighlightText) return palette.color(QPalette::HighlightedText);
    const profiles::Rgb rgb = profiles::toRgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QFont toQFont(const profiles::FontSetting& setting) {
    QFont font(toQt(setting.name));
    bool ok = false;
    const int size = toQt(setting.size).toInt(&ok);
    if (ok && size > 0) font.setPointSize(size);
    return font;
}

void applyFontSetting(QWidget& widget, const profiles::FontSetting& setting,
                      QPalette::ColorRole textRole) {
    widget.setFont(toQFont(setting));
    QPalette colours = widget.palette();
    colours.setColor(textRole, toQColor(setting.colour, widget.palette()));
    widget.setPalette(colours);
}

}  // namespace velmora::desktop
