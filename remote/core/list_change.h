#pragma once
// The one change a user makes to the list before it is saved, so that it can
// be made again on a list that another copy of the program saved meanwhile.
#include <vector>

#include "remote/core/computer_rows.h"

struct ListChange {
  enum class Kind { kNone, kAdd, kUpdate, kDelete };
  Kind kind = Kind::kNone;
  ComputerEntry before;  // update and delete: the row as it was last saved
  ComputerEntry after;   // add and update: the row as the user made it
};

// Makes change on entries read afresh from the file. False when it can't be
// made there: the updated row is gone or changed, or the added address is
// registered already under other texts. A row already deleted, or added
// exactly as the user added it, counts as made; nothing ever appears twice.
bool ApplyChange(std::vector<ComputerEntry>& entries, const ListChange& change);
