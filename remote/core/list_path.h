#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Where the computer list file lives: ".\varotimer.dat" in the current
// directory, or in the directory named by the registry value "installpath".

constexpr std::size_t kMaxPathBytes = 260;  // MAX_PATH, terminating zero included
// What the longest backup name adds to the list path: ".999.bak".
constexpr std::size_t kLongestBackupSuffix = 8;

// The caller's zero-filled buffer that ReadInstallPath fills.
using InstallPathBuffer = std::array<char, kMaxPathBytes>;

extern const char kDefaultListPath[];  // ".\varotimer.dat"
extern const char kListFileName[];     // "varotimer.dat"

// The text part of ReadInstallPath: copies the queried value's bytes, up to
// the first zero byte and at most dataSize of them, into buffer. The copy is
// cut so that buffer always keeps a terminating zero, whatever the value holds.
void CopyInstallPathText(const std::uint8_t* data, std::size_t dataSize, InstallPathBuffer& buffer);

// The list file path for the buffer's text. When isExistingDirectory accepts
// the text, the path is the text, a backslash and the file name, joined
// without looking for a separator (a trailing backslash gives two). If that
// path, or its longest backup name, would not fit in MAX_PATH with its
// terminating zero, the default path is kept: a cut path would name another
// file, and a list whose backup can't be named could never be kept.
std::string ResolveListPath(const InstallPathBuffer& installPath,
                            const std::function<bool(const std::string&)>& isExistingDirectory);
