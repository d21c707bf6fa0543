// The rules window's widget ("Rules & Filters"): the rule list with its check marks, the three
// choices, the filter text, the folder tree and label of the target folder, the buttons, and the
// pop-up menu with "&Re-Order Filters", which opens the modal re-order window. It renders
// TfiltersForm and forwards every action to it.
#pragma once

#include <QDialog>

#include "desktop/child_view.h"
#include "retrieval/filters_form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace velmora::desktop {

class FiltersWindowView final : public ChildView {
  public:
    FiltersWindowView(retrieval::TfiltersForm& model, QWidget* parent);
    void refreshFromModel() override;
    bool staysOnTop() const override { return true; }
    // "&Re-Order Filters": the modal re-order window over this one.
    void openReorderWindow();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void fillFolderTree();
    // Leaving the filter text field: its text becomes the selected rule's.
    void leaveText();
    void closeWindow();

    retrieval::TfiltersForm& model_;
    QListWidget* list_ = nullptr;
    QComboBox* filterOn_ = nullptr;
    QComboBox* filterHow_ = nullptr;
    QComboBox* action_ = nullptr;
    QLineEdit* text_ = nullptr;
    QTreeWidget* folders_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QPushButton* add_ = nullptr;
    bool filling_ = false;
};

// "Re-Order Filter List": Up, Down, dragging, and Close, which writes the order back.
class ReorderFiltersDialog final : public QDialog {
  public:
    ReorderFiltersDialog(retrieval::TorderFilterForm& model, QWidget* parent);
    void refreshFromModel();

  protected:
    void reject() override;  // the window's close button closes as "Close" does

  private:
    retrieval::TorderFilterForm& model_;
    QListWidget* list_ = nullptr;
    bool filling_ = false;
};

// Registers the view for the rules window ("Filters" keys).
void registerFiltersWindowView();

}  // namespace velmora::desktop
