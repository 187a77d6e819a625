// Two copies of the program, each with its window open on the same list
// file: a save never discards what the other one saved.
#include <gtest/gtest.h>

#include <vector>

#include "remote/core/computer_list_file.h"
#include "remote/core/fake_list_files.h"
#include "remote/core/list_change.h"
#include "remote/core/list_file_keeper.h"
#include "remote/core/list_test_support.h"

namespace {

using namespace list_test;
using Entries = std::vector<ComputerEntry>;

const char kPath[] = "C:\\VaroTimer\\varotimer.dat";
const ComputerEntry kA = {"A", "00-11-22-33-44-55", "40000"};
const ComputerEntry kB = {"B", "aa-bb-cc-dd-ee-ff", "40000"};
const ComputerEntry kC = {"C", "0c-0c-0c-0c-0c-0c", "40000"};
const ComputerEntry kD = {"D", "0d-0d-0d-0d-0d-0d", "40000"};

Bytes Encode(const Entries& entries) {
  ComputerTable rows(entries);
  return EncodeComputerList(rows);
}

ListChange Add(const ComputerEntry& entry) { return {ListChange::Kind::kAdd, {}, entry}; }
ListChange Update(const ComputerEntry& before, const ComputerEntry& after) {
  return {ListChange::Kind::kUpdate, before, after};
}
ListChange Delete(const ComputerEntry& entry) { return {ListChange::Kind::kDelete, entry, {}}; }

// One open window: its rows, changed as the dialog's handlers change them,
// then saved with the change.
class Window {
 public:
  explicit Window(FakeListFiles& files) : keeper_(files, AsciiOrQuestionMark) {
    EXPECT_EQ(keeper_.Load(kPath, rows_).state, ListLoadState::kLoaded);
  }

  ListSaveResult Make(const ListChange& change) {
    Entries entries = rows_.Entries();
    EXPECT_TRUE(ApplyChange(entries, change));
    SetRows(rows_, entries);
    return keeper_.Save(kPath, rows_, change);
  }
  const Entries& Shown() const { return rows_.Entries(); }

 private:
  ComputerListKeeper keeper_;
  ComputerTable rows_;
};

struct Case {
  const char* what;
  ListChange other;  // saved by the other copy while this window is open
  ListChange mine;
  Entries file;      // what the file holds after this window's save
  bool changeMade;
};

TEST(TwoCopies, ChangeIsMadeOnWhatTheOtherCopySaved) {
  const ComputerEntry renamedA = {"A2", kA.mac, kA.port};
  const ComputerEntry movedA = {"A", "01-01-01-01-01-01", kA.port};
  const std::vector<Case> cases = {
      {"both add", Add(kC), Add(kD), {kD, kC, kA, kB}, true},
      {"other adds, this one updates", Add(kC), Update(kA, renamedA), {kC, renamedA, kB}, true},
      {"other adds, this one deletes", Add(kC), Delete(kB), {kC, kA}, true},
      {"other deletes, this one adds", Delete(kA), Add(kC), {kC, kB}, true},
      {"both delete the same row", Delete(kA), Delete(kA), {kB}, true},
      {"both add the same entry", Add(kC), Add(kC), {kC, kA, kB}, true},
      {"both add one address under two names", Add(kC), Add({"other name", kC.mac, kC.port}), {kC, kA, kB}, false},
      {"other deletes the row this one updates", Delete(kA), Update(kA, renamedA), {kB}, false},
      {"both update one row alike", Update(kA, movedA), Update(kA, movedA), {movedA, kB}, true},
      {"both update one row differently", Update(kA, movedA), Update(kA, renamedA), {movedA, kB}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeListFiles fs(kPath);
    fs.files[kPath] = Encode({kA, kB});
    Window mine(fs);
    Window other(fs);
    ASSERT_EQ(other.Make(c.other).error, file_error::kNone);
    const ListSaveResult saved = mine.Make(c.mine);
    EXPECT_EQ(saved.error, file_error::kNone);
    EXPECT_TRUE(saved.reread);
    EXPECT_EQ(saved.changeMade, c.changeMade);
    EXPECT_EQ(saved.backup, "");
    EXPECT_EQ(fs.files[kPath], Encode(c.file));
    EXPECT_EQ(mine.Shown(), c.file) << "the window shows what the file holds";
    EXPECT_EQ(fs.files.size(), 1u);
  }
}

TEST(TwoCopies, FileUnchangedIsWrittenWithoutReadingItAgain) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Encode({kA, kB});
  Window mine(fs);
  for (const ListChange& change : {Add(kC), Delete(kA), Update(kB, kD)}) {
    const ListSaveResult saved = mine.Make(change);
    EXPECT_EQ(saved.error, file_error::kNone);
    EXPECT_FALSE(saved.reread);
  }
  EXPECT_EQ(fs.files[kPath], Encode({kC, kD}));
}

TEST(TwoCopies, EveryChangeOfEitherLandsOverManyRounds) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Encode({kA});
  Window first(fs);
  Window second(fs);
  Entries expected = {kA};
  for (int round = 0; round < 20; ++round) {
    const ComputerEntry one = {"one" + std::to_string(round), "01-00-00-00-00-" + std::to_string(10 + round), "1"};
    const ComputerEntry two = {"two" + std::to_string(round), "02-00-00-00-00-" + std::to_string(10 + round), "2"};
    ASSERT_EQ(first.Make(Add(one)).error, file_error::kNone);
    ASSERT_EQ(second.Make(Add(two)).error, file_error::kNone);
    expected.insert(expected.begin(), one);
    expected.insert(expected.begin(), two);
  }
  EXPECT_EQ(fs.files[kPath], Encode(expected));
  EXPECT_EQ(second.Shown(), expected);
}

