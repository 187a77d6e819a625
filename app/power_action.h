#pragma once
// The system side of the power step: the shutdown privilege and the exit call.
#include <cstdint>
#include <string>

// Enables the shutdown privilege in the process token, then asks the system
// to carry out `action` (PowerAction bits) with the flags of ExitFlagsFor,
// which may clear `force`. Answers 0 when the system took the request, else
// the error of the refused exit call (a missing privilege, a policy, a veto).
std::uint32_t RequestPowerAction(std::uint32_t action, std::int32_t& force);

// The message for a refused power action: the string-table text with the
// system's own description of `error` and its number.
std::string RefusedPowerActionText(std::uint32_t error);
