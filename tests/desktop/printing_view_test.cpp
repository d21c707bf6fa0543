// Printing on Qt, offscreen: a job laid out into PDF pages (long lines wrapped, text past a
// page on the next), the selection of an editor as the print commands see it, and a print
// preview closed without printing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextCursor>
#include <QTimer>

#include "base/text_file.h"
#include "desktop/editor_text.h"
#include "desktop/qt_printer.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

int pagesOf(const platform::PrintJob& job, const std::filesystem::path& pdf) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    return paintPrintJob(printer, job);
}

TEST(Printing, AJobIsLaidOutIntoPagesWithLongLinesWrapped) {
    testing::testApplication();
    testing::TempDir dir;
    platform::PrintJob job = platform::textPrintJob("Квартальный отчёт", "one\r\ntwo\r\n",
                                                    platform::LocalTime{2026, 12, 11, 15, 5});
    EXPECT_EQ(job.lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(job.rightHeader, "12/11/2026 03:05 PM");
    EXPECT_EQ(pagesOf(job, dir / "short.pdf"), 1);
    const std::string pdf = readWholeFile(dir / "short.pdf").value_or("");
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);

    // A page break starts the next page.
    job.lines = {"first message", platform::kPageBreak, "second message"};
    EXPECT_EQ(pagesOf(job, dir / "two.pdf"), 2);

    // 60 lines fit one A4 or Letter page at 10 points; 150 do not.
    job.lines.assign(150, "line");
    const int pages = pagesOf(job, dir / "long.pdf");
    EXPECT_GE(pages, 3);
    // The same count of lines, each long enough to wrap, needs more pages.
    job.lines.assign(150, std::string(300, 'x'));
    EXPECT_GT(pagesOf(job, dir / "wrapped.pdf"), pages);
}

TEST(Printing, TheSelectionOfAnEditorReachesItsWindowAsModelText) {
    testing::testApplication();
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("first\nsecond\nthird"));
    platform::ChildWindow window;
    reportSelection(&edit, window);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(2);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    EXPECT_EQ(window.selectedText(), "rst\r\nsec");
    cursor.clearSelection();
    edit.setTextCursor(cursor);
    EXPECT_EQ(window.selectedText(), "");
}

TEST(Printing, APreviewClosedWithoutPrintingIsCancelled) {
    testing::testApplication();
    QtPrinter printer;
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = dialog->accessibleName() == QStringLiteral("Print Preview");
            dialog->reject();
        }
    });
    const platform::PrintResult result =
        printer.print(platform::textPrintJob("t", "text", platform::LocalTime{}));
    EXPECT_TRUE(shown);
    EXPECT_EQ(result.outcome, platform::PrintOutcome::Cancelled);
}

}  // namespace
}  // namespace velmora::desktop
