#pragma once
#include <ostream>

// Each subcommand writes its report to out and returns the process exit code.

// One line per row, its fields separated by tabs, control bytes and
// backslashes escaped (\t \n \r \0 \\ \xHH; a Shift-JIS lead byte without a
// second byte after it as \xHH); then "result: TRUE" or
// "result: FALSE", the answer the program's load gives. A file that can't be
// read gives "result: TRUE" (the program then keeps its list as it is), the
// reason on err, and exit code 1.
int InspectList(const char* path, std::ostream& out, std::ostream& err);
int InspectPacket(const char* macText, std::ostream& out);
int InspectGif(const char* path, std::ostream& out);
