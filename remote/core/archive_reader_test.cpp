#include "remote/core/archive_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "remote/core/list_test_support.h"

namespace {

using list_test::Bytes;

Bytes Counting(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  return bytes;
}

// A source that fails after handing out a number of bytes.
class FailingSource : public ByteSource {
 public:
  explicit FailingSource(std::size_t goodBytes) : good_(goodBytes) {}
  bool Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) override {
    bytesRead = 0;
    if (given_ >= good_) return false;
    bytesRead = std::min(maxBytes, good_ - given_);
    for (std::size_t i = 0; i < bytesRead; ++i) buffer[i] = 0;
    given_ += bytesRead;
    return true;
  }
  std::uint64_t Remaining() const override { return 1u << 20; }

 private:
  std::size_t good_;
  std::size_t given_ = 0;
};

// Every reader test runs over sources that deliver any amount per call: the
// buffer must fill as far as the file allows either way.
class ArchiveReaderChunks : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ArchiveReaderChunks, ValuesAreLittleEndianAndEndFails) {
  MemoryByteSource source({0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xAA}, GetParam());
  ArchiveReader in(source);
  std::uint8_t b = 0;
  std::uint16_t w = 0;
  std::uint32_t d = 0;
  std::int32_t i = 0;
  ASSERT_TRUE(in.ReadU8(b));
  ASSERT_TRUE(in.ReadU16(w));
  ASSERT_TRUE(in.ReadU32(d));
  ASSERT_TRUE(in.ReadI32(i));
  EXPECT_EQ(b, 0x01);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(d, 0x12345678u);
  EXPECT_EQ(i, -2);
  EXPECT_FALSE(in.BufferEmpty());
  EXPECT_FALSE(in.ReadU16(w));  // one byte left
  EXPECT_TRUE(in.ReadU8(b));
  EXPECT_EQ(b, 0xAA);
  EXPECT_TRUE(in.BufferEmpty());
  EXPECT_FALSE(in.ReadU8(b));
}

TEST_P(ArchiveReaderChunks, BufferRunsEmptyAtEachWholeRefill) {
  const Bytes data = Counting(10000);
  MemoryByteSource source(data, GetParam());
  ArchiveReader in(source);
  Bytes got(4096);
  ASSERT_TRUE(in.ReadBytes(got.data(), got.size()));
  EXPECT_TRUE(in.BufferEmpty()) << "first refill holds exactly 4096 bytes";
  EXPECT_EQ(in.Remaining(), 10000u - 4096u);

  got.resize(4097);
  ASSERT_TRUE(in.ReadBytes(got.data(), got.size()));  // ends one byte into a third refill
  EXPECT_EQ(Bytes(got.begin(), got.end()), Bytes(data.begin() + 4096, data.begin() + 8193));
  EXPECT_FALSE(in.BufferEmpty());
  got.resize(10000 - 8193);
  ASSERT_TRUE(in.ReadBytes(got.data(), got.size()));
  EXPECT_TRUE(in.BufferEmpty());
  EXPECT_FALSE(in.ReadBytes(got.data(), 1));
}

TEST_P(ArchiveReaderChunks, FixedReadAcrossTheEndKeepsUnreadBytesAndTopsUp) {
  const Bytes data = Counting(10000);
  MemoryByteSource source(data, GetParam());
  ArchiveReader in(source);
  Bytes got(4094);
  ASSERT_TRUE(in.ReadBytes(got.data(), got.size()));
  std::uint32_t value = 0;
  ASSERT_TRUE(in.ReadU32(value));  // two bytes left, so the refill starts at 4094
  EXPECT_EQ(value & 0xFF, data[4094]);
  EXPECT_EQ(value >> 24, data[4097]);
  // The buffer now holds bytes 4094 to 8189, so it runs empty at 8190.
  got.resize(8190 - 4098);
  ASSERT_TRUE(in.ReadBytes(got.data(), got.size()));
  EXPECT_TRUE(in.BufferEmpty());
  EXPECT_EQ(in.Remaining(), 10000u - 8190u);
}

TEST_P(ArchiveReaderChunks, ShortDataFailsWithoutOverrun) {
  MemoryByteSource source(Counting(5000), GetParam());
  ArchiveReader in(source);
  Bytes got(5001);
  EXPECT_FALSE(in.ReadBytes(got.data(), got.size()));
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, ArchiveReaderChunks, ::testing::Values(SIZE_MAX, 4096, 1000, 7, 1));

TEST(ArchiveReader, ReadErrorsFail) {
  // The error comes while the second refill is still short of full.
  FailingSource source(4096 + 10);
  ArchiveReader in(source);
  Bytes got(4096);
  ASSERT_TRUE(in.ReadBytes(got.data(), got.size()));
  std::uint8_t b = 0;
  EXPECT_FALSE(in.ReadU8(b));
}

}  // namespace
