#include "remote/core/archive_string.h"

#include <gtest/gtest.h>

#include "remote/core/list_test_support.h"

namespace {

using namespace list_test;

TEST(ArchiveString, WriterPicksThePrefixByLength) {
  const struct {
    std::size_t length;
    Bytes prefix;
  } cases[] = {
      {0, {0x00}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {65533, {0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
  };
  for (const auto& c : cases) {
    const std::string text(c.length, 'x');
    Bytes written;
    AppendArchiveString(written, text);
    EXPECT_EQ(written, Cat({c.prefix, Text(text)})) << c.length;
  }
}

TEST(ArchiveString, ReaderForms) {
  const struct {
    Bytes bytes;
    bool ok;
    std::string text;
  } cases[] = {
      {{0x02, 'h', 'i'}, true, "hi"},
      {{0xFF, 0x02, 0x00, 'h', 'i'}, true, "hi"},  // longer prefixes than needed
      {{0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'h', 'i'}, true, "hi"},
      {{0xFF, 0xFE, 0xFF, 0x02, 'P', 0x00, 0xC6, 0x30}, true, "P?"},  // UTF-16, converted
      {{0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'A', 0x00}, true, "A"},
      {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 'B', 0x00}, true, "B"},
      {{0xFF, 0xFE, 0xFF, 0x00}, true, ""},
      {{}, false, ""},  // cut anywhere
      {{0xFF, 0x01}, false, ""},
      {{0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00}, false, ""},
      {{0x05, 'a', 'b'}, false, ""},
      {{0xFF, 0xFE, 0xFF}, false, ""},
      {{0xFF, 0xFE, 0xFF, 0x02, 'A', 0x00, 'B'}, false, ""},
  };
  for (const auto& c : cases) {
    MemoryByteSource source(c.bytes);
    ArchiveReader in(source);
    std::string text;
    EXPECT_EQ(ReadArchiveString(in, AsciiOrQuestionMark, text), c.ok) << c.bytes.size();
    if (c.ok) EXPECT_EQ(text, c.text);
  }
}

TEST(ArchiveString, LengthBeyondTheDataFailsBeforeTheBodyIsRead) {
  const Bytes cases[] = {
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},                    // 4 GiB - 1
      {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},  // 4 Gi UTF-16 characters
      {0x03, 'a', 'b'},
  };
  for (const Bytes& bytes : cases) {
    MemoryByteSource source(bytes);
    ArchiveReader in(source);
    std::string text;
    EXPECT_FALSE(ReadArchiveString(in, AsciiOrQuestionMark, text));
    EXPECT_FALSE(in.BufferEmpty()) << "body was read";
  }
}

}  // namespace
