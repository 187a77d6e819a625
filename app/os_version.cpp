#include "app/os_version.h"

#include <cstring>

#include "app/core/exit_flags.h"

namespace {

// Size fields of the record's basic and extended forms.
constexpr DWORD kBasicRecordSize = 148;
constexpr DWORD kExtendedRecordSize = 156;
static_assert(sizeof(OSVERSIONINFOA) == kBasicRecordSize, "basic version record");
static_assert(sizeof(OSVERSIONINFOEXA) == kExtendedRecordSize, "extended version record");

// Zero-initialised before any dynamic initialisation runs.
OSVERSIONINFOEXA s_osVersionInfo;
bool s_osVersionInfoFilled;

bool QueryVersion(DWORD recordSize) {
  std::memset(&s_osVersionInfo, 0, sizeof s_osVersionInfo);
  s_osVersionInfo.dwOSVersionInfoSize = recordSize;
  return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&s_osVersionInfo)) != FALSE;
}

// Fills the record before the application starts.
const struct OsVersionFiller {
  OsVersionFiller() { FillOsVersionInfo(); }
} s_osVersionFiller;

}  // namespace

void FillOsVersionInfo() {
  if (s_osVersionInfoFilled) return;
  if (!QueryVersion(kBasicRecordSize)) return;
  s_osVersionInfoFilled = true;
  // The extended form exists from NT 5 on; older systems refuse its size.
  if (s_osVersionInfo.dwPlatformId == kPlatformWin32Nt && s_osVersionInfo.dwMajorVersion >= 5) {
    QueryVersion(kExtendedRecordSize);
  }
}

const OSVERSIONINFOEXA& OsVersionInfo() { return s_osVersionInfo; }

bool OsVersionInfoFilled() { return s_osVersionInfoFilled; }

bool IsNt5OrLater() {
  return IsNt5OrLater(s_osVersionInfo.dwPlatformId, s_osVersionInfo.dwMajorVersion, s_osVersionInfoFilled);
}
