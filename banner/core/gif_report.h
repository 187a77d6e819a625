#pragma once
#include <cstdint>
#include <ostream>

// Writes what the banner control would make of these bytes: for a GIF it
// accepts, one line per frame it would try, in file order,
//   frame I left L top T width W height H delay D wait_ms M disposal X bytes B
// (I counts from 0, bytes is the extracted frame's length), then
//   show: nothing | still | animation
// Every frame that splits out is assumed to decode, as is a still picture
// the control accepts.
void WriteGifReport(const std::uint8_t* data, std::uint32_t length, std::ostream& out);
