#include "remote/core/list_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

InstallPathBuffer BufferWith(const std::string& text) {
  InstallPathBuffer buffer{};
  std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size()));
  return buffer;
}

TEST(ListPath, DirectoryValueOrDefault) {
  // With "\varotimer.dat", the longest backup suffix ".999.bak" and the zero: 260.
  const std::string longest(237, 'd');
  const std::string tooLong(238, 'd');
  const std::string listFitsBackupDoesNot(245, 'd');
  const std::string unterminated(260, 'd');
  const std::vector<std::string> directories = {
      "", "C:\\VaroTimer", "C:\\VaroTimer\\", longest, tooLong, listFitsBackupDoesNot, unterminated};
  const auto isDirectory = [&](const std::string& path) {
    return std::find(directories.begin(), directories.end(), path) != directories.end();
  };
  const struct {
    std::string value;
    std::string path;
  } cases[] = {
      {"", ".\\varotimer.dat"},
      {"C:\\VaroTimer", "C:\\VaroTimer\\varotimer.dat"},
      {"C:\\VaroTimer\\", "C:\\VaroTimer\\\\varotimer.dat"},
      {"C:\\Missing", ".\\varotimer.dat"},
      {longest, longest + "\\varotimer.dat"},
      {tooLong, ".\\varotimer.dat"},
      {listFitsBackupDoesNot, ".\\varotimer.dat"},
      {unterminated, ".\\varotimer.dat"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveListPath(BufferWith(c.value), isDirectory), c.path) << c.value.size();
}

TEST(ListPath, QueriedTextIsCopiedUpToZeroAndBounded) {
  const struct {
    std::vector<std::uint8_t> data;
    std::size_t dataSize;
    std::string text;
  } cases[] = {
      {{'C', ':', 0, 'y'}, 4, "C:"},
      {{'a', 'b', 'c', 'd'}, 2, "ab"},  // no zero: only the bytes the query reported
      {std::vector<std::uint8_t>(260, 'q'), 260, std::string(259, 'q')},
  };
  for (const auto& c : cases) {
    InstallPathBuffer buffer;
    buffer.fill('#');
    CopyInstallPathText(c.data.data(), c.dataSize, buffer);
    EXPECT_EQ(std::string(buffer.data()), c.text);
  }
}

}  // namespace
