// The widget inside a child window's frame. Each window kind registers how its widget is made
// ("InBox" for folder windows, "Read", "Compose" ...); the main window asks for one whenever the
// model opens a child window, and tells it to refresh whenever the model reports a change.
#pragma once

#include <QMdiSubWindow>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/child_window.h"

namespace velmora::desktop {

class ChildView : public QWidget {
  public:
    using QWidget::QWidget;
    // Reads the model again and redraws what changed.
    virtual void refreshFromModel() = 0;
    // A window that stays in front of the other child windows (the rules window).
    virtual bool staysOnTop() const { return false; }
};

using ChildViewFactory = std::function<ChildView*(platform::ChildWindow& window, QWidget* parent)>;

void registerChildView(const std::string& kind, ChildViewFactory factory);
// The registered widget of the window's kind, or a plain caption view for kinds without one.
ChildView* createChildView(platform::ChildWindow& window, QWidget* parent);

// Gives the frame the recorded bounds, but never less than its contents need: bounds of an
// older layout or a narrower default would otherwise cut buttons and captions short.
void setFrameBounds(QMdiSubWindow& frame, const platform::WindowBounds& bounds);

}  // namespace velmora::desktop
