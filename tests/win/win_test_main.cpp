// Entry point of the Windows test programs.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  std::fflush(stderr);
  // Under Wine on an emulated processor the process exit now and then stalls
  // while libraries a test loaded are torn down. The results are out; end here.
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
