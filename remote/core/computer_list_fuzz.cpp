// Loads arbitrary bytes as a list file, then checks that what was loaded
// saves and loads back unchanged, and that the chunking of reads changes
// nothing.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "remote/core/computer_list_file.h"
#include "remote/core/list_test_support.h"

namespace {

struct Outcome {
  bool result;
  std::vector<ComputerEntry> rows;
};

Outcome Load(std::vector<std::uint8_t> bytes, std::size_t chunk) {
  MemoryByteSource source(std::move(bytes), chunk);
  ComputerTable rows;
  const bool result = LoadComputerList(source, rows, list_test::AsciiOrQuestionMark);
  return {result, rows.Entries()};
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const Outcome whole = Load(bytes, SIZE_MAX);

  const std::size_t chunk = size == 0 ? 1 : 1 + data[0] % 64;
  const Outcome chunked = Load(bytes, chunk);
  Check(chunked.result == whole.result && chunked.rows == whole.rows);

  ComputerTable loaded(whole.rows);
  const Outcome again = Load(EncodeComputerList(loaded), SIZE_MAX);
  Check(again.result && again.rows == whole.rows);
  return 0;
}
