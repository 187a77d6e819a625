// The decision shared between sessions, with two processes of one prefix,
// each standing for the copy of the program in one session. The second
// process is this test program started again with VARO_SHARED_FIRE_CHILD
// set: it plays its part before the tests would run, and ends.
#include "app/shared_fire.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/core/exit_flags.h"

namespace {

constexpr char kChildVariable[] = "VARO_SHARED_FIRE_CHILD";

HANDLE NamedEvent(const std::string& name) { return ::CreateEventA(nullptr, TRUE, FALSE, name.c_str()); }

// The child's parts: "cancel KEY", "claim KEY" (exit 1 when it got the
// claim), "claim-hold KEY" (claims, says so, holds until told to end, exits
// 1 when it got the claim), "wait-cancel KEY" (exits 1 once it saw a cancel).
int RunChild(const std::string& part, const std::string& key) {
  SharedFire fire(key);
  KernelHandle ready(NamedEvent("VaroSharedFireTest.Ready." + key));
  KernelHandle end(NamedEvent("VaroSharedFireTest.End." + key));
  if (part == "cancel") {
    fire.Cancel();
    return 0;
  }
  if (part == "claim") return fire.Claim() ? 1 : 0;
  if (part == "claim-hold") {
    const bool claimed = fire.Claim();
    ::SetEvent(ready.get());
    ::WaitForSingleObject(end.get(), 60000);
    return claimed ? 1 : 0;
  }
  if (part == "wait-cancel") {
    ::SetEvent(ready.get());
    for (int i = 0; i < 600; ++i) {
      if (fire.IsCancelled()) return 1;
      ::Sleep(100);
    }
    return 0;
  }
  return 2;
}

struct ChildPart {
  ChildPart() {
    char value[256] = {};
    if (::GetEnvironmentVariableA(kChildVariable, value, sizeof value) == 0) return;
    const std::string text = value;
    const std::size_t space = text.find(' ');
    ::ExitProcess(static_cast<UINT>(RunChild(text.substr(0, space), text.substr(space + 1))));
  }
} g_childPart;

class Child {
 public:
  Child(const std::string& part, const std::string& key) {
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ::SetEnvironmentVariableA(kChildVariable, (part + " " + key).c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string command = std::string("\"") + exe + "\"";
    if (::CreateProcessA(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      m_process.reset(info.hProcess);
      ::CloseHandle(info.hThread);
    }
    ::SetEnvironmentVariableA(kChildVariable, nullptr);
  }
  bool Started() const { return static_cast<bool>(m_process); }
  // Waits for its end (generously: a process start under emulation is slow).
  DWORD ExitCode() {
    if (::WaitForSingleObject(m_process.get(), 120000) != WAIT_OBJECT_0) return 99;
    DWORD code = 98;
    ::GetExitCodeProcess(m_process.get(), &code);
    return code;
  }

 private:
  KernelHandle m_process;
};

bool WaitFor(const std::string& eventName) {
  KernelHandle event(NamedEvent(eventName));
  return ::WaitForSingleObject(event.get(), 120000) == WAIT_OBJECT_0;
}

std::string UniqueKey(const char* name) { return std::string(name) + "." + std::to_string(::GetCurrentProcessId()); }

TEST(SharedFire, ACancelInOneCopyCancelsTheOther) {
  const std::string key = UniqueKey("cancel");
  SharedFire mine(key);
  EXPECT_FALSE(mine.IsCancelled());
  Child other("cancel", key);
  ASSERT_TRUE(other.Started());
  EXPECT_EQ(other.ExitCode(), 0u);
  EXPECT_TRUE(mine.IsCancelled());
  EXPECT_FALSE(mine.Claim());  // nobody acts once a copy cancelled
}

TEST(SharedFire, TheOtherCopySeesThisOnesCancel) {
  const std::string key = UniqueKey("waitcancel");
  Child other("wait-cancel", key);  // creates the objects before this copy
  ASSERT_TRUE(other.Started());
  ASSERT_TRUE(WaitFor("VaroSharedFireTest.Ready." + key));
  SharedFire mine(key);
  mine.Cancel();
  EXPECT_EQ(other.ExitCode(), 1u);
}

TEST(SharedFire, AtMostOneCopyClaimsTheAction) {
  const std::string first = UniqueKey("claimfirst");
  SharedFire mine(first);
  EXPECT_TRUE(mine.Claim());
  EXPECT_TRUE(mine.Claim());  // asking again keeps the answer
  Child late("claim", first);
  ASSERT_TRUE(late.Started());
  EXPECT_EQ(late.ExitCode(), 0u);

  // The other copy claims first and holds; after it ended (the mutex is
  // abandoned) this copy still does not act: that one may have.
  const std::string second = UniqueKey("claimsecond");
  Child early("claim-hold", second);
  ASSERT_TRUE(early.Started());
  ASSERT_TRUE(WaitFor("VaroSharedFireTest.Ready." + second));
  SharedFire after(second);
  EXPECT_FALSE(after.Claim());
  KernelHandle end(NamedEvent("VaroSharedFireTest.End." + second));
  ::SetEvent(end.get());
  EXPECT_EQ(early.ExitCode(), 1u);
  EXPECT_FALSE(after.Claim());

  // Another second is another decision.
  SharedFire other(UniqueKey("claimthird"));
  EXPECT_TRUE(other.Claim());
}

TEST(SharedFire, NamesLiveInTheNamespaceOfAllSessions) {
  EXPECT_EQ(SharedFire::CancelEventName("1").rfind("Global\\", 0), 0u);
  EXPECT_EQ(SharedFire::ClaimMutexName("1").rfind("Global\\", 0), 0u);
  EXPECT_NE(SharedFire::CancelEventName("1"), SharedFire::CancelEventName("2"));
  // Power off and restart end every session; a log off only its own.
  EXPECT_TRUE(SharesFire(kExitShutdown | kExitPowerOff | kExitForce));
  EXPECT_TRUE(SharesFire(kExitReboot | kExitForce));
  EXPECT_FALSE(SharesFire(kExitLogOff | kExitForce));
  EXPECT_FALSE(SharesFire(kExitLogOff));
  EXPECT_EQ(SharedFireKey(1765321200), "1765321200");
}

}  // namespace
