#pragma once
// The system error numbers that the list file's sequences act on. The core
// carries them as plain numbers, so its tests can inject them.

namespace file_error {

constexpr unsigned long kNone = 0;
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kNotEnoughMemory = 8;
constexpr unsigned long kReadFault = 30;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kLockViolation = 33;
constexpr unsigned long kFileExists = 80;
constexpr unsigned long kAlreadyExists = 183;
// What ReplaceFile answers when it stopped part way.
constexpr unsigned long kUnableToRemoveReplaced = 1175;
constexpr unsigned long kUnableToMoveReplacement = 1176;
constexpr unsigned long kUnableToMoveReplacement2 = 1177;

// Another program (a virus scanner, an indexer, a sync client) holds the
// file for a moment.
inline bool IsBusy(unsigned long error) { return error == kSharingViolation || error == kLockViolation; }

inline bool IsNotFound(unsigned long error) { return error == kFileNotFound || error == kPathNotFound; }

inline bool IsExisting(unsigned long error) { return error == kFileExists || error == kAlreadyExists; }

}  // namespace file_error
