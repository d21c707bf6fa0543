// The compose window's widget: the seven pages of TcomposeForm as tabs (Compose, Body, Options,
// the To, CC and BCC lists, Attachments), the Send and OutBox buttons and the pop-up menu from
// the model's table. It renders the model and forwards every edit to it (leaving a field runs
// the model's leave step); it holds no rule. Every control carries an accessible name.
#pragma once

#include <optional>

#include "compose/compose_form.h"
#include "desktop/child_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace velmora::desktop {

class ComposeWindowView final : public ChildView {
  public:
    ComposeWindowView(compose::TcomposeForm& model, QWidget* parent);
    void refreshFromModel() override;
    compose::TcomposeForm& model() { return model_; }

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* composePage();
    QWidget* optionsPage();
    QWidget* listPage(compose::AddressField field);
    QWidget* attachmentsPage();
    QLineEdit* lineEdit(const char* name, const char* accessible, QWidget* parent);
    // The address field a drop on `watched` goes to (a plain field or a list page's editor).
    std::optional<compose::AddressField> dropField(QObject* watched) const;

    compose::TcomposeForm& model_;
    bool filling_ = false;
    bool closed_ = false;  // the model closed; the frame goes later
    QTabWidget* tabs_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* replyTo_ = nullptr;
    QLineEdit* plain_[3] = {};
    QLineEdit* subject_ = nullptr;
    QComboBox* signatures_ = nullptr;
    QPlainTextEdit* signatureText_ = nullptr;
    QComboBox* books_ = nullptr;
    QTableWidget* addressBook_ = nullptr;
    QLabel* typeAhead_ = nullptr;
    QPlainTextEdit* body_ = nullptr;
    QCheckBox* options_[5] = {};
    QComboBox* priority_ = nullptr;
    QPlainTextEdit* lists_[3] = {};
    QListWidget* attachments_ = nullptr;
    QListWidget* recent_ = nullptr;
    QCheckBox* capture_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* outBox_ = nullptr;
};

// Registers the view for compose windows ("Compose." keys) with the main window.
void registerComposeWindowView();

}  // namespace velmora::desktop
