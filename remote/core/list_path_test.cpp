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

auto DirectoriesAre(std::vector<std::string> directories) {
  return [directories](const std::string& path) {
    for (const std::string& d : directories) {
      if (d == path) return true;
    }
    return false;
  };
}

TEST(ListPath, DirectoryValueOrDefault) {
  const std::string longest(245, 'd');  // + "\varotimer.dat" + zero = 260
  const std::string tooLong(246, 'd');
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {"", ".\\varotimer.dat"},
      {"C:\\Program Files\\VaroTimer", "C:\\Program Files\\VaroTimer\\varotimer.dat"},
      {"C:\\VaroTimer\\", "C:\\VaroTimer\\\\varotimer.dat"},
      {"C:\\Missing", ".\\varotimer.dat"},
      {longest, longest + "\\varotimer.dat"},
      {tooLong, ".\\varotimer.dat"},
      {std::string(260, 'd'), ".\\varotimer.dat"},  // no zero in the buffer at all
  };
  const auto isDirectory =
      DirectoriesAre({"", "C:\\Program Files\\VaroTimer", "C:\\VaroTimer\\", longest, tooLong, std::string(260, 'd')});
  for (const auto& c : cases) {
    const std::string path = ResolveListPath(BufferWith(c.value), isDirectory);
    EXPECT_EQ(path, c.expected) << c.value.size();
    EXPECT_LT(path.size(), kMaxPathBytes);
  }
  EXPECT_EQ(ResolveListPath(BufferWith("C:\\VaroTimer\\"), nullptr), ".\\varotimer.dat");
}

TEST(ListPath, QueriedTextIsCopiedUpToZeroAndBounded) {
  const struct {
    std::vector<std::uint8_t> data;
    std::size_t dataSize;
    std::string expected;
  } cases[] = {
      {{'C', ':', '\\', 'x', 0}, 5, "C:\\x"},
      {{'C', ':', 0, 'y', 'z'}, 5, "C:"},
      {{'a', 'b', 'c', 'd'}, 2, "ab"},  // unterminated value: only the bytes reported
      {{}, 0, ""},
      {std::vector<std::uint8_t>(300, 'q'), 300, std::string(259, 'q')},
      {std::vector<std::uint8_t>(260, 'q'), 260, std::string(259, 'q')},
  };
  for (const auto& c : cases) {
    InstallPathBuffer buffer;
    buffer.fill('#');
    CopyInstallPathText(c.data.data(), c.dataSize, buffer);
    EXPECT_EQ(std::string(buffer.data()), c.expected);
    EXPECT_EQ(buffer.back(), '\0');
  }
  InstallPathBuffer buffer = BufferWith("stale");
  CopyInstallPathText(nullptr, 10, buffer);
  EXPECT_EQ(std::string(buffer.data()), "");
}

}  // namespace
