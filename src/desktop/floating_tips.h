// The floating tips of every window: while they are switched off ("Floating &Tips", "other.cfg")
// no tool tip appears; while they are on, each stays for the configured seconds.
#pragma once

#include <QObject>
#include <functional>

namespace velmora::desktop {

class FloatingTipsFilter : public QObject {
  public:
    struct State {
        bool shown = true;
        int milliseconds = 8000;
    };
    // `state` is asked at each tip, so a change of the setting takes effect at once.
    FloatingTipsFilter(QObject* parent, std::function<State()> state);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<State()> state_;
};

}  // namespace velmora::desktop
