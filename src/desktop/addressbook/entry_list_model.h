// The entry list of the Address Books page as a Qt model over the page model: two columns,
// "Nickname" and "Full Name", read from the page's rows. After an action the view calls update():
// the whole list is laid out again only when rows were added, removed or moved, otherwise only
// the row under edit is repainted.
#pragma once

#include <QAbstractTableModel>

#include "addressbook/address_book_page.h"

namespace velmora::desktop {

class EntryListModel final : public QAbstractTableModel {
  public:
    explicit EntryListModel(const addressbook::AddressBooksPage& page, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void update();

  private:
    const addressbook::AddressBooksPage& page_;
    int revision_ = -1;
    int rows_ = 0;
};

}  // namespace velmora::desktop
