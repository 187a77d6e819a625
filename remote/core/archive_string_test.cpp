#include "remote/core/archive_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/core/list_test_support.h"

namespace {

using list_test::AsciiOrQuestionMark;
using list_test::Bytes;

bool ReadOne(const Bytes& bytes, std::string& text, const Utf16ToAnsi& toAnsi = AsciiOrQuestionMark) {
  MemoryByteSource source(bytes);
  ArchiveReader in(source);
  return ReadArchiveString(in, toAnsi, text);
}

Bytes Prefix(const std::string& text) {
  Bytes out;
  AppendArchiveString(out, text);
  return Bytes(out.begin(), out.end() - static_cast<std::ptrdiff_t>(text.size()));
}

TEST(ArchiveString, WriterPicksThePrefixByLength) {
  const struct {
    std::size_t length;
    Bytes prefix;
  } cases[] = {
      {0, {0x00}},
      {3, {0x03}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {256, {0xFF, 0x00, 0x01}},
      {65533, {0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
  };
  for (const auto& c : cases) {
    const std::string text(c.length, 'x');
    EXPECT_EQ(Prefix(text), c.prefix) << c.length;
    Bytes whole;
    AppendArchiveString(whole, text);
    std::string read;
    ASSERT_TRUE(ReadOne(whole, read)) << c.length;
    EXPECT_EQ(read, text) << c.length;
  }
}

TEST(ArchiveString, BytesPassUnchanged) {
  const std::string text("a\0\xff\x81\x40\n", 6);
  Bytes whole;
  AppendArchiveString(whole, text);
  std::string read;
  ASSERT_TRUE(ReadOne(whole, read));
  EXPECT_EQ(read, text);
}

TEST(ArchiveString, ReaderAcceptsLongerPrefixesThanNeeded) {
  std::string read;
  ASSERT_TRUE(ReadOne({0xFF, 0x02, 0x00, 'h', 'i'}, read));
  EXPECT_EQ(read, "hi");
  ASSERT_TRUE(ReadOne({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'h', 'i'}, read));
  EXPECT_EQ(read, "hi");
  ASSERT_TRUE(ReadOne({0xFF, 0x00, 0x00}, read));
  EXPECT_EQ(read, "");
}

TEST(ArchiveString, Utf16FormIsConverted) {
  std::u16string seen;
  auto convert = [&seen](const std::u16string& wide) {
    seen = wide;
    return std::string("converted");
  };
  std::string read;
  ASSERT_TRUE(ReadOne({0xFF, 0xFE, 0xFF, 0x03, 'P', 0x00, 0xC6, 0x30, 0x31, 0x00}, read, convert));
  EXPECT_EQ(seen, u"P\u30C6" u"1");
  EXPECT_EQ(read, "converted");

  // Second prefix in its longer forms; FFFE there is a plain length.
  ASSERT_TRUE(ReadOne({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'A', 0x00}, read));
  EXPECT_EQ(read, "A");
  ASSERT_TRUE(ReadOne({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 'B', 0x00}, read));
  EXPECT_EQ(read, "B");
  Bytes long16 = {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF};
  long16.resize(long16.size() + 2 * 65534, 'z');
  ASSERT_TRUE(ReadOne(long16, read));
  EXPECT_EQ(read, std::string(65534, '?'));  // 'z','z' is U+7A7A

  ASSERT_TRUE(ReadOne({0xFF, 0xFE, 0xFF, 0x00}, read));
  EXPECT_EQ(read, "");
}

TEST(ArchiveString, Utf16FormWithoutConversionFails) {
  std::string read;
  EXPECT_FALSE(ReadOne({0xFF, 0xFE, 0xFF, 0x01, 'A', 0x00}, read, Utf16ToAnsi()));
}

TEST(ArchiveString, TruncatedDataFails) {
  const Bytes cases[] = {
      {},
      {0xFF},
      {0xFF, 0x01},
      {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00},
      {0x05, 'a', 'b'},
      {0xFF, 0x05, 0x01, 'a'},
      {0xFF, 0xFE},
      {0xFF, 0xFE, 0xFF},
      {0xFF, 0xFE, 0xFF, 0xFF, 0x01},
      {0xFF, 0xFE, 0xFF, 0x02, 'A', 0x00, 'B'},
  };
  for (const Bytes& bytes : cases) {
    std::string read = "untouched";
    EXPECT_FALSE(ReadOne(bytes, read)) << bytes.size();
  }
}

TEST(ArchiveString, PrefixBeyondTheDataFailsBeforeReadingOn) {
  const Bytes cases[] = {
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},        // 4 GiB - 1
      {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 'a'},        // 2 GiB
      {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},  // 4 Gi UTF-16 characters
      {0xFF, 0xFE, 0xFF, 0x02, 'A', 0x00, 'B'},               // one byte short
  };
  for (const Bytes& bytes : cases) {
    MemoryByteSource source(bytes);
    ArchiveReader in(source);
    std::string read;
    EXPECT_FALSE(ReadArchiveString(in, AsciiOrQuestionMark, read));
    EXPECT_FALSE(in.BufferEmpty()) << "the body must not be read";
  }
}

}  // namespace
