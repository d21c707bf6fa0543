// The re-order window `TorderABKForm` ("Re-Order Address Book Names"): the books with their
// counts, "Up" and "Down" (nothing at the ends), dragging an entry, and selecting one loads it on
// the page. Every move changes the book order at once; "Close" reselects the book that was
// selected before and writes "master.abk" when the order changed.
#pragma once

#include <string>
#include <vector>

#include "addressbook/address_book_page.h"

namespace velmora::addressbook {

class TorderABKForm {
  public:
    TorderABKForm(platform::Platform& platform, AddressBooksPage& page);

    const char* caption() const { return "Re-Order Address Book Names"; }
    std::vector<std::string> rows() const { return page_.books().namesWithCounts(); }
    int selected() const { return selected_; }
    // "Address Book n of m" for the selected row.
    std::string label() const;

    void select(int row);
    void upClick();
    void downClick();
    void drag(int from, int to);
    void closeClick();
    bool orderChanged() const { return changed_; }

  private:
    void move(int from, int to);

    platform::Platform& platform_;
    AddressBooksPage& page_;
    std::string before_;
    int selected_ = -1;
    bool changed_ = false;
};

}  // namespace velmora::addressbook
