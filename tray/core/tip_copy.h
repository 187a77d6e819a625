#pragma once
#include <cstddef>

// Answers whether a byte starts a double-byte character in the code page the
// text is in. Injected so the copy can be exercised with any code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

// Copies `text` into a fixed text field of `fieldSize` bytes, taking at most
// `maxBytes` bytes of text (and never more than fieldSize - 1) and never
// splitting a double-byte character: a lead byte whose trail byte would fall
// beyond the bound is left out, and so is a lead byte whose trail is the
// text's end. The whole field is zeroed first, so the text always ends within
// it. A null `text` gives an empty field. Answers the number of bytes copied.
std::size_t CopyMultibyteBounded(char* field, std::size_t fieldSize, const char* text,
                                 std::size_t maxBytes, LeadBytePredicate isLeadByte);
