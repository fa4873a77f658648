#pragma once
// The saved registry state of the backup, as REGEDIT4 text that regedit can
// import as well: a writer and a strict reader, both pure (text in, text out)
// so that they can be tested and fuzzed without a registry.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/raw_registry.h"

namespace iz {

// One value as it stood when it was saved: its stored type and bytes, or the
// fact that it did not exist ("Name"=- in the file).
struct RegValueRecord {
  HKey root = kHKLM;
  std::string keyPath;  // below the root, no leading backslash
  std::string name;     // empty: the key's default value ("@")
  bool present = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;

  bool operator==(const RegValueRecord& o) const;
};

// The limits of a saved file, written once: the writers refuse what the
// reader would refuse, so that no file is said to be saved that cannot be
// read back. A value may hold at most 64 KiB, a file at most 1 MiB (a file of
// the whole map is a few kilobytes), a text in quotes no control character.
inline constexpr std::size_t kMaxRegValueBytes = 64 * 1024;
inline constexpr std::uint64_t kMaxSavedFileBytes = 1u << 20;
inline constexpr const char* kValueTooLong =
    "%s is longer than 64 KiB, more than Undo and Restore can read back";
inline constexpr const char* kSavedFileTooLarge =
    "The settings would make a file larger than 1 MiB, more than Undo and Restore can read back";
// The reason a text in quotes (a Win.ini entry, a name) cannot be written, or
// nullptr when it can: the reader takes a line break for the end of a line.
const char* QuotedTextRefusal(const std::string& text);

// A value and its key as the user finds them in a registry editor:
// "HKLM\System\...\DefaultTTL", "@" for a key's default value.
std::string ValueLabel(const RegValueRecord& r);

// The file text: "REGEDIT4", a blank line, then one [ROOT\key] section per
// key (keys compared without regard to case, in order of first appearance)
// holding its values in the given order. Lines end with CR LF. Raises
// kValueTooLong naming the first value over the limit, and kSavedFileTooLarge.
std::string WriteRegFile(const std::vector<RegValueRecord>& records);

// A name or text in the file's quotes, with backslash and quote escaped.
std::string Quoted(const std::string& text);
// The same appended to out, without a string of its own.
void AppendQuoted(std::string& out, const std::string& text);

struct RegFileParse {
  std::vector<RegValueRecord> records;  // in file order
  std::vector<int> lines;               // the line number of each record
  int badLine = 0;                      // 0: the whole text is valid
  std::string badText;                  // that line, printable and at most 80 characters
  std::string reason;
  bool ok() const { return badLine == 0; }
};

// Reads the whole text (the writer's form, with comments and either line
// break). Anything it does not understand (an unknown line, root or type, bad
// escapes or hex, a value outside a section, the same value twice, a last
// line cut off before its line break) makes the whole text invalid: the
// result names the first such line and holds no records. So does a value of
// more than kMaxRegValueBytes, and, when accept is given, the first record it
// refuses ("not a setting that the backup saves"): the reader stops there.
inline constexpr std::size_t kMaxQuotedChars = 80;
// "Line 3 of C:\\...\\Registry.reg ("x"=-) is not valid: reason", the text in
// brackets only when there is one.
std::string InvalidLineText(int line, const std::string& path, const std::string& text,
                            const std::string& reason);
RegFileParse ReadRegFile(const std::string& text,
                         const std::function<bool(const RegValueRecord&)>& accept = nullptr);

}  // namespace iz
