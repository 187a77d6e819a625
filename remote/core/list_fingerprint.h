#pragma once
// What the list file held when this copy of the program last read or wrote
// it, so that a save can tell whether another copy has changed it since.
#include <cstdint>
#include <vector>

#include "remote/core/byte_source.h"

struct ListFingerprint {
  enum class Kind {
    kUnchecked,  // nothing read or written yet: a save does not compare
    kUnknown,    // could not be read: differs from every file
    kStale,      // rows put back after a failed save: differ from every file
    kAbsent,     // no file
    kPresent,    // a file of this size and hash
  };
  Kind kind = Kind::kUnchecked;
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
};

// The same file: both present with the same size and bytes, or both absent.
bool SameFile(const ListFingerprint& a, const ListFingerprint& b);

ListFingerprint FingerprintOf(const std::vector<std::uint8_t>& bytes);

// Passes a file through to its reader and hashes every byte on the way.
// The reader may stop early; Finish reads the rest, so that the fingerprint
// is always that of the whole file.
class FingerprintingSource : public ByteSource {
 public:
  explicit FingerprintingSource(ByteSource& file) : file_(file) {}

  bool Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) override;
  std::uint64_t Remaining() const override { return file_.Remaining(); }

  // Reads to the end. unread receives how many bytes the reader left; the
  // fingerprint is kUnknown when the file could not be read to its end.
  ListFingerprint Finish(std::uint64_t& unread);

 private:
  ByteSource& file_;
  std::uint64_t size_ = 0;
  std::uint64_t hash_ = 0xcbf29ce484222325ull;  // 64-bit FNV-1a
  bool failed_ = false;
};
