#pragma once
// Files in memory with the faults of a real disk, for the list file's tests.
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "remote/core/file_errors.h"
#include "remote/core/list_file_system.h"

namespace list_test {

class FakeListFiles : public ListFileSystem {
 public:
  static constexpr Error kDiskFull = 112;
  static constexpr Error kNotSupported = 50;

  std::map<std::string, Bytes> files;
  std::map<std::string, std::string> attributes;  // what a replace keeps and a rename does not
  std::map<std::string, int> busyFor;             // path: how many more calls find it held open
  bool listReadable = true;                       // false: access denied on reading the list
  bool folderWritable = true;                     // false: no new file in the folder
  bool listWritable = true;                       // false: the list file itself is read-only
  Error replaceAnswer = file_error::kNone;        // a replace that fails with this
  bool renameFails = false;
  int uniqueNamesLeft = -1;           // how many more unique files can be made; -1: any number
  std::size_t writeLimit = SIZE_MAX;  // writes of more bytes stop there and fail
  std::size_t maxPath = SIZE_MAX;     // longer names are refused as the system does
  std::function<void()> duringWrite;  // runs once, inside the next write of a new file
  unsigned pausedMs = 0;
  std::function<void()> duringPause;  // runs in each pause, as another program would meanwhile
  bool lockAvailable = true;  // false: no lock across copies can be had
  int locksTaken = 0;
  int locksHeld = 0;

  explicit FakeListFiles(std::string listPath) : list_(std::move(listPath)) {}

  bool Has(const std::string& path) const { return files.count(path) != 0; }

  Error OpenForReading(const std::string& path, std::unique_ptr<ByteSource>& file) override {
    if (Busy(path)) return file_error::kSharingViolation;
    if (!Has(path)) return file_error::kFileNotFound;
    if (path == list_ && !listReadable) return file_error::kAccessDenied;
    file = std::make_unique<MemoryByteSource>(files[path]);
    return file_error::kNone;
  }
  Error CopyToNewFile(const std::string& source, const std::string& target) override {
    if (Busy(source)) return file_error::kSharingViolation;
    if (!Has(source)) return file_error::kFileNotFound;
    if (source == list_ && !listReadable) return file_error::kAccessDenied;
    if (target.size() > maxPath) return file_error::kPathNotFound;
    if (Has(target)) return file_error::kFileExists;
    if (!folderWritable) return file_error::kAccessDenied;
    files[target] = files[source];
    return file_error::kNone;
  }
  Error CreateUniqueFile(const std::string& beside, std::string& created) override {
    if (!folderWritable || uniqueNamesLeft == 0) return file_error::kAccessDenied;
    if (uniqueNamesLeft > 0) --uniqueNamesLeft;
    const std::size_t slash = beside.find_last_of('\\');
    do {
      created = beside.substr(0, slash + 1) + "vt" + std::to_string(++unique_) + ".tmp";
    } while (Has(created));
    files[created] = {};
    return file_error::kNone;
  }
  Error WriteWholeFile(const std::string& path, const Bytes& bytes) override {
    if (duringWrite) std::exchange(duringWrite, nullptr)();
    return Write(path, bytes);
  }
  Error ReplaceKeepingAttributes(const std::string& target, const std::string& replacement,
                                 const std::string& aside) override {
    if (Busy(target) || Busy(replacement)) return file_error::kSharingViolation;
    if (!Has(target)) return file_error::kFileNotFound;
    if (replaceAnswer == file_error::kUnableToMoveReplacement2) {
      Move(target, aside);
      return replaceAnswer;
    }
    // Without a backup name the system has already removed the list.
    if (replaceAnswer == file_error::kUnableToMoveReplacement && aside.empty()) {
      RemoveFile(target);
      return replaceAnswer;
    }
    if (replaceAnswer != file_error::kNone) return replaceAnswer;
    const std::string kept = attributes[target];
    if (!aside.empty()) Move(target, aside);
    Move(replacement, target);
    attributes[target] = kept;
    return file_error::kNone;
  }
  Error MoveOver(const std::string& source, const std::string& target) override {
    if (Busy(source) || Busy(target)) return file_error::kSharingViolation;
    if (!Has(source)) return file_error::kFileNotFound;
    if (renameFails) return file_error::kAccessDenied;
    Move(source, target);
    return file_error::kNone;
  }
  Error MoveIfAbsent(const std::string& source, const std::string& target) override {
    if (Has(target)) return file_error::kAlreadyExists;
    return MoveOver(source, target);
  }
  Error OverwriteInPlace(const std::string& path, const Bytes& bytes) override {
    if (Busy(path)) return file_error::kSharingViolation;
    if (!Has(path)) return file_error::kFileNotFound;
    if (path == list_ && !listWritable) return file_error::kAccessDenied;
    // A write that fails part way puts the old bytes back: the file is unchanged.
    if (bytes.size() > writeLimit) return kDiskFull;
    files[path] = bytes;
    return file_error::kNone;
  }
  void RemoveFile(const std::string& path) override {
    files.erase(path);
    attributes.erase(path);
  }
  std::vector<std::string> FindLeftovers(const std::string& listPath) override {
    const std::string folder = listPath.substr(0, listPath.find_last_of('\\') + 1);
    std::vector<std::string> found;
    for (const auto& file : files) {
      const std::string& name = file.first;
      if (name.rfind(folder + "vt", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) {
        found.insert(found.begin(), name);
      }
    }
    return found;
  }
  std::unique_ptr<ListFileLock> LockList(const std::string&) override {
    if (!lockAvailable) return nullptr;
    ++locksTaken;
    return std::make_unique<Lock>(locksHeld);
  }
  void Pause(unsigned milliseconds) override {
    pausedMs += milliseconds;
    if (duringPause) duringPause();
  }

 private:
  class Lock : public ListFileLock {
   public:
    explicit Lock(int& held) : held_(held) { ++held_; }
    ~Lock() override { --held_; }

   private:
    int& held_;
  };

  bool Busy(const std::string& path) {
    auto it = busyFor.find(path);
    if (it == busyFor.end() || it->second == 0) return false;
    --it->second;
    return true;
  }
  Error Write(const std::string& path, const Bytes& bytes) {
    if (bytes.size() > writeLimit) {
      files[path] = Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(writeLimit));
      return kDiskFull;
    }
    files[path] = bytes;
    return file_error::kNone;
  }
  void Move(const std::string& source, const std::string& target) {
    files[target] = files[source];
    attributes[target] = attributes[source];
    files.erase(source);
    attributes.erase(source);
  }

  std::string list_;
  int unique_ = 0;
};

}  // namespace list_test
