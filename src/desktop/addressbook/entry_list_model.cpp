#include "desktop/addressbook/entry_list_model.h"

#include "desktop/text_convert.h"

namespace velmora::desktop {

EntryListModel::EntryListModel(const addressbook::AddressBooksPage& page, QObject* parent)
    : QAbstractTableModel(parent), page_(page) {
    update();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int EntryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= page_.rowCount()) return {};
    const auto& entry = page_.row(index.row());
    return toQt(index.column() == 0 ? entry.nickname : entry.fullName);
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("Nickname") : QStringLiteral("Full Name");
}

void EntryListModel::update() {
    if (page_.listRevision() != revision_ || page_.rowCount() != rows_) {
        beginResetModel();
        revision_ = page_.listRevision();
        rows_ = page_.rowCount();
        endResetModel();
        return;
    }
    const int row = page_.currentRow();
    if (row >= 0 && row < rows_) emit dataChanged(index(row, 0), index(row, 1));
}

}  // namespace velmora::desktop
