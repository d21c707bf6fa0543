// The retrieve-headers window's widget: the seven-column list of the messages waiting on the
// server, the four action buttons of the current row, "Re&trieve Headers" and "&Execute Action".
// It renders TheadersForm and forwards clicks, keys, sorting and column widths to it.
#pragma once

#include <array>

#include "desktop/child_view.h"
#include "retrieval/headers_form.h"

class QTableWidget;
class QGroupBox;
class QRadioButton;
class QPushButton;

namespace velmora::desktop {

class HeadersWindowView final : public ChildView {
  public:
    HeadersWindowView(retrieval::TheadersForm& model, QWidget* parent);
    void refreshFromModel() override;
    retrieval::TheadersForm& model() { return model_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void syncSelection();
    void chooseAction(retrieval::ServerAction action);

    retrieval::TheadersForm& model_;
    QTableWidget* list_ = nullptr;
    QWidget* controls_ = nullptr;  // the action group and the buttons; hidden at full size
    QGroupBox* actions_ = nullptr;
    std::array<QRadioButton*, 4> actionButtons_{};
    QPushButton* retrieve_ = nullptr;
    QPushButton* execute_ = nullptr;
    bool filling_ = false;
};

// Registers the view for the retrieve-headers window ("Headers" keys).
void registerHeadersWindowView();

}  // namespace velmora::desktop
