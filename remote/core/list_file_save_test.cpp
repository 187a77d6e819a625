#include "remote/core/list_file_save.h"

#include <gtest/gtest.h>

#include <set>

#include "remote/core/fake_list_files.h"

namespace {

using list_test::FakeListFiles;
using Bytes = ListFileSystem::Bytes;
namespace fe = file_error;

const char kPath[] = "C:\\VaroTimer\\varotimer.dat";
const Bytes kOld = {0x03, 'P', 'M', 'S', 1, 0, 0, 0, 1, 'A', 1, 'm', 1, 'p'};
const Bytes kNew = {0x03, 'P', 'M', 'S', 0, 0, 0, 0};

std::set<std::string> Names(const FakeListFiles& fs) {
  std::set<std::string> names;
  for (const auto& file : fs.files) names.insert(file.first);
  return names;
}

bool HoldsSomewhere(const FakeListFiles& fs, const Bytes& bytes) {
  for (const auto& file : fs.files) {
    if (file.second == bytes) return true;
  }
  return false;
}

// Each fault once: the list file ends with the new bytes or keeps the old
// ones, and no temporary file is left behind.
TEST(SaveListBytes, EveryFaultLeavesTheOldOrTheNewListWhole) {
  struct Case {
    const char* what;
    std::function<void(FakeListFiles&)> fault;
    bool listExists;
    ListFileSystem::Error error;
    bool saved;
    bool attributesKept;
  };
  const std::vector<Case> cases = {
      {"plain replace", [](FakeListFiles&) {}, true, fe::kNone, true, true},
      {"first save", [](FakeListFiles&) {}, false, fe::kNone, true, false},
      {"folder not writable, list writable: in place", [](FakeListFiles& f) { f.folderWritable = false; }, true,
       fe::kNone, true, true},
      {"folder and list not writable",
       [](FakeListFiles& f) {
         f.folderWritable = false;
         f.listWritable = false;
       },
       true, fe::kAccessDenied, false, true},
      {"folder not writable, no list yet", [](FakeListFiles& f) { f.folderWritable = false; }, false,
       fe::kAccessDenied, false, false},
      {"disk full halfway: temporary and in-place writes fail", [](FakeListFiles& f) { f.writeLimit = 4; }, true,
       FakeListFiles::kDiskFull, false, true},
      {"replace not supported: rename", [](FakeListFiles& f) { f.replaceAnswer = FakeListFiles::kNotSupported; },
       true, fe::kNone, true, false},
      {"replace and rename refused: in place",
       [](FakeListFiles& f) {
         f.replaceAnswer = FakeListFiles::kNotSupported;
         f.renameFails = true;
       },
       true, fe::kNone, true, true},
      {"replace could not remove the list", [](FakeListFiles& f) { f.replaceAnswer = fe::kUnableToRemoveReplaced; },
       true, fe::kNone, true, false},
      {"replace could not move the new file, nothing moved",
       [](FakeListFiles& f) { f.replaceAnswer = fe::kUnableToMoveReplacement; }, true, fe::kNone, true, false},
      {"replace moved the list aside, then stopped: finished by a rename",
       [](FakeListFiles& f) { f.replaceAnswer = fe::kUnableToMoveReplacement2; }, true, fe::kNone, true, false},
      {"list held open for half a second", [](FakeListFiles& f) { f.busyFor[kPath] = 5; }, true, fe::kNone, true,
       true},
      {"list held open for good", [](FakeListFiles& f) { f.busyFor[kPath] = 1000; }, true, fe::kSharingViolation,
       false, true},
      {"new file held by a virus scanner: in place",
       [](FakeListFiles& f) { f.busyFor["C:\\VaroTimer\\vt1.tmp"] = 1000; }, true, fe::kNone, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeListFiles fs(kPath);
    if (c.listExists) {
      fs.files[kPath] = kOld;
      fs.attributes[kPath] = "hidden, owner only";
    }
    c.fault(fs);
    EXPECT_EQ(SaveListBytes(kPath, kNew, fs), c.error);
    if (c.saved) {
      EXPECT_EQ(fs.files[kPath], kNew);
    } else if (c.listExists) {
      EXPECT_EQ(fs.files[kPath], kOld);
    } else {
      EXPECT_FALSE(fs.Has(kPath));
    }
    if (c.listExists) EXPECT_EQ(fs.attributes[kPath] == "hidden, owner only", c.attributesKept);
    EXPECT_EQ(Names(fs), (c.saved || c.listExists ? std::set<std::string>{kPath} : std::set<std::string>{}));
    EXPECT_LE(fs.pausedMs, 1000u) << "waits about a second at most";
  }
}

TEST(SaveListBytes, ReplaceStoppedHalfwayAndNoRenameWorks_OldBytesSurvive) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = kOld;
  fs.replaceAnswer = fe::kUnableToMoveReplacement2;
  fs.renameFails = true;  // neither the new file nor the old one can be moved back
  EXPECT_EQ(SaveListBytes(kPath, kNew, fs), fe::kUnableToMoveReplacement2);
  EXPECT_TRUE(HoldsSomewhere(fs, kOld)) << "the file moved aside is kept";
  EXPECT_FALSE(HoldsSomewhere(fs, kNew)) << "the temporary file is removed";
}

TEST(SaveListBytes, ReplaceStoppedHalfwayAndOnlyTheWayBackWorks) {
  // The new file can't be moved (held), the old one can.
  struct HeldOnce : FakeListFiles {
    using FakeListFiles::FakeListFiles;
    std::string held;
    Error MoveOver(const std::string& source, const std::string& target) override {
      if (source == held) return file_error::kAccessDenied;
      return FakeListFiles::MoveOver(source, target);
    }
  } held(kPath);
  held.files[kPath] = kOld;
  held.replaceAnswer = fe::kUnableToMoveReplacement2;
  held.held = "C:\\VaroTimer\\vt1.tmp";  // the first unique name: the temporary file
  EXPECT_EQ(SaveListBytes(kPath, kNew, held), fe::kUnableToMoveReplacement2);
  EXPECT_EQ(held.files[kPath], kOld);
  EXPECT_EQ(Names(held), std::set<std::string>{kPath});
}

TEST(SaveListBytes, ReplaceStoppedHalfwayWhileAnotherSaveSucceeded_TheOtherListStays) {
  // Two copies of the program save at once: this one's replace moved the old
  // list aside, then the other one put its new list in place, and this one's
  // own file cannot follow. Bringing the old list back would drop a list
  // whose save was reported as done.
  struct OtherSaveMeanwhile : FakeListFiles {
    using FakeListFiles::FakeListFiles;
    Error MoveOver(const std::string& source, const std::string& target) override {
      if (source == "C:\\VaroTimer\\vt1.tmp") {
        files[target] = {'o', 't', 'h', 'e', 'r'};
        return file_error::kAccessDenied;
      }
      return FakeListFiles::MoveOver(source, target);
    }
  } fs(kPath);
  fs.files[kPath] = kOld;
  fs.replaceAnswer = fe::kUnableToMoveReplacement2;
  EXPECT_EQ(SaveListBytes(kPath, kNew, fs), fe::kUnableToMoveReplacement2);
  EXPECT_EQ(fs.files[kPath], (ListFileSystem::Bytes{'o', 't', 'h', 'e', 'r'}));
  EXPECT_TRUE(HoldsSomewhere(fs, kOld)) << "the old list stays aside";
  EXPECT_FALSE(HoldsSomewhere(fs, kNew));
}

TEST(SaveListBytes, NoNameForTheOldFileMeansNoReplaceThatCouldDropTheList) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = kOld;
  fs.uniqueNamesLeft = 1;  // the temporary file, but no second name
  fs.replaceAnswer = fe::kUnableToMoveReplacement;
  fs.renameFails = true;
  EXPECT_EQ(SaveListBytes(kPath, kNew, fs), fe::kNone);
  EXPECT_EQ(fs.files[kPath], kNew) << "written in place";
  EXPECT_EQ(Names(fs), std::set<std::string>{kPath});
}

TEST(SaveListBytes, TwoSavesAtOnceEachReplaceWithTheirOwnBytes) {
  FakeListFiles fs(kPath);
  fs.files[kPath] = kOld;
  const Bytes other = {0x03, 'P', 'M', 'S', 2, 0, 0, 0};
  ListFileSystem::Error otherError = 1;
  // The second save runs whole while the first is writing its temporary file.
  fs.duringWrite = [&] { otherError = SaveListBytes(kPath, other, fs); };
  EXPECT_EQ(SaveListBytes(kPath, kNew, fs), fe::kNone);
  EXPECT_EQ(otherError, fe::kNone);
  EXPECT_EQ(fs.files[kPath], kNew) << "the later replace wins, with its own bytes";
  EXPECT_EQ(Names(fs), std::set<std::string>{kPath});
}

}  // namespace
