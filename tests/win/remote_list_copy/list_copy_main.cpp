// One copy of the program's list handling, as a window open on the shared
// list file keeps it: loaded once, then one added entry saved per round.
// The two-copies test starts two of these and lets them save at the same
// moment.
//
// usage: remote_list_copy LIST_PATH TAG ROUNDS SYNC_PREFIX
// Waits for the event SYNC_PREFIX.go.N before round N and releases the
// semaphore SYNC_PREFIX.done after loading and after each round. Prints its
// counts; the exit code is the number of failed saves (100 + a setup fault).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "afx/handles.h"
#include "remote/core/computer_rows.h"
#include "remote/core/list_change.h"
#include "remote/core/list_file_keeper.h"
#include "remote/list_file_io.h"
#include "remote/win_list_file_system.h"

namespace {

// Far beyond a round's work even on an emulated processor: only a hung
// partner gets here.
constexpr DWORD kRoundWaitMs = 120000;

ComputerEntry EntryFor(const std::string& tag, int round) {
  char mac[32];
  std::snprintf(mac, sizeof mac, "%02x-00-00-00-%02x-%02x", static_cast<unsigned>(tag[0]) & 0xFF,
                (round >> 8) & 0xFF, round & 0xFF);
  return {tag + std::to_string(round), mac, "40000"};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: remote_list_copy LIST_PATH TAG ROUNDS SYNC_PREFIX\n");
    return 100;
  }
  const std::string path = argv[1];
  const std::string tag = argv[2];
  const int rounds = std::atoi(argv[3]);
  const std::string prefix = argv[4];
  KernelHandle done(::OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (prefix + ".done").c_str()));
  if (!done || tag.empty()) return 101;

  WinListFileSystem files;
  ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
  ComputerTable rows;
  const ListLoadState loaded = keeper.Load(path, rows).state;
  if (loaded != ListLoadState::kLoaded && loaded != ListLoadState::kNoFile) return 102;
  ::ReleaseSemaphore(done.get(), 1, nullptr);

  int failed = 0, reread = 0;
  for (int round = 0; round < rounds; ++round) {
    KernelHandle go(::OpenEventA(SYNCHRONIZE, FALSE, (prefix + ".go." + std::to_string(round)).c_str()));
    if (!go || ::WaitForSingleObject(go.get(), kRoundWaitMs) != WAIT_OBJECT_0) return 103;
    // As the add handler does: the row on top, then the save with the change.
    const ComputerEntry entry = EntryFor(tag, round);
    rows.InsertRow(0, entry.name);
    rows.SetText(0, 1, entry.mac);
    rows.SetText(0, 2, entry.port);
    const ListSaveResult saved = keeper.Save(path, rows, {ListChange::Kind::kAdd, {}, entry});
    if (saved.error != 0) ++failed;
    if (saved.reread) ++reread;
    ::ReleaseSemaphore(done.get(), 1, nullptr);
  }
  std::printf("copy %s: %d rounds, %d saves failed, %d found the other copy's save\n", tag.c_str(), rounds, failed,
              reread);
  std::fflush(stdout);
  return failed;
}
