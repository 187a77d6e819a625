#include "remote/core/list_file_keeper.h"

#include <gtest/gtest.h>

#include "remote/core/computer_list_file.h"
#include "remote/core/fake_list_files.h"
#include "remote/core/list_backup.h"
#include "remote/core/list_test_support.h"

namespace {

using namespace list_test;
namespace fe = file_error;

const char kPath[] = "C:\\VaroTimer\\varotimer.dat";
const char kBak[] = "C:\\VaroTimer\\varotimer.dat.bak";

const std::vector<ComputerEntry> kStored = {{"A", "00-11-22-33-44-55", "40000"}, {"B", "aa-bb-cc-dd-ee-ff", "40000"}};

Bytes StoredFile() {
  ComputerTable rows(kStored);
  return EncodeComputerList(rows);
}

// Stored entries found neither in the list file nor in any backup: none
// when a file still holds the original bytes.
int EntriesLost(FakeListFiles& fs, const Bytes& original) {
  for (const auto& file : fs.files) {
    if (file.second == original) return 0;
  }
  int lost = 0;
  for (const ComputerEntry& entry : kStored) {
    bool found = false;
    for (const auto& file : fs.files) {
      MemoryByteSource source(file.second);
      ComputerTable rows;
      (void)LoadComputerList(source, rows, AsciiOrQuestionMark);
      for (const ComputerEntry& row : rows.Entries()) found = found || row == entry;
    }
    if (!found) ++lost;
  }
  return lost;
}

// The dialog's sequence: load on opening, then a change that saves.
struct Opening {
  ListLoadResult load;
  ListSaveResult save;
  std::vector<ComputerEntry> shown;
};

Opening OpenThenDeleteNothing(FakeListFiles& fs, const std::function<void()>& beforeSave = [] {}) {
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  Opening opening;
  opening.load = keeper.Load(kPath, rows);
  opening.shown = rows.Entries();
  beforeSave();
  opening.save = keeper.Save(kPath, rows);
  return opening;
}

TEST(ComputerListKeeper, FileThatDidNotLoadWholeIsKeptBeforeTheFirstSave) {
  struct Case {
    const char* what;
    Bytes file;
    std::function<void(FakeListFiles&)> fault;
    ListLoadState state;
    ListFileSystem::Error loadError;
    std::size_t shown;
    bool backup;
  };
  const std::vector<Case> cases = {
      {"read whole", StoredFile(), [](FakeListFiles&) {}, ListLoadState::kLoaded, fe::kNone, 2, false},
      {"held open while opening, then released", StoredFile(),
       [](FakeListFiles& f) { f.busyFor[kPath] = 11; }, ListLoadState::kUnreadable, fe::kSharingViolation, 0, true},
      {"held open briefly", StoredFile(), [](FakeListFiles& f) { f.busyFor[kPath] = 3; }, ListLoadState::kLoaded,
       fe::kNone, 2, false},
      {"other header", Cat({Short("PMX"), I32(2), Entry("A"), Entry("B")}), [](FakeListFiles&) {},
       ListLoadState::kNotAList, fe::kNone, 0, true},
      {"count beyond the entries", Cat({Header(3), Entry("A", "00-11-22-33-44-55"), Entry("B", "aa-bb-cc-dd-ee-ff")}),
       [](FakeListFiles&) {}, ListLoadState::kIncomplete, fe::kNone, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeListFiles fs(kPath);
    fs.files[kPath] = c.file;
    c.fault(fs);
    const Bytes original = c.file;
    const Opening opening = OpenThenDeleteNothing(fs);
    EXPECT_EQ(opening.load.state, c.state);
    EXPECT_EQ(opening.load.error, c.loadError);
    EXPECT_EQ(opening.shown.size(), c.shown);
    EXPECT_EQ(opening.save.error, fe::kNone);
    EXPECT_EQ(fs.Has(kBak), c.backup);
    EXPECT_EQ(opening.save.backup, c.backup ? kBak : "");
    if (c.backup) EXPECT_EQ(fs.files[kBak], original) << "the backup holds the old bytes";
    EXPECT_EQ(EntriesLost(fs, original), 0);
  }
}

// Readable by the time of the save: the list is read then and written back
// whole, after the backup the window promised.
TEST(ComputerListKeeper, ListUnreadableAtOpeningIsReadBySaveAndKept) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = StoredFile();
  fs.busyFor[kPath] = 11;
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  ASSERT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kUnreadable);
  rows.InsertRow(0, "C");
  rows.SetText(0, 1, "0c-0c-0c-0c-0c-0c");
  const ComputerEntry added = {"C", "0c-0c-0c-0c-0c-0c", ""};
  const ListSaveResult saved = keeper.Save(kPath, rows, {ListChange::Kind::kAdd, {}, added});
  EXPECT_EQ(saved.error, fe::kNone);
  EXPECT_FALSE(saved.reread) << "no other copy's doing";
  EXPECT_EQ(saved.backup, kBak);
  EXPECT_EQ(fs.files[kBak], StoredFile());
  std::vector<ComputerEntry> expected = kStored;
  expected.insert(expected.begin(), added);
  EXPECT_EQ(rows.Entries(), expected);
}

