#include "addressbook/order_form.h"

#include "base/identity.h"
#include "base/text_file.h"

namespace velmora::addressbook {

TorderABKForm::TorderABKForm(platform::Platform& platform, AddressBooksPage& page)
    : platform_(platform), page_(page), before_(page.selectedBook()) {
    selected_ = page_.books().indexOf(before_);
}

std::string TorderABKForm::label() const {
    return "Address Book " + std::to_string(selected_ + 1) + " of " +
           std::to_string(page_.books().books().size());
}

void TorderABKForm::select(int row) {
    const auto names = page_.books().names();
    if (row < 0 || row >= static_cast<int>(names.size())) return;
    if (page_.selectBook(names[static_cast<std::size_t>(row)])) selected_ = row;
}

void TorderABKForm::move(int from, int to) {
    std::vector<std::string> names = page_.books().names();
    const int n = static_cast<int>(names.size());
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
    std::string name = names[static_cast<std::size_t>(from)];
    names.erase(names.begin() + from);
    names.insert(names.begin() + to, std::move(name));
    if (!page_.books().reorder(names)) return;
    selected_ = to;
    changed_ = true;
}

void TorderABKForm::upClick() {
    move(selected_, selected_ - 1);
}
void TorderABKForm::downClick() {
    move(selected_, selected_ + 1);
}
void TorderABKForm::drag(int from, int to) {
    move(from, to);
}

void TorderABKForm::closeClick() {
    if (!before_.empty() && page_.selectedBook() != before_) page_.selectBook(before_);
    if (!changed_) return;
    if (std::error_code ec = page_.books().writeList()) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, std::string(kFileIoError) + "\r" + errorText(ec));
        return;
    }
    changed_ = false;
}

}  // namespace velmora::addressbook
