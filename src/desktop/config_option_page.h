// The widget of one option page of the configuration window: laid out from the page model's
// table of options (check boxes, drop-downs, text fields, file fields, font buttons, colour
// drop-downs, buttons). It holds no rule: every change goes to the model, and the widget then
// shows the model's values and enabled states again.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "profiles/option_page.h"

class QLabel;

namespace velmora::desktop {

class ConfigOptionPage final : public QWidget {
  public:
    // `run` carries a user action to the model and reports its failure.
    ConfigOptionPage(profiles::OptionPage& page, std::function<bool(std::function<void()>)> run,
                     QWidget* parent = nullptr);

    // Shows the model's values, captions and enabled states.
    void refresh();
    profiles::OptionPage& model() { return page_; }
    // The control that edits an option (for tests and screenshots).
    QWidget* control(const std::string& id) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* makeControl(const profiles::PageOption& option);
    void act(const std::function<void()>& action);

    profiles::OptionPage& page_;
    std::function<bool(std::function<void()>)> run_;
    std::map<std::string, QWidget*> controls_;
    std::map<std::string, QLabel*> suffixes_;
    std::map<QObject*, std::string> focusIds_;
    bool refreshing_ = false;
};

}  // namespace velmora::desktop
