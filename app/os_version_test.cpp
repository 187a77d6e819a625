// The version record, filled during static initialisation, against GetVersion.
#include "app/os_version.h"

#include <gtest/gtest.h>

TEST(OsVersion, FilledAtStartAndAgreesWithTheSystem) {
  ASSERT_TRUE(OsVersionInfoFilled());
  const OSVERSIONINFOEXA& info = OsVersionInfo();
  const DWORD version = ::GetVersion();
  const bool nt = (version & 0x80000000u) == 0;
  EXPECT_EQ(info.dwMajorVersion, version & 0xFFu);
  EXPECT_EQ(info.dwPlatformId, nt ? DWORD{VER_PLATFORM_WIN32_NT} : DWORD{VER_PLATFORM_WIN32_WINDOWS});
  EXPECT_EQ(IsNt5OrLater(), nt && info.dwMajorVersion >= 5);
  // The extended form is asked for on NT 5 and later only.
  EXPECT_EQ(info.dwOSVersionInfoSize, IsNt5OrLater() ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA));
}
