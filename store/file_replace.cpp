#include "store/file_replace.h"

namespace iz {

namespace {

std::string Finished(const std::string& target) { return target + ".new.tmp"; }
std::string Aside(const std::string& target) { return target + ".old.tmp"; }

// The finished file beside target goes in: the target aside, the finished
// file into its place, the old copy away.
bool PutFinishedInPlace(RenameFiles& files, const std::string& target) {
  const std::string aside = Aside(target);
  // Older than the target, whatever cut left it.
  if (files.KindOf(aside) == PathKind::File) files.Remove(aside);
  switch (files.KindOf(target)) {
    case PathKind::Folder:
      return false;
    case PathKind::File:
      if (!files.Rename(target, aside)) return false;
      break;
    case PathKind::Missing:
      break;
  }
  if (!files.Rename(Finished(target), target)) return false;
  files.Remove(aside);
  return true;
}

}  // namespace

bool ReplaceByRenames(RenameFiles& files, const std::string& written, const std::string& target) {
  if (files.KindOf(target) == PathKind::Folder) return false;
  // A finished file of an earlier, cut replacement holds the name this one needs.
  FinishCutReplacement(files, target);
  if (!files.Rename(written, Finished(target))) return false;
  if (PutFinishedInPlace(files, target)) return true;
  // With the target untouched the replacement failed as a whole; with it
  // aside, the new content is the one to come in.
  if (files.KindOf(target) != PathKind::Missing) files.Remove(Finished(target));
  return false;
}

void FinishCutReplacement(RenameFiles& files, const std::string& target) {
  if (files.KindOf(Finished(target)) == PathKind::File) {
    PutFinishedInPlace(files, target);
  } else if (files.KindOf(Aside(target)) == PathKind::File) {
    files.Remove(Aside(target));
  }
}

}  // namespace iz
