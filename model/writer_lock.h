#pragma once
// One writer at a time: every command that changes settings holds the lock
// for its whole run, so that two copies of the program never interleave
// their writes, nor their records of them.
#include <string>

#include "model/platform.h"
#include "store/error.h"

namespace iz {

inline constexpr const char* kAnotherCopyWriting =
    "Another copy of Internet Zelvora is changing the settings; try again when it has finished.";

// The lock is made so that only Administrators and SYSTEM may open it. One
// that another account made first is not another copy at work but a lock
// no copy can ever take: whoever runs the program is told which account.
inline bool LockOwnerTrusted(const std::string& sid) {
  return sid == "S-1-5-32-544" || sid == "S-1-5-18";
}

// Why the lock could not be taken: stranger is the account that made it
// when that is neither of the trusted ones, empty when another copy holds it.
inline std::string WriterLockRefusal(const std::string& stranger) {
  if (stranger.empty()) return kAnotherCopyWriting;
  return "The lock that keeps two copies of Internet Zelvora from writing at once is held by "
         "the account " +
         stranger +
         ", which is not an administrator; close the program that holds it, or restart Windows, "
         "and try again.";
}

class WriterLock {
 public:
  // Raises WriterLockRefusal's text when the lock cannot be taken.
  explicit WriterLock(Platform& platform) : platform_(platform) {
    std::string stranger;
    if (!platform_.TakeWriterLock(&stranger)) throw Error(WriterLockRefusal(stranger));
  }
  ~WriterLock() { platform_.ReleaseWriterLock(); }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
  Platform& platform_;
};

}  // namespace iz
