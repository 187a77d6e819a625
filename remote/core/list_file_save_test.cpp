#include "remote/core/list_file_save.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "remote/core/computer_list_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Files in memory, with a fault to inject at each step.
class FakeFiles : public ListFileSystem {
 public:
  std::map<std::string, Bytes> files;
  bool failCreate = false;
  bool failWriteHalfway = false;
  bool failReplace = false;

  WriteResult WriteWholeFile(const std::string& path, const Bytes& bytes) override {
    if (failCreate) return WriteResult::kNotCreated;
    if (failWriteHalfway) {
      files[path] = Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
      return WriteResult::kFailed;
    }
    files[path] = bytes;
    return WriteResult::kWritten;
  }
  bool ReplaceFile(const std::string& source, const std::string& target) override {
    if (failReplace || files.count(source) == 0) return false;
    files[target] = files[source];
    files.erase(source);
    return true;
  }
  void RemoveFile(const std::string& path) override { files.erase(path); }
};

const char kPath[] = "C:\\VaroTimer\\varotimer.dat";
const char kTemp[] = "C:\\VaroTimer\\varotimer.tmp";

ComputerTable NewRows() { return ComputerTable({{"PC1", "00-11-22-33-44-55", "40000"}}); }

Bytes OldFile() {
  ComputerTable old({{"OLD", "aa-bb-cc-dd-ee-ff", "40000"}, {"OLD2", "11-11-11-11-11-11", "40000"}});
  return EncodeComputerList(old);
}

TEST(ListFileSave, ReplacesTheListWithTheNewBytes) {
  for (bool hadFile : {false, true}) {
    FakeFiles fs;
    if (hadFile) fs.files[kPath] = OldFile();
    ComputerTable rows = NewRows();
    EXPECT_TRUE(SaveComputerList(kPath, rows, fs));
    EXPECT_EQ(fs.files.at(kPath), EncodeComputerList(rows));
    EXPECT_EQ(fs.files.size(), 1u) << "temporary file left behind";
  }
}

TEST(ListFileSave, FailureKeepsTheOldListWhole) {
  const struct {
    const char* what;
    bool failCreate, failWrite, failReplace;
    bool result;
  } cases[] = {
      {"temporary not created", true, false, false, true},
      {"write fails halfway", false, true, false, false},
      {"replace fails", false, false, true, false},
  };
  for (const auto& c : cases) {
    FakeFiles fs;
    fs.files[kPath] = OldFile();
    fs.failCreate = c.failCreate;
    fs.failWriteHalfway = c.failWrite;
    fs.failReplace = c.failReplace;
    ComputerTable rows = NewRows();
    EXPECT_EQ(SaveComputerList(kPath, rows, fs), c.result) << c.what;
    EXPECT_EQ(fs.files.at(kPath), OldFile()) << c.what;
    EXPECT_EQ(fs.files.count(kTemp), 0u) << c.what;
  }
}

TEST(ListFileSave, TemporaryFileSitsBesideTheList) {
  const struct {
    const char* list;
    const char* temporary;
  } cases[] = {
      {".\\varotimer.dat", ".\\varotimer.tmp"},
      {"C:\\a\\\\varotimer.dat", "C:\\a\\\\varotimer.tmp"},
      {"C:\\dir.d\\list", "C:\\dir.d\\list.tmp"},
      {"D:.profile", "D:.profile.tmp"},
      {"x.tmp", "x.tm~"},
  };
  for (const auto& c : cases) EXPECT_EQ(TemporaryPathFor(c.list), c.temporary) << c.list;
}

}  // namespace
