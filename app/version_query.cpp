#include "app/version_query.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "afx/app.h"
#include "app/core/version_path.h"

namespace {

// The query path: one fixed block shared by all calls.
char s_versionPath[kVersionPathSize];

// A writable copy of a version block. The ANSI query converts the block's
// UTF-16 texts into the space behind the block (up to the block's own
// length again, plus 4 bytes), as a buffer from GetFileVersionInfoA would
// provide; the locked resource itself is read-only and has no such space.
class VersionBlockCopy {
 public:
  VersionBlockCopy(const void* block, DWORD size) {
    // The block's first word is its own length; a block that claims more
    // than the resource holds is padded with zeros so every read stays inside.
    WORD declared = 0;
    if (size >= sizeof declared) std::memcpy(&declared, block, sizeof declared);
    const std::size_t length = std::max<std::size_t>(size, declared);
    const std::size_t bytes = length * 2 + 4;
    m_words.assign((bytes + sizeof(DWORD) - 1) / sizeof(DWORD), 0);  // DWORD-aligned
    std::memcpy(m_words.data(), block, size);
  }

  void* Data() { return m_words.data(); }
  const char* End() const { return reinterpret_cast<const char*>(m_words.data() + m_words.size()); }

  // Whether [p, p + length) lies inside the copy.
  bool Holds(const void* p, std::size_t length) const {
    const char* begin = reinterpret_cast<const char*>(m_words.data());
    const char* q = static_cast<const char*>(p);
    return q >= begin && q <= End() && length <= static_cast<std::size_t>(End() - q);
  }

 private:
  std::vector<DWORD> m_words;
};

// Queries `path`; the value when it lies inside the copy, else null.
const char* QueryValue(VersionBlockCopy& block, const char* path, UINT* length) {
  void* value = nullptr;
  *length = 0;
  if (!::VerQueryValueA(block.Data(), path, &value, length) || !value) return nullptr;
  if (!block.Holds(value, 0)) return nullptr;
  return static_cast<const char*>(value);
}

}  // namespace

std::string GetVersionString(HINSTANCE module, const std::string& name) {
  if (!module) module = AfxGetResourceHandle();
  HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  if (!info) return {};
  HGLOBAL loaded = ::LoadResource(module, info);
  if (!loaded) return {};
  const void* locked = ::LockResource(loaded);
  if (!locked) return {};
  VersionBlockCopy block(locked, ::SizeofResource(module, info));

  UINT translationLength = 0;
  const char* translation = QueryValue(block, kVersionTranslationPath, &translationLength);
  if (translation && !block.Holds(translation, translationLength)) translation = nullptr;
  if (!FormatVersionPath(s_versionPath, translation, translation ? translationLength : 0,
                         ::GetUserDefaultLangID(), name.c_str())) {
    return {};
  }

  UINT length = 0;
  const char* text = QueryValue(block, s_versionPath, &length);
  if (!text) return {};
  // The text ends at its NUL, and never past the copy.
  const std::size_t room = static_cast<std::size_t>(block.End() - text);
  return std::string(text, strnlen(text, room));
}