TEST(TwoCopies, WithoutTheLockTheCheckStillReadsTheOtherCopysSave) {
  FakeListFiles fs(kPath);
  fs.lockAvailable = false;
  fs.files[kPath] = Encode({kA});
  Window mine(fs);
  Window other(fs);
  ASSERT_EQ(other.Make(Add(kC)).error, file_error::kNone);
  const ListSaveResult saved = mine.Make(Add(kD));
  EXPECT_TRUE(saved.reread);
  EXPECT_EQ(fs.files[kPath], Encode({kD, kC, kA}));
}

TEST(TwoCopies, LoadAndSaveHoldTheLockOnlyWhileTheyRun) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Encode({kA});
  int heldDuringWrite = 0;
  fs.duringWrite = [&] { heldDuringWrite = fs.locksHeld; };
  Window mine(fs);
  EXPECT_EQ(fs.locksTaken, 1);
  EXPECT_EQ(fs.locksHeld, 0);
  ASSERT_EQ(mine.Make(Add(kC)).error, file_error::kNone);
  EXPECT_EQ(heldDuringWrite, 1) << "the write happens under the lock";
  EXPECT_EQ(fs.locksTaken, 2);
  EXPECT_EQ(fs.locksHeld, 0);
}

TEST(TwoCopies, OtherCopysDamagedFileIsKeptAndThisWindowsRowsWritten) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Encode({kA});
  Window mine(fs);
  const Bytes damaged = Cat({Header(3), Entry("X")});
  fs.files[kPath] = damaged;
  const ListSaveResult saved = mine.Make(Add(kC));
  EXPECT_EQ(saved.error, file_error::kNone);
  EXPECT_FALSE(saved.reread) << "nothing read from it: the backup is what the user is told of";
  EXPECT_EQ(saved.backup, "C:\\VaroTimer\\varotimer.dat.bak");
  EXPECT_EQ(fs.files[saved.backup], damaged);
  EXPECT_EQ(fs.files[kPath], Encode({kC, kA}));
}

TEST(TwoCopies, FailedSaveAfterRereadingReadsAgainNextTime) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Encode({kA});
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  ASSERT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kLoaded);
  fs.files[kPath] = Encode({kB, kA});  // another copy added B
  // Nothing can be written: the window puts its old rows back.
  fs.folderWritable = false;
  fs.listWritable = false;
  rows.InsertRow(0, "C");
  EXPECT_NE(keeper.Save(kPath, rows, Add({"C", "", ""})).error, file_error::kNone);
  SetRows(rows, {kA});
  fs.folderWritable = true;
  fs.listWritable = true;
  const ListSaveResult saved = keeper.Save(kPath, rows, Delete(kA));
  EXPECT_EQ(saved.error, file_error::kNone);
  EXPECT_TRUE(saved.reread) << "the rows put back are not what the file holds";
  EXPECT_EQ(fs.files[kPath], Encode({kB}));
}

TEST(TwoCopies, LoadWaitsBrieflyForAReplaceWithoutTheLock) {
  FakeListFiles fs(kPath);
  fs.lockAvailable = false;
  int pauses = 0;
  // The other copy's replace moves its new file in after the second pause.
  fs.duringPause = [&] {
    if (++pauses == 2) fs.files[kPath] = Encode({kA});
  };
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  EXPECT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kLoaded);
  EXPECT_EQ(rows.Entries(), Entries{kA});
}

TEST(TwoCopies, FirstStartUnderTheLockDoesNotWait) {
  FakeListFiles fs(kPath);
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  EXPECT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kNoFile);
  EXPECT_EQ(fs.pausedMs, 0u);
  fs.lockAvailable = false;
  EXPECT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kNoFile) << "a real first start, after the short wait";
  EXPECT_GT(fs.pausedMs, 0u);
}

TEST(TwoCopies, FirstStartOfBothKeepsTheEntriesOfEach) {
  FakeListFiles fs(kPath);
  ComputerListKeeper first(fs, AsciiOrQuestionMark);
  ComputerListKeeper second(fs, AsciiOrQuestionMark);
  ComputerTable firstRows, secondRows;
  ASSERT_EQ(first.Load(kPath, firstRows).state, ListLoadState::kNoFile);
  ASSERT_EQ(second.Load(kPath, secondRows).state, ListLoadState::kNoFile);
  SetRows(firstRows, {kA});
  ASSERT_EQ(first.Save(kPath, firstRows, Add(kA)).error, file_error::kNone);
  SetRows(secondRows, {kB});
  const ListSaveResult saved = second.Save(kPath, secondRows, Add(kB));
  EXPECT_TRUE(saved.reread);
  EXPECT_EQ(fs.files[kPath], Encode({kB, kA}));
}

}  // namespace
