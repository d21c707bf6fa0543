#include "desktop/floating_tips.h"

#include <QEvent>
#include <QToolTip>
#include <QWidget>

namespace velmora::desktop {

FloatingTipsFilter::FloatingTipsFilter(QObject* parent, std::function<State()> state)
    : QObject(parent), state_(std::move(state)) {}

bool FloatingTipsFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return false;
    const State state = state_();
    if (!state.shown) {
        QToolTip::hideText();
        return true;
    }
    // Item views show their items' tips themselves: the duration is set and the event goes on.
    if (auto* widget = qobject_cast<QWidget*>(watched))
        widget->setToolTipDuration(state.milliseconds);
    return false;
}

}  // namespace velmora::desktop
