#pragma once
// The UDP port of the wake datagram from the dialog's port text.
#include <string>

// Reads text as a decimal number the way atol does (leading blanks, a sign,
// digits up to the first other character; none gives 0) and keeps it modulo
// 65536: "70000" gives 4464, "-1" gives 65535. Values beyond the 32-bit range
// saturate first, as the C library's conversion does.
unsigned short WakePortFromText(const std::string& text);
