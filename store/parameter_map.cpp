#include "store/parameter_map.h"

#include <cctype>

namespace iz::map {

namespace {

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b)))
      return false;
  }
  return *a == *b;
}

const char* WithoutLeadingBackslash(const char* path) { return *path == '\\' ? path + 1 : path; }

}  // namespace

bool SameKeyPath(const char* a, const char* b) {
  return EqualNoCase(WithoutLeadingBackslash(a), WithoutLeadingBackslash(b));
}

bool SameName(const char* a, const char* b) { return EqualNoCase(a, b); }

const Location* FindLocation(HKey root, const char* key, const char* value) {
  for (const Location& l : kParameterMap) {
    if (l.root == root && SameKeyPath(l.key, key) && SameName(l.value, value)) return &l;
  }
  return nullptr;
}

}  // namespace iz::map