TEST(ComputerListKeeper, NoFileIsAFirstStart) {
  FakeListFiles fs(kPath);
  const Opening opening = OpenThenDeleteNothing(fs);
  EXPECT_EQ(opening.load.state, ListLoadState::kNoFile);
  EXPECT_TRUE(opening.shown.empty());
  EXPECT_EQ(opening.save.error, fe::kNone);
  EXPECT_EQ(opening.save.backup, "");
  EXPECT_EQ(fs.files[kPath], Header(0));
}

TEST(ComputerListKeeper, NothingIsWrittenWhenTheBackupCannotBeMade) {
  const struct {
    const char* what;
    std::function<void(FakeListFiles&)> fault;
    ListFileSystem::Error error;
  } cases[] = {
      {"access denied", [](FakeListFiles& f) { f.listReadable = false; }, fe::kAccessDenied},
      {"still held open", [](FakeListFiles& f) { f.busyFor[kPath] = 1000; }, fe::kSharingViolation},
      {"held, and the folder takes no backup",
       [](FakeListFiles& f) {
         f.busyFor[kPath] = 11;
         f.folderWritable = false;
       },
       fe::kAccessDenied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeListFiles fs(kPath);
    fs.files[kPath] = StoredFile();
    c.fault(fs);
    const Opening opening = OpenThenDeleteNothing(fs);
    EXPECT_EQ(opening.load.state, ListLoadState::kUnreadable);
    EXPECT_EQ(opening.save.error, c.error);
    EXPECT_EQ(fs.files[kPath], StoredFile());
    EXPECT_EQ(fs.files.size(), 1u);
    EXPECT_EQ(EntriesLost(fs, StoredFile()), 0);
  }
}

TEST(ComputerListKeeper, BackupTakesTheNextFreeNumberAndIsMadeOnce) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Cat({Header(5), Entry("A")});
  fs.files[kBak] = Text("first");
  fs.files[BackupPathFor(kPath, 1)] = Text("second");
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  EXPECT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kIncomplete);
  const ListSaveResult first = keeper.Save(kPath, rows);
  EXPECT_EQ(first.error, fe::kNone);
  EXPECT_EQ(first.backup, "C:\\VaroTimer\\varotimer.dat.2.bak");
  EXPECT_EQ(fs.files[first.backup], Cat({Header(5), Entry("A")}));
  EXPECT_EQ(fs.files[kBak], Text("first"));
  EXPECT_EQ(fs.files[BackupPathFor(kPath, 1)], Text("second"));
  EXPECT_EQ(keeper.Save(kPath, rows).backup, "") << "the file on disk is now the list's own";
  EXPECT_EQ(fs.files.size(), 4u);
}

TEST(ComputerListKeeper, ListGoneBeforeTheSaveLeavesNothingToKeep) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = Short("XYZ");
  const Opening opening = OpenThenDeleteNothing(fs, [&] { fs.RemoveFile(kPath); });
  EXPECT_EQ(opening.load.state, ListLoadState::kNotAList);
  EXPECT_EQ(opening.save.error, fe::kNone);
  EXPECT_EQ(opening.save.backup, "");
  EXPECT_EQ(fs.files[kPath], Header(0));
}

