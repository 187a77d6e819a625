#include "tray/core/tip_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "tray/core/notify_icon_record.h"

namespace {

// Shift-JIS (code page 932) lead bytes.
bool IsShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

const std::string kA = "\x82\xA0";         // "あ"
const std::string kSmallYa = "\x83\x83";   // "ャ": its trail byte is also a lead byte
const std::string kSo = "\x83\x5C";        // "ソ": its trail byte is a backslash
const std::string kHalfKana = "\xB1";      // half-width "ｱ", one byte

struct Copied {
  std::string text;
  std::size_t count;
  bool restZero;
};

Copied CopyTip(const std::string& text, std::size_t maxBytes = kTipMaxBytes,
               std::size_t fieldSize = kTipFieldSize) {
  std::string field(fieldSize, '\x7F');  // stale bytes must not survive
  const std::size_t n = CopyMultibyteBounded(&field[0], fieldSize, text.c_str(), maxBytes, IsShiftJisLead);
  bool restZero = true;
  for (std::size_t i = n; i < fieldSize; ++i) restZero = restZero && field[i] == '\0';
  return {field.substr(0, n), n, restZero};
}

TEST(TipCopy, BoundWithShiftJisText) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  } const cases[] = {
      {"short tip whole", "\x93\x64\x8C\xB9\x83\x5E\x83\x43\x83\x7D\x81\x5B",  // 電源タイマー
       "\x93\x64\x8C\xB9\x83\x5E\x83\x43\x83\x7D\x81\x5B"},
      {"ascii cut at 127", std::string(200, 'a'), std::string(127, 'a')},
      {"double-byte across the cut is left out", std::string(126, 'a') + kA + "b", std::string(126, 'a')},
      {"double-byte ending on the bound is kept", std::string(125, 'a') + kA + "b",
       std::string(125, 'a') + kA},
      {"trail bytes that look like lead bytes", [] { std::string s; for (int i = 0; i < 64; ++i) s += kSmallYa; return s; }(),
       [] { std::string s; for (int i = 0; i < 63; ++i) s += kSmallYa; return s; }()},
      {"backslash trail stays with its lead", std::string(124, 'a') + kSo + kSo, std::string(124, 'a') + kSo},
      {"half-width kana are single bytes", std::string(127, kHalfKana[0]) + "x", std::string(127, kHalfKana[0])},
      {"lead byte at the text's end is dropped", "abc\x82", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Copied got = CopyTip(c.text);
    EXPECT_EQ(got.text, c.expected);
    EXPECT_EQ(got.count, c.expected.size());
    EXPECT_TRUE(got.restZero);
  }
}

TEST(TipCopy, BalloonBoundsAndFieldLimit) {
  const std::string text = std::string(62, 'x') + kA;
  EXPECT_EQ(CopyTip(text, kInfoTitleMaxBytes, kInfoTitleFieldSize).text, std::string(62, 'x'));
  EXPECT_EQ(CopyTip(std::string(300, 'y'), kInfoMaxBytes, kInfoFieldSize).count, 255u);
  // A bound at or past the field's size still leaves room for the NUL.
  const Copied clamped = CopyTip(std::string(300, 'z'), 500, 16);
  EXPECT_EQ(clamped.count, 15u);
  EXPECT_TRUE(clamped.restZero);
}

TEST(TipCopy, NullTextNullPredicateAndEmptyField) {
  char field[8] = {'s', 't', 'a', 'l', 'e', '!', '!', '!'};
  EXPECT_EQ(CopyMultibyteBounded(field, sizeof field, nullptr, 7, IsShiftJisLead), 0u);
  EXPECT_EQ(std::string(field, sizeof field), std::string(8, '\0'));
  EXPECT_EQ(CopyMultibyteBounded(field, 0, "abc", 7, IsShiftJisLead), 0u);
  EXPECT_EQ(CopyMultibyteBounded(nullptr, 8, "abc", 7, IsShiftJisLead), 0u);
}

}  // namespace
