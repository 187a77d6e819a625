#pragma once
#include <cstddef>
#include <cstdint>

// Query paths into the program's version resource.

// The path buffer of the version query: one fixed block, so a path holds at
// most 255 characters before its terminating NUL.
constexpr std::size_t kVersionPathSize = 256;

// Path of the translation entry (language and code page pairs).
extern const char kVersionTranslationPath[];  // "\VarFileInfo\Translation"

// Formats the path of the string value `name` into `out`.
//
// `translation` and `translationLength` are the translation entry's value as
// the query returned it (null when the query failed). Exactly one pair (4
// bytes, little-endian: language in the low 16 bits, code page in the high 16)
// selects that pair's table. Anything else (no entry, or several pairs) falls
// back to `userLanguage` with code page 04B0.
//
// A path longer than 255 characters does not fit: `out` is then left empty
// and the result is false. The caller treats that like a missing value (an
// empty text), since a cut-off name could match a different key.
// A null `name` counts as the empty name.
bool FormatVersionPath(char (&out)[kVersionPathSize], const void* translation,
                       std::size_t translationLength, std::uint16_t userLanguage,
                       const char* name);
