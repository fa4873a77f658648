#include "store/file_replace.h"

namespace iz {

namespace {

std::string Finished(const std::string& target) { return target + ".new.tmp"; }
std::string Aside(const std::string& target) { return target + ".old.tmp"; }

bool RemoveFile(RenameFiles& files, const std::string& path) {
  return files.KindOf(path) != PathKind::File || files.Remove(path);
}

}  // namespace

bool ReplaceByRenames(RenameFiles& files, const std::string& written, const std::string& target) {
  if (files.KindOf(target) == PathKind::Folder) return false;
  // The names this replacement needs must be free, or a cut of this one
  // could not be told from the earlier one.
  FinishCutReplacement(files, target);
  if (files.KindOf(Finished(target)) != PathKind::Missing ||
      files.KindOf(Aside(target)) != PathKind::Missing) {
    return false;
  }
  // Nothing to move aside: a rename that fails when the name is taken is
  // the whole replacement, and leaves nothing for a mend to guess about.
  if (files.KindOf(target) == PathKind::Missing) return files.Rename(written, target);
  if (!files.Rename(written, Finished(target))) return false;
  if (!files.Rename(target, Aside(target))) {
    // The target as it was; the new content never said it was in.
    files.Remove(Finished(target));
    return false;
  }
  // From here the old copy aside tells the mend that the new content is the
  // one to come in.
  if (!files.Rename(Finished(target), target)) return false;
  files.Remove(Aside(target));
  return true;
}

void FinishCutReplacement(RenameFiles& files, const std::string& target) {
  const std::string finished = Finished(target), aside = Aside(target);
  if (files.KindOf(finished) == PathKind::File) {
    // Only the cut between the two renames leaves the target missing and
    // its old copy aside; anything else means the target was written or
    // deleted since, and that is newer than the cut command's content.
    const bool between = files.KindOf(target) == PathKind::Missing &&
                         files.KindOf(aside) == PathKind::File;
    if (between ? !files.Rename(finished, target) : !files.Remove(finished)) {
      return;  // both kept for the next look
    }
  }
  RemoveFile(files, aside);
}

}  // namespace iz
