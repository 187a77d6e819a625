#include <cstring>
#include <iostream>

#include "tools/varoinspect/inspect.h"

namespace {

int Usage() {
  std::cerr << "usage: varoinspect list FILE\n"
               "       varoinspect packet MACTEXT\n"
               "       varoinspect gif FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  if (std::strcmp(argv[1], "list") == 0) return InspectList(argv[2], std::cout, std::cerr);
  if (std::strcmp(argv[1], "packet") == 0) return InspectPacket(argv[2], std::cout);
  if (std::strcmp(argv[1], "gif") == 0) return InspectGif(argv[2], std::cout);
  return Usage();
}
