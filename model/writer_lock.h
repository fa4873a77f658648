#pragma once
// One writer at a time: every command that changes settings holds the lock
// for its whole run, so that two copies of the program never interleave
// their writes, nor their records of them.
#include "model/platform.h"
#include "store/error.h"

namespace iz {

inline constexpr const char* kAnotherCopyWriting =
    "Another copy of Internet Zelvora is changing the settings; try again when it has finished.";

class WriterLock {
 public:
  // Raises kAnotherCopyWriting when another copy holds the lock.
  explicit WriterLock(Platform& platform) : platform_(platform) {
    if (!platform_.TakeWriterLock()) throw Error(kAnotherCopyWriting);
  }
  ~WriterLock() { platform_.ReleaseWriterLock(); }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
  Platform& platform_;
};

}  // namespace iz
