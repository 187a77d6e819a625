#include "remote/core/list_fingerprint.h"

#include <array>

namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

std::uint64_t Hash(std::uint64_t hash, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * kFnvPrime;
  return hash;
}

}  // namespace

bool SameFile(const ListFingerprint& a, const ListFingerprint& b) {
  using Kind = ListFingerprint::Kind;
  if (a.kind != b.kind) return false;
  if (a.kind == Kind::kAbsent) return true;
  return a.kind == Kind::kPresent && a.size == b.size && a.hash == b.hash;
}

ListFingerprint FingerprintOf(const std::vector<std::uint8_t>& bytes) {
  return {ListFingerprint::Kind::kPresent, bytes.size(), Hash(kFnvOffset, bytes.data(), bytes.size())};
}

bool FingerprintingSource::Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) {
  if (!file_.Read(buffer, maxBytes, bytesRead)) {
    failed_ = true;
    return false;
  }
  size_ += bytesRead;
  hash_ = Hash(hash_, buffer, bytesRead);
  return true;
}

ListFingerprint FingerprintingSource::Finish(std::uint64_t& unread) {
  unread = 0;
  std::array<std::uint8_t, 4096> chunk;
  for (;;) {
    std::size_t got = 0;
    if (failed_ || !Read(chunk.data(), chunk.size(), got)) return {ListFingerprint::Kind::kUnknown, 0, 0};
    if (got == 0) break;
    unread += got;
  }
  return {ListFingerprint::Kind::kPresent, size_, hash_};
}
