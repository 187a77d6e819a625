#include "tools/varoinspect/inspect.h"

int InspectGif(const char* /*path*/, std::ostream& out) {
  out << "not available in this build\n";
  return 1;
}
