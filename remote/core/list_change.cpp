#include "remote/core/list_change.h"

#include <algorithm>

namespace {

std::vector<ComputerEntry>::iterator Find(std::vector<ComputerEntry>& entries, const ComputerEntry& entry) {
  return std::find(entries.begin(), entries.end(), entry);
}

}  // namespace

bool ApplyChange(std::vector<ComputerEntry>& entries, const ListChange& change) {
  switch (change.kind) {
    case ListChange::Kind::kNone:
      return true;
    case ListChange::Kind::kAdd: {
      // The dialog's own rule: one row per MAC text, compared byte for byte.
      const auto same = std::find_if(entries.begin(), entries.end(),
                                     [&](const ComputerEntry& e) { return e.mac == change.after.mac; });
      if (same != entries.end()) return *same == change.after;
      entries.insert(entries.begin(), change.after);
      return true;
    }
    case ListChange::Kind::kUpdate: {
      const auto row = Find(entries, change.before);
      if (row == entries.end()) return Find(entries, change.after) != entries.end();
      *row = change.after;
      return true;
    }
    case ListChange::Kind::kDelete: {
      const auto row = Find(entries, change.before);
      if (row != entries.end()) entries.erase(row);
      return true;
    }
  }
  return false;
}
