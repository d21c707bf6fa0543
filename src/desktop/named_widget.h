// Gives a widget its object name (for tests and desktop tools) and its accessible name (for
// screen readers) in one call, so no control is left without either.
#pragma once

#include <QString>

namespace velmora::desktop {

template <typename W>
W* named(W* widget, const char* name, const QString& accessible) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessible);
    return widget;
}

}  // namespace velmora::desktop