// Each way the backup can be refused: nothing is written, and the result
// names the backup, not the list file, as what failed.
TEST(ComputerListKeeper, RefusedBackupIsNamedAndNothingIsWritten) {
  const std::string longPath = "C:\\" + std::string(240, 'd') + "\\varotimer.dat";  // 257 bytes
  const struct {
    const char* what;
    std::string path;
    std::function<void(FakeListFiles&)> fault;
    ListFileSystem::Error error;
  } cases[] = {
      {"folder refuses new files, list writable", kPath, [](FakeListFiles& f) { f.folderWritable = false; },
       fe::kAccessDenied},
      // The list's path fits in MAX_PATH, its backup's does not (as from an
      // older registry value): "path not found" then speaks of the backup's
      // name, and the list is still there.
      {"backup name too long", longPath, [](FakeListFiles& f) { f.maxPath = 259; }, fe::kPathNotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeListFiles fs(c.path);
    const Bytes damaged = Cat({Header(3), Entry("A")});
    fs.files[c.path] = damaged;
    c.fault(fs);
    ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
    ComputerTable rows;
    ASSERT_EQ(keeper.Load(c.path, rows).state, ListLoadState::kIncomplete);
    rows.InsertRow(0, "new");
    const ListSaveResult saved = keeper.Save(c.path, rows, {ListChange::Kind::kAdd, {}, {"new", "", ""}});
    EXPECT_EQ(saved.error, c.error);
    EXPECT_EQ(saved.backupRefused, c.path + ".bak");
    EXPECT_EQ(saved.backup, "");
    EXPECT_EQ(fs.files[c.path], damaged);
    EXPECT_EQ(fs.files.size(), 1u);
  }
}

// A replace that stopped half way (error 1177) where nothing could be moved
// back leaves the old list only in the aside file: the save says where, and
// the next opening finds it there.
TEST(ComputerListKeeper, OldListLeftAsideIsNamedAndFoundAtTheNextLoad) {
  for (bool canMoveBackLater : {true, false}) {
    SCOPED_TRACE(canMoveBackLater ? "moved back at the load" : "read where it is");
    FakeListFiles fs(kPath);
    fs.files[kPath] = StoredFile();
    fs.files["C:\\VaroTimer\\vt~0001.tmp"] = {};  // an empty one a crash left: no list
    fs.replaceAnswer = fe::kUnableToMoveReplacement2;
    fs.renameFails = true;
    ComputerListKeeper first(fs, AsciiOrQuestionMark);
    ComputerTable rows;
    ASSERT_EQ(first.Load(kPath, rows).state, ListLoadState::kLoaded);
    rows.InsertRow(0, "new");
    const ListSaveResult failed = first.Save(kPath, rows, {ListChange::Kind::kAdd, {}, {"new", "", ""}});
    EXPECT_EQ(failed.error, fe::kUnableToMoveReplacement2);
    ASSERT_FALSE(fs.Has(kPath));
    ASSERT_NE(failed.leftAside, "");
    EXPECT_EQ(fs.files[failed.leftAside], StoredFile());

    fs.replaceAnswer = fe::kNone;
    fs.renameFails = !canMoveBackLater;
    ComputerListKeeper next(fs, AsciiOrQuestionMark);
    ComputerTable shown;
    const ListLoadResult load = next.Load(kPath, shown);
    EXPECT_EQ(load.state, ListLoadState::kLoaded);
    EXPECT_EQ(load.recoveredFrom, failed.leftAside);
    EXPECT_EQ(shown.Entries(), kStored);
    EXPECT_EQ(fs.Has(kPath), canMoveBackLater);
    EXPECT_EQ(fs.Has(failed.leftAside), !canMoveBackLater) << "kept until it is the list again";
    fs.renameFails = false;
    EXPECT_EQ(next.Save(kPath, shown).error, fe::kNone);
    EXPECT_EQ(fs.files[kPath], StoredFile());
  }
}

TEST(ComputerListKeeper, NoListAndNoLeftoverIsAFirstStart) {
  FakeListFiles fs(kPath);
  fs.files["C:\\VaroTimer\\vt~0001.tmp"] = Text("junk");
  fs.files["C:\\VaroTimer\\vt~0002.tmp"] = Header(0);  // a list of nothing: nothing to bring back
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  const ListLoadResult load = keeper.Load(kPath, rows);
  EXPECT_EQ(load.state, ListLoadState::kNoFile);
  EXPECT_EQ(load.recoveredFrom, "");
  EXPECT_FALSE(fs.Has(kPath));
}

// The reader stops where its 4096-byte buffer ran empty between two groups.
TEST(ComputerListKeeper, BytesLeftUnreadMakeTheLoadIncomplete) {
  const Bytes longNamePrefix = {0xFF, 4061 & 0xFF, 4061 >> 8};
  const Bytes group = Cat({Header(1), longNamePrefix, Text(std::string(4061, 'n')), Short("00-11-22-33-44-55"),
                           Short("40000")});
  ASSERT_EQ(group.size(), 4096u);
  const Bytes file = Cat({group, I32(1), Entry("B")});
  FakeListFiles fs(kPath);
  fs.files[kPath] = file;
  ComputerListKeeper keeper(fs, AsciiOrQuestionMark);
  ComputerTable rows;
  EXPECT_EQ(keeper.Load(kPath, rows).state, ListLoadState::kIncomplete);
  EXPECT_EQ(rows.Entries().size(), 1u) << "the group after the buffer's end is never read";
  const ListSaveResult saved = keeper.Save(kPath, rows);
  EXPECT_EQ(saved.error, fe::kNone);
  EXPECT_EQ(saved.backup, kBak);
  EXPECT_EQ(fs.files[kBak], file);
}

TEST(ComputerRowsCopy, SetRowsRestoresWhatCopyRowsTook) {
  ComputerTable rows(kStored);
  const std::vector<ComputerEntry> before = CopyRows(rows);
  rows.InsertRow(0, "new");
  rows.SetText(1, 0, "renamed");
  SetRows(rows, before);
  EXPECT_EQ(rows.Entries(), kStored);
}

}  // namespace
