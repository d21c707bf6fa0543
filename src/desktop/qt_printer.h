// Printing on Qt: a job is laid out as plain text under a page header (title on the left, date
// and time on the right) above a footer (the product and the page number), shown in a print
// preview from which the user prints it. The printer and its page settings last for the run.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/printing.h"

class QPrinter;

namespace velmora::desktop {

class QtPrinter final : public platform::Printer {
  public:
    QtPrinter();
    ~QtPrinter() override;
    // The preview and set-up dialogs are centred over `parent` (the main window).
    void setParent(QWidget* parent) { parent_ = parent; }

    platform::PrintResult print(const platform::PrintJob& job) override;
    void setUp() override;

  private:
    QPrinter& printer();

    std::unique_ptr<QPrinter> printer_;
    QPointer<QWidget> parent_;
};

// Paints the job's pages on `printer` (a preview, a printer or a PDF file); the number of pages,
// 0 when the printer could not be started.
int paintPrintJob(QPrinter& printer, const platform::PrintJob& job);

}  // namespace velmora::desktop
