// The start-up's library search setting. Wine 8 treats an empty folder like
// no setting at all and keeps searching the current folder, so the effect
// itself shows only on Windows; here: what is asked of the system, and that
// the system's call is found and accepts it. The end-to-end scenario
// test_library_search checks that the shipped program makes the call.
#include "afx/library_search.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int g_calls = 0;
const char* g_folder = nullptr;
BOOL g_answer = TRUE;

BOOL WINAPI FakeSetDllDirectory(LPCSTR folder) {
  ++g_calls;
  g_folder = folder;
  return g_answer;
}

TEST(LibrarySearch, AsksForAnEmptyFolderNotTheDefaultOrder) {
  for (BOOL answer : {TRUE, FALSE}) {
    g_calls = 0;
    g_folder = nullptr;
    g_answer = answer;
    EXPECT_EQ(RemoveCurrentFolderFromLibrarySearch(&FakeSetDllDirectory), answer == TRUE);
    EXPECT_EQ(g_calls, 1);
    ASSERT_NE(g_folder, nullptr) << "null would restore the search of the current folder";
    EXPECT_EQ(std::string(g_folder), "");
  }
}

TEST(LibrarySearch, SystemWithoutTheCallIsLeftAsItIs) {
  EXPECT_FALSE(RemoveCurrentFolderFromLibrarySearch(nullptr));
}

TEST(LibrarySearch, TheSystemCallIsFoundAndTakesTheSetting) {
  const SetDllDirectoryCall call = FindSetDllDirectory();
  ASSERT_NE(call, nullptr);
  EXPECT_TRUE(RemoveCurrentFolderFromLibrarySearch(call));
  char folder[MAX_PATH] = "x";
  // The folder now set is empty (and not the default: nothing to tell them
  // apart by here but the answer above).
  using GetDllDirectoryCall = DWORD(WINAPI*)(DWORD, LPSTR);
  const auto getDllDirectory = reinterpret_cast<GetDllDirectoryCall>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetDllDirectoryA"));
  ASSERT_NE(getDllDirectory, nullptr);
  EXPECT_EQ(getDllDirectory(MAX_PATH, folder), 0u);
  EXPECT_EQ(folder[0], '\0');
  call(nullptr);  // the later tests of this program load as usual
}

}  // namespace
