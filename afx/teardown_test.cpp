// A window of the class layer destroyed during static teardown, after the
// per-thread objects of the main thread are gone: its messages must still
// dispatch safely. Static teardown depends on the compiler's runtime, and the
// shipped program's differs from the test programs' (win32 threads, not
// POSIX ones): the check runs in teardown_child.exe, built as the program is
// and copied beside this test, which runs it and reads its verdict.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "afx/handles.h"

namespace {

// Runs the child; answers its exit status and what it wrote.
DWORD RunChild(std::string& output) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string child = self;
  child.erase(child.find_last_of('\\') + 1);
  child += "teardown_child.exe";
  if (::GetFileAttributesA(child.c_str()) == INVALID_FILE_ATTRIBUTES) {
    output = "missing: " + child;
    return 1003;
  }
  std::string command = "\"" + child + "\"";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  KernelHandle readEnd;
  KernelHandle writeEnd;
  if (!::CreatePipe(readEnd.receive(), writeEnd.receive(), &inherit, 0)) return 1000;
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info = {};
  const BOOL started =
      ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  writeEnd.reset();  // the child's copy is the only writer left
  if (!started) return 1001;
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  char buffer[512];
  DWORD got = 0;
  while (::ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  DWORD status = 1002;
  if (::WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.get(), &status);
  return status;
}

TEST(StaticTeardown, AWindowDestroyedByAStaticDestructorStillDispatchesSafely) {
  std::string output;
  EXPECT_EQ(RunChild(output), 0u) << output;
  EXPECT_NE(output.find("static teardown: dispatch checked after the per-thread objects were destroyed"),
            std::string::npos)
      << output;
}

}  // namespace
