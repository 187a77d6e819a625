#include "tools/varoinspect/inspect.h"

int InspectList(const char* /*path*/, std::ostream& out) {
  out << "not available in this build\n";
  return 1;
}
