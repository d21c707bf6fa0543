// The help engine on Qt: a window of its own beside the main window, listing the help file's
// topics and showing the one asked for. It stays open for the next question; the file is read
// again each time, so an edited help file shows at once.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/help.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace velmora::desktop {

class HelpWindow final : public QWidget {
  public:
    explicit HelpWindow(QWidget* parent);
    // Shows `topics` with topic `number` chosen (the first, with a note, when there is none).
    void showTopics(std::vector<platform::HelpTopic> topics, int number);
    int shownTopic() const;

  private:
    void choose(int row);

    std::vector<platform::HelpTopic> topics_;
    QListWidget* list_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* note_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
};

class QtHelp final : public platform::HelpEngine {
  public:
    // The help window belongs to `parent` (the main window).
    void setParent(QWidget* parent) { parent_ = parent; }
    platform::HelpOutcome showTopic(int topic) override;
    HelpWindow* window() const { return window_; }

  private:
    QPointer<QWidget> parent_;
    QPointer<HelpWindow> window_;
};

}  // namespace velmora::desktop
