#include "tools/varoinspect/inspect.h"

int InspectPacket(const char* /*macText*/, std::ostream& out) {
  out << "not available in this build\n";
  return 1;
}
