#include "remote/core/computer_list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/core/list_test_support.h"

namespace {

using namespace list_test;
using Names = std::vector<std::string>;

struct Loaded {
  bool result;
  std::vector<ComputerEntry> rows;
  Names names;
};

Loaded Load(const Bytes& file, std::vector<ComputerEntry> before = {}, std::size_t chunk = SIZE_MAX) {
  MemoryByteSource source(file, chunk);
  ComputerTable rows(std::move(before));
  Loaded loaded{LoadComputerList(source, rows, AsciiOrQuestionMark), rows.Entries(), {}};
  for (const ComputerEntry& e : loaded.rows) loaded.names.push_back(e.name);
  return loaded;
}

// An entry 27 bytes longer than its name, which has a three-byte prefix.
Bytes LongNameEntry(std::size_t nameLength) {
  const Bytes prefix = {0xFF, static_cast<std::uint8_t>(nameLength), static_cast<std::uint8_t>(nameLength >> 8)};
  return Cat({prefix, Text(std::string(nameLength, 'n')), Short("00-11-22-33-44-55"), Short("40000")});
}

TEST(ComputerListFile, TheOneEntryExampleIs36Bytes) {
  const Bytes example = Cat({{0x03, 0x50, 0x4D, 0x53, 0x01, 0x00, 0x00, 0x00, 0x03, 0x50, 0x43, 0x31, 0x11},
                             Text("00-11-22-33-44-55"),
                             {0x05, 0x34, 0x30, 0x30, 0x30, 0x30}});
  ASSERT_EQ(example.size(), 36u);
  ComputerTable rows({{"PC1", "00-11-22-33-44-55", "40000"}});
  EXPECT_EQ(EncodeComputerList(rows), example);
  const Loaded loaded = Load(example);
  EXPECT_TRUE(loaded.result);
  EXPECT_EQ(loaded.rows, rows.Entries());
}

TEST(ComputerListFile, LoadOutcomes) {
  const struct {
    const char* what;
    Bytes file;
    bool result;
    Names names;  // the list starts with one row "old"
  } cases[] = {
      {"empty file", {}, false, {"old"}},
      {"cut header", {0x03, 'P', 'M'}, false, {"old"}},
      {"other header", Cat({Short("PMX"), Entry("A")}), true, {"old"}},
      {"header alone", Short("PMS"), true, {}},
      {"header up to its zero byte", Cat({Short(std::string("PMS\0Z", 5)), I32(0)}), true, {}},
      {"count 0", Header(0), true, {}},
      {"negative count", Header(INT32_MIN), true, {}},
      {"negative count, then a group", Cat({Header(-5), I32(1), Entry("A")}), true, {"A"}},
      {"count 3 with 2 entries", Cat({Header(3), Entry("A"), Entry("B")}), false, {"A", "B"}},
      {"huge count", Cat({Header(INT32_MAX), Entry("A")}), false, {"A"}},
      {"1 stray byte", Cat({Header(1), Entry("A"), {0}}), false, {"A"}},
      {"3 stray bytes", Cat({Header(1), Entry("A"), {1, 0, 0}}), false, {"A"}},
      {"two groups", Cat({Header(1), Entry("A"), I32(2), Entry("B"), Entry("C")}), true, {"B", "C", "A"}},
      {"length beyond the file", Cat({Header(1), Short("A"), {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF}}), false,
       {"A"}},
      {"UTF-16 name", Cat({Header(1), {0xFF, 0xFE, 0xFF, 0x02, 'P', 0x00, 0xC6, 0x30}, Short("m"), Short("p")}), true,
       {"P?"}},
  };
  for (const auto& c : cases) {
    const Loaded loaded = Load(c.file, {{"old", "aa-bb-cc-dd-ee-ff", "40000"}});
    EXPECT_EQ(loaded.result, c.result) << c.what;
    EXPECT_EQ(loaded.names, c.names) << c.what;
  }
}

TEST(ComputerListFile, RowCutShortKeepsItsLaterColumnsEmpty) {
  const Loaded loaded = Load(Cat({Header(1), Short("A"), Short("00-11")}));
  EXPECT_FALSE(loaded.result);
  EXPECT_EQ(loaded.rows, (std::vector<ComputerEntry>{{"A", "00-11", ""}}));
}

// The test between groups looks at the archive buffer, which is refilled
// 4096 bytes at a time: a group that ends where the buffer's content ends is
// the last one read.
TEST(ComputerListFile, GroupEndingAtTheBufferEndIsTheLastRead) {
  for (std::size_t chunk : {SIZE_MAX, std::size_t{1000}}) {
    for (std::size_t nameLength : {4060u, 4061u, 4062u}) {  // the group ends at 4095, 4096, 4097
      const Bytes group = Cat({Header(1), LongNameEntry(nameLength)});
      const Loaded loaded = Load(Cat({group, I32(1), Entry("B")}), {}, chunk);
      EXPECT_TRUE(loaded.result);
      EXPECT_EQ(loaded.rows.size(), group.size() == 4096 ? 1u : 2u) << group.size();
    }
  }
}

TEST(ComputerListFile, RefillKeepsUnreadBytesSoTheBufferEndMoves) {
  // The second name's 16-bit length starts at 4095. The refill keeps that
  // byte, so the buffer now ends at 8191, not at 8192.
  for (std::size_t secondName : {4070u, 4071u}) {
    const Bytes group = Cat({Header(2), LongNameEntry(4059), LongNameEntry(secondName)});
    const Loaded loaded = Load(Cat({group, I32(1), Entry("B")}));
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(loaded.rows.size(), group.size() == 8191 ? 2u : 3u) << group.size();
  }
}

TEST(ComputerListFile, SaveThenLoadGivesTheSameRows) {
  std::vector<ComputerEntry> entries = {
      {"", "", ""},
      {std::string(254, 'a'), std::string(255, 'b'), std::string(65534, 'c')},
      {std::string("\x83\x70\0x", 4), "AA-BB-CC-DD-EE-FF", "40000"},
  };
  for (int i = 0; i < 300; ++i) entries.push_back({"PC" + std::to_string(i), "00-11-22-33-44-55", "40000"});
  ComputerTable saved(entries);
  const Bytes file = EncodeComputerList(saved);
  for (std::size_t chunk : {SIZE_MAX, std::size_t{1}}) {
    const Loaded loaded = Load(file, {{"old", "", ""}}, chunk);
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(loaded.rows, entries);
  }
}

}  // namespace
