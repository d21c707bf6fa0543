// The find window's widget ("Find Dialog"): the target list, the search text, the two check
// boxes and the buttons, with the model's hints as tool tips. Enter in the text runs "&Find",
// Escape closes; the window stays in front of the other child windows. It renders TsearchForm
// and forwards every action to it.
#pragma once

#include "desktop/child_view.h"
#include "tools/search_form.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmora::desktop {

class SearchWindowView final : public ChildView {
  public:
    SearchWindowView(tools::TsearchForm& model, QWidget* parent);
    void refreshFromModel() override;
    bool staysOnTop() const override { return true; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void run(const std::function<void()>& command);

    tools::TsearchForm& model_;
    QComboBox* target_ = nullptr;
    QLineEdit* text_ = nullptr;
    QCheckBox* caseSensitive_ = nullptr;
    QCheckBox* wholeWords_ = nullptr;
    QPushButton* nextMessage_ = nullptr;
    QPushButton* nextFolder_ = nullptr;
    QPushButton* help_ = nullptr;
    int shownFocusRequests_ = 0;
    bool filling_ = false;
};

// Registers the view for the find window ("Search" keys).
void registerSearchWindowView();

}  // namespace velmora::desktop
