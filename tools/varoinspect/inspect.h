#pragma once
#include <ostream>

// Each subcommand writes its report to out and returns the process exit code.
int InspectList(const char* path, std::ostream& out);
int InspectPacket(const char* macText, std::ostream& out);
int InspectGif(const char* path, std::ostream& out);
