// The fonts and colours of the settings as Qt draws them.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "profiles/colours.h"
#include "profiles/settings.h"

namespace velmora::desktop {

// A colour of the settings (the selection colours come from the palette).
QColor toQColor(profiles::Colour colour, const QPalette& palette);

// The font of a setting: its family, and its size when that is a positive number of points.
QFont toQFont(const profiles::FontSetting& setting);

// Gives the widget the setting's font, and its colour to the palette role that draws its text
// (QPalette::Text for fields, QPalette::ButtonText for buttons).
void applyFontSetting(QWidget& widget, const profiles::FontSetting& setting,
                      QPalette::ColorRole textRole);

}  // namespace velmora::desktop
