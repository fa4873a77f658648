#pragma once
// A file replaced by renames alone, where the system's rename cannot replace
// (MoveFile of the 9x family). The new content, complete and flushed under a
// name of its own, is renamed to target.new.tmp; the old file moves aside to
// target.old.tmp, the new one into place, and the old one is deleted. A new
// file (no target yet) takes its name in one rename.
//
// A replacement cut at any point is mended by the next look at the target,
// and the mend never puts anything older than what is there now in place:
//  - the target missing with its old copy aside (the cut fell between the
//    two renames): the new content goes in;
//  - the target there, or missing with no old copy aside (another program
//    wrote or deleted it since): target.new.tmp is deleted, as the command
//    that was cut never said it had succeeded;
//  - a leftover target.old.tmp is deleted.
// So a target deleted after a replacement (finished or cut) stays deleted,
// and one written since is kept.
#include <string>

namespace iz {

enum class PathKind { Missing, File, Folder };

// The file system as the replacement uses it.
class RenameFiles {
 public:
  virtual ~RenameFiles() = default;
  virtual PathKind KindOf(const std::string& path) = 0;
  // Fails when to exists.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// Puts written, a complete and flushed file beside target, in target's
// place. False when target is a folder, a leftover of an earlier cut cannot
// be cleared, or a step fails: the target is then as it was and the new
// content gone (written, if still there, is the caller's to delete), or,
// when the new content was already on its way in, the target is missing
// and the next look puts the new content there.
bool ReplaceByRenames(RenameFiles& files, const std::string& written, const std::string& target);

// Mends a replacement of target that was cut, as above. A folder is never
// moved.
void FinishCutReplacement(RenameFiles& files, const std::string& target);

}  // namespace iz
