#pragma once
#include <cstdint>

// Flags of the system's exit call (ExitWindowsEx), by their documented values.
constexpr std::uint32_t kExitLogOff = 0x0;
constexpr std::uint32_t kExitShutdown = 0x1;
constexpr std::uint32_t kExitReboot = 0x2;
constexpr std::uint32_t kExitForce = 0x4;
constexpr std::uint32_t kExitPowerOff = 0x8;

// Platform id of the NT family in the system's version record.
constexpr std::uint32_t kPlatformWin32Nt = 2;

// Flags of the exit call for a PowerAction value. The first of 0x10, 0x20,
// 0x40 present decides; none of them counts as power off. Older systems cannot
// force a log off, so there `force` is cleared; otherwise it is left alone.
// A nonzero `force` adds kExitForce.
std::uint32_t ExitFlagsFor(std::uint32_t action, std::int32_t& force, bool isNt5OrLater);

// The version rule: an NT-family system at major version 5 or later. A record
// that was never filled (the version call failed) answers false.
bool IsNt5OrLater(std::uint32_t platformId, std::uint32_t majorVersion, bool filled);
