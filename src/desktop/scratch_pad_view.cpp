#include "desktop/scratch_pad_view.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "base/identity.h"
#include "core/error_report.h"
#include "desktop/editor_text.h"
#include "desktop/menu_builder.h"
#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

bool isModifierOnly(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Meta ||
           key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_AltGr;
}

}  // namespace

ScratchPadView::ScratchPadView(tools::TscratchPadForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TscratchPadForm"));
    setAccessibleName(QStringLiteral("Scratch pad"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_ = named(new QPlainTextEdit(this), "richEdit", QStringLiteral("Scratch pad text"));
    edit_->setToolTip(QString::fromLatin1(tools::kScratchPadHint));
    edit_->setContextMenuPolicy(Qt::CustomContextMenu);
    edit_->installEventFilter(this);
    layout->addWidget(edit_);
    setFocusProxy(edit_);
    reportSelection(edit_, model_);
    // A new pad (no recorded bounds) fills the client area when first shown, as "&Fill" would.
    fillArea_ = model_.bounds().width <= 0 || model_.bounds().height <= 0;

    connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
        if (!filling_) run([this] { model_.textEdited(editorText(edit_)); });
    });
    connect(edit_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu popup(this);
        fillPopupMenu(popup);
        popup.exec(edit_->viewport()->mapToGlobal(at));
    });
    refreshFromModel();
}

void ScratchPadView::run(const std::function<void()>& command) {
    core::runReported(model_.platform().dialogs, kProductName, command);
}

void ScratchPadView::fillPopupMenu(QMenu& menu) {
    menu.setObjectName(QStringLiteral("popScratch"));
    menu.setAccessibleName(QStringLiteral("Scratch pad menu"));
    fillMenu(&menu, model_.popupMenu(edit_->textCursor().hasSelection()),
             [this](const std::function<void()>& c) { run(c); });
}

void ScratchPadView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    setEditorText(edit_, model_.text());
    filling_ = false;
}

bool ScratchPadView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return ChildView::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (isModifierOnly(key->key())) return false;
    tools::PadKey pad;
    pad.escape = key->key() == Qt::Key_Escape;
    pad.alt = key->modifiers().testFlag(Qt::AltModifier) || key->key() == Qt::Key_Alt;
    pad.blockedAtEdge = keyBlockedAtEdge(edit_, key);
    bool swallowed = true;
    // Esc may close the pad: nothing of the model is touched after the command.
    run([&] { swallowed = model_.keyPressed(pad); });
    return swallowed;
}

void ScratchPadView::showEvent(QShowEvent* event) {
    ChildView::showEvent(event);
    if (!fillArea_) return;
    fillArea_ = false;
    // Once the area has placed the frame as it places any new one.
    QTimer::singleShot(0, this, [this] {
        auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
        QMdiArea* area = frame ? frame->mdiArea() : nullptr;
        if (area && !frame->isMaximized() && !frame->isMinimized())
            frame->setGeometry(area->viewport()->rect());
    });
}

void registerScratchPadView() {
    registerChildView(tools::kScratchPadKind,
                      [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
                          auto* pad = dynamic_cast<tools::TscratchPadForm*>(&window);
                          return pad ? new ScratchPadView(*pad, parent) : nullptr;
                      });
}

}  // namespace velmora::desktop
