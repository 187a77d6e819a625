#pragma once
// The system side of the power step: the shutdown privilege and the exit call.
#include <cstdint>

// Enables the shutdown privilege in the process token, then asks the system
// to carry out `action` (PowerAction bits) with the flags of ExitFlagsFor,
// which may clear `force`. Nothing is tested or reported: a missing
// privilege shows only as a refused exit call.
void RequestPowerAction(std::uint32_t action, std::int32_t& force);
