#pragma once
// A file replaced by renames alone, where the system's rename cannot replace
// (MoveFile of the 9x family). The new content, complete and flushed under a
// name of its own, is renamed to target.new.tmp; the old file moves aside to
// target.old.tmp, the new one into place, and the old one is deleted. Only a
// finished file ever bears the .new.tmp name, so a replacement cut at any
// point is finished by the next look at the target, never undone: the old
// copy is only ever deleted, and a target deleted after a cut stays deleted.
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
// place. False when target is a folder or a step fails: the target is then
// as it was and the new content gone (written, if still there, is the
// caller's to delete), or, when the new content was already on its way in,
// the target is missing and the next look puts the new content there.
bool ReplaceByRenames(RenameFiles& files, const std::string& written, const std::string& target);

// Finishes a replacement of target that was cut: a finished new content goes
// in, a leftover old copy is deleted. A folder is never moved.
void FinishCutReplacement(RenameFiles& files, const std::string& target);

}  // namespace iz
