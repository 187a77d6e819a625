#include "remote/core/computer_list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/core/list_test_support.h"

namespace {

using namespace list_test;

const ComputerEntry kExisting{"old", "aa-bb-cc-dd-ee-ff", "40000"};

struct Loaded {
  bool result;
  std::vector<ComputerEntry> rows;
};

Loaded Load(const Bytes& file, std::vector<ComputerEntry> before = {}, std::size_t chunk = SIZE_MAX) {
  MemoryByteSource source(file, chunk);
  ComputerTable rows(std::move(before));
  const bool result = LoadComputerList(source, rows, AsciiOrQuestionMark);
  return {result, rows.Entries()};
}

std::vector<std::string> Names(const Loaded& loaded) {
  std::vector<std::string> names;
  for (const ComputerEntry& e : loaded.rows) names.push_back(e.name);
  return names;
}

// A group of one entry whose name has a three-byte prefix, so its size can be
// set to the byte.
void AppendLongNameEntry(Bytes& out, std::size_t nameLength) {
  Append(out, {0xFF, static_cast<int>(nameLength & 0xFF), static_cast<int>(nameLength >> 8)});
  Append(out, std::string(nameLength, 'n'));
  AppendShort(out, "00-11-22-33-44-55");
  AppendShort(out, "40000");
}

TEST(ComputerListFile, TheOneEntryExampleIs36Bytes) {
  const Bytes expected = {0x03, 0x50, 0x4D, 0x53, 0x01, 0x00, 0x00, 0x00, 0x03, 0x50, 0x43, 0x31,
                          0x11, '0',  '0',  '-',  '1',  '1',  '-',  '2',  '2',  '-',  '3',  '3',
                          '-',  '4',  '4',  '-',  '5',  '5',  0x05, 0x34, 0x30, 0x30, 0x30, 0x30};
  ComputerTable rows({{"PC1", "00-11-22-33-44-55", "40000"}});
  EXPECT_EQ(EncodeComputerList(rows), expected);

  const Loaded loaded = Load(expected);
  EXPECT_TRUE(loaded.result);
  EXPECT_EQ(loaded.rows, rows.Entries());
}

TEST(ComputerListFile, EmptyListIsHeaderAndZeroCount) {
  ComputerTable rows;
  EXPECT_EQ(EncodeComputerList(rows), Header(0));
}

TEST(ComputerListFile, HeaderDecidesWhetherRowsAreTouched) {
  const struct {
    const char* what;
    Bytes file;
    bool result;
    bool rowsKept;
  } cases[] = {
      {"empty file", {}, false, true},
      {"cut header", {0x03, 'P', 'M'}, false, true},
      {"other header", {0x03, 'P', 'M', 'X', 0x00, 0x00, 0x00, 0x00}, true, true},
      {"shorter header", {0x02, 'P', 'M'}, true, true},
      {"header alone", {0x03, 'P', 'M', 'S'}, true, false},
      {"header up to a zero byte", {0x05, 'P', 'M', 'S', 0x00, 'Z'}, true, false},
  };
  for (const auto& c : cases) {
    const Loaded loaded = Load(c.file, {kExisting});
    EXPECT_EQ(loaded.result, c.result) << c.what;
    EXPECT_EQ(loaded.rows.size(), c.rowsKept ? 1u : 0u) << c.what;
  }
}

TEST(ComputerListFile, CountsOfZeroOrLessGiveNoRows) {
  for (std::int32_t count : {0, -1, INT32_MIN}) {
    const Loaded loaded = Load(Header(count), {kExisting});
    EXPECT_TRUE(loaded.result) << count;
    EXPECT_TRUE(loaded.rows.empty()) << count;
  }
}

TEST(ComputerListFile, NegativeCountIsAnEmptyGroupAndReadingGoesOn) {
  Bytes file = Header(-5);
  AppendI32(file, 1);
  AppendEntry(file, "A");
  const Loaded loaded = Load(file);
  EXPECT_TRUE(loaded.result);
  EXPECT_EQ(Names(loaded), std::vector<std::string>{"A"});
}

TEST(ComputerListFile, EarlyEndKeepsWhatWasRead) {
  Bytes shortFile = Header(3);
  AppendEntry(shortFile, "A");
  AppendEntry(shortFile, "B");
  Loaded loaded = Load(shortFile, {kExisting});
  EXPECT_FALSE(loaded.result);
  EXPECT_EQ(Names(loaded), (std::vector<std::string>{"A", "B"}));

  Bytes cutInRow = Header(1);
  AppendShort(cutInRow, "A");
  AppendShort(cutInRow, "00-11");
  loaded = Load(cutInRow);
  EXPECT_FALSE(loaded.result);
  ASSERT_EQ(loaded.rows.size(), 1u);
  EXPECT_EQ(loaded.rows[0], (ComputerEntry{"A", "00-11", ""}));

  Bytes hugeCount = Header(INT32_MAX);
  AppendEntry(hugeCount, "A");
  loaded = Load(hugeCount);
  EXPECT_FALSE(loaded.result);
  EXPECT_EQ(Names(loaded), std::vector<std::string>{"A"});
}

TEST(ComputerListFile, StrayBytesAfterTheLastEntryFail) {
  for (int stray = 1; stray <= 3; ++stray) {
    Bytes file = Header(1);
    AppendEntry(file, "A");
    file.resize(file.size() + static_cast<std::size_t>(stray), 0);
    const Loaded loaded = Load(file);
    EXPECT_FALSE(loaded.result) << stray;
    EXPECT_EQ(Names(loaded), std::vector<std::string>{"A"}) << stray;
  }
}

TEST(ComputerListFile, LengthBeyondTheFileFails) {
  Bytes file = Header(1);
  AppendShort(file, "A");
  Append(file, {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF});
  Append(file, "00-11-22-33-44-55");
  const Loaded loaded = Load(file);
  EXPECT_FALSE(loaded.result);
  ASSERT_EQ(loaded.rows.size(), 1u);
  EXPECT_EQ(loaded.rows[0].mac, "");
}

TEST(ComputerListFile, LaterGroupsStandAbove) {
  Bytes file = Header(1);
  AppendEntry(file, "A", "aa-aa-aa-aa-aa-aa", "1");
  AppendI32(file, 2);
  AppendEntry(file, "B", "bb-bb-bb-bb-bb-bb", "2");
  AppendEntry(file, "C", "cc-cc-cc-cc-cc-cc", "3");
  const Loaded loaded = Load(file);
  EXPECT_TRUE(loaded.result);
  const std::vector<ComputerEntry> expected = {
      {"B", "bb-bb-bb-bb-bb-bb", "2"}, {"C", "cc-cc-cc-cc-cc-cc", "3"}, {"A", "aa-aa-aa-aa-aa-aa", "1"}};
  EXPECT_EQ(loaded.rows, expected);
}

TEST(ComputerListFile, Utf16TextLoadsConverted) {
  Bytes file = Header(1);
  Append(file, {0xFF, 0xFE, 0xFF, 0x02, 'P', 0x00, 0xC6, 0x30});
  AppendShort(file, "00-11-22-33-44-55");
  Append(file, {0xFF, 0xFE, 0xFF, 0x01, '4', 0x00});
  const Loaded loaded = Load(file);
  EXPECT_TRUE(loaded.result);
  EXPECT_EQ(loaded.rows, (std::vector<ComputerEntry>{{"P?", "00-11-22-33-44-55", "4"}}));
}

// The test between groups looks at the archive buffer: a group that ends
// where the buffer's content ends is the last one read.
TEST(ComputerListFile, GroupEndingAtTheBufferEndIsTheLastRead) {
  for (std::size_t chunk : {SIZE_MAX, std::size_t{1000}}) {
    // Header and count take 8 bytes, the entry 3 + name + 24.
    for (std::size_t nameLength : {4060u, 4061u, 4062u}) {
      Bytes file = Header(1);
      AppendLongNameEntry(file, nameLength);
      const std::size_t groupEnd = file.size();
      AppendI32(file, 1);
      AppendEntry(file, "B");
      const Loaded loaded = Load(file, {}, chunk);
      EXPECT_TRUE(loaded.result);
      EXPECT_EQ(loaded.rows.size(), groupEnd == 4096 ? 1u : 2u) << nameLength;
    }
  }
}

TEST(ComputerListFile, RefillAcrossAPrefixMovesTheBufferEnd) {
  // The second name's 16-bit length starts at 4095: the refill keeps that one
  // byte, so this buffer ends at 8191, not at 8192.
  for (std::size_t secondName : {4070u, 4071u}) {
    Bytes file = Header(2);
    AppendLongNameEntry(file, 4059);
    ASSERT_EQ(file.size(), 4094u);
    AppendLongNameEntry(file, secondName);
    const std::size_t groupEnd = file.size();
    AppendI32(file, 1);
    AppendEntry(file, "B");
    const Loaded loaded = Load(file);
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(loaded.rows.size(), groupEnd == 8191 ? 2u : 3u) << groupEnd;
  }
}

TEST(ComputerListFile, SaveThenLoadGivesTheSameRows) {
  std::vector<ComputerEntry> small = {
      {"", "", ""},
      {"PC1", "00-11-22-33-44-55", "40000"},
      {std::string(254, 'a'), std::string(255, 'b'), std::string(65534, 'c')},
      {std::string("\x83\x70\x83\x52\0x", 6), "AA-BB-CC-DD-EE-FF", "40000"},
  };
  std::vector<ComputerEntry> large;
  for (int i = 0; i < 300; ++i) large.push_back({"Computer " + std::to_string(i), "00-11-22-33-44-55", "40000"});

  for (const auto& entries : {small, large}) {
    ComputerTable saved(entries);
    const Bytes file = EncodeComputerList(saved);
    EXPECT_GT(file.size(), 4096u);
    for (std::size_t chunk : {SIZE_MAX, std::size_t{1}}) {
      const Loaded loaded = Load(file, {kExisting}, chunk);
      EXPECT_TRUE(loaded.result);
      EXPECT_EQ(loaded.rows, entries);
    }
  }
}

}  // namespace
