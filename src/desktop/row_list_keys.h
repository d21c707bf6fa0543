// Home and End in a list of rows (the messages of a folder, the headers on the server) go to the
// first and the last row, as in every mail program; a Qt table would move along the columns of
// the current row instead. Without Shift the row they reach becomes the selection, with Shift
// the rows from the current one to it join the selection.
#pragma once

class QTableView;

namespace velmora::desktop {

void useRowHomeAndEnd(QTableView* table);

}  // namespace velmora::desktop
