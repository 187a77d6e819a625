#include "remote/core/list_file_save.h"

#include <gtest/gtest.h>

#include <map>

#include "remote/core/computer_list_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Files in memory, with a fault to inject at each step.
class FakeFiles : public ListFileSystem {
 public:
  std::map<std::string, Bytes> files;
  WriteResult writeResult = WriteResult::kWritten;
  bool replaceFails = false;

  WriteResult WriteWholeFile(const std::string& path, const Bytes& bytes) override {
    if (writeResult == WriteResult::kWritten) files[path] = bytes;
    if (writeResult == WriteResult::kFailed) files[path] = Bytes(bytes.begin(), bytes.begin() + 5);
    return writeResult;
  }
  bool MoveOver(const std::string& source, const std::string& target) override {
    if (replaceFails || files.count(source) == 0) return false;
    files[target] = files[source];
    files.erase(source);
    return true;
  }
  void RemoveFile(const std::string& path) override { files.erase(path); }
};

const char kPath[] = "C:\\VaroTimer\\varotimer.dat";

TEST(ListFileSave, OldListStaysWholeUnlessTheNewOneIsComplete) {
  using R = ListFileSystem::WriteResult;
  const struct {
    R write;
    bool replaceFails;
    bool result;
    bool replaced;
  } cases[] = {
      {R::kWritten, false, true, true},
      {R::kNotCreated, false, true, false},
      {R::kFailed, false, false, false},
      {R::kWritten, true, false, false},
  };
  ComputerTable oldRows({{"OLD", "aa-bb-cc-dd-ee-ff", "40000"}});
  ComputerTable newRows({{"PC1", "00-11-22-33-44-55", "40000"}});
  for (const auto& c : cases) {
    FakeFiles fs;
    fs.files[kPath] = EncodeComputerList(oldRows);
    fs.writeResult = c.write;
    fs.replaceFails = c.replaceFails;
    EXPECT_EQ(SaveComputerList(kPath, newRows, fs), c.result);
    EXPECT_EQ(fs.files.at(kPath), EncodeComputerList(c.replaced ? newRows : oldRows));
    EXPECT_EQ(fs.files.size(), 1u) << "temporary file left behind";
  }
}

TEST(ListFileSave, TemporaryFileSitsBesideTheListWithANameNoLonger) {
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
