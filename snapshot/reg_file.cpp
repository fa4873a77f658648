#include "snapshot/reg_file.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "store/error.h"
#include "store/settings_session.h"

namespace iz {

namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kEol = "\r\n";

struct RootName {
  HKey root;
  const char* name;
};
constexpr RootName kRootNames[] = {
    {kHKLM, "HKEY_LOCAL_MACHINE"},
    {kHKCU, "HKEY_CURRENT_USER"},
};

const char* NameOfRoot(HKey root) {
  for (const RootName& r : kRootNames) {
    if (r.root == root) return r.name;
  }
  return nullptr;
}

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool SameText(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

// ---------------------------------------------------------------- writing

// A string value that regedit gets back byte for byte from "text": exactly
// one NUL, at the end, and no line breaks or other control characters.
bool WritableAsText(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] < 0x20) return false;
  }
  return true;
}

// Lower-case hex digits of v, at least `width` of them. Not snprintf: the
// formatted-output engine behind it is a large part of a program that needs
// only these digits.
void AppendHex(std::string& out, std::uint32_t v, std::size_t width) {
  char digits[8];
  std::size_t n = 0;
  do {
    digits[n++] = "0123456789abcdef"[v & 15];
    v >>= 4;
  } while (v != 0 || n < width);
  while (n > 0) out += digits[--n];
}

// The value's data as the file writes it after the "=".
void AppendData(std::string& out, const RegValueRecord& r) {
  if (!r.present) {
    out += '-';
  } else if (r.type == kRegSz && WritableAsText(r.data)) {
    AppendQuoted(out, std::string(r.data.begin(), r.data.end() - 1));
  } else if (r.type == kRegDword && r.data.size() == 4) {
    out += "dword:";
    AppendHex(out, DwordOf(r.data), 8);
  } else {
    // Any other type, or data that the short forms cannot carry exactly.
    if (r.type == kRegBinary) {
      out += "hex:";
    } else {
      out += "hex(";
      AppendHex(out, r.type, 1);
      out += "):";
    }
    for (std::size_t i = 0; i < r.data.size(); ++i) {
      if (i != 0) out += ',';
      AppendHex(out, r.data[i], 2);
    }
  }
}

// ---------------------------------------------------------------- reading

class Reader {
 public:
  Reader(const std::string& text, const std::function<bool(const RegValueRecord&)>& accept)
      : accept_(accept) {
    SplitLines(text);
  }

  RegFileParse Run() {
    const bool headerCut =
        CutOff(0) && std::string(kHeader).compare(0, lines_[0].size(), lines_[0]) == 0;
    if (lines_.empty() || (lines_[0] != kHeader && !headerCut)) {
      Fail(1, "not a REGEDIT4 file");
      return std::move(result_);
    }
    if (CutOff(0)) {
      Fail(1, "line cut off");
      return std::move(result_);
    }
    for (std::size_t index = 1; index < lines_.size(); ++index) {
      if (!ParseLine(index)) return std::move(result_);
    }
    if (const std::size_t repeat = FirstRepeat(); repeat != kNone) Fail(repeat + 1, kTwice);
    return std::move(result_);
  }

 private:
  void SplitLines(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) {
        // The last line has no line break: the file was cut short.
        lines_.push_back(text.substr(start));
        cutOff_ = true;
        return;
      }
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(std::move(line));
      start = end + 1;
    }
  }

  void Fail(int lineNumber, const char* reason) {
    result_.records.clear();
    result_.lines.clear();
    result_.badLine = lineNumber;
    result_.badText = lineNumber >= 1 && static_cast<std::size_t>(lineNumber) <= lines_.size()
                          ? Printable(lines_[lineNumber - 1])
                          : std::string();
    result_.reason = reason;
  }

  // The bad line goes into a message box: control characters and bytes
  // outside ASCII become '?', and a long line is cut with "...".
  static std::string Printable(const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && i < kMaxQuotedChars; ++i) {
      const auto c = static_cast<unsigned char>(line[i]);
      out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    if (line.size() > kMaxQuotedChars) out += "...";
    return out;
  }

  // A value given twice before the line that failed, or on it, is the
  // first fault of the file.
  bool Failed(std::size_t index, const char* reason) {
    const std::size_t repeat = FirstRepeat();
    if (repeat <= index) {
      Fail(static_cast<int>(repeat) + 1, kTwice);
    } else {
      Fail(static_cast<int>(index) + 1, reason);
    }
    return false;
  }

  // The line of the first value whose place an earlier line gave already, or
  // kNone: the places are sorted once, when the reading ends, rather than
  // kept in a tree as they come.
  std::size_t FirstRepeat() {
    std::sort(places_.begin(), places_.end());
    std::size_t first = kNone;
    for (std::size_t i = 1; i < places_.size(); ++i) {
      const bool repeat = places_[i].first == places_[i - 1].first &&
                          (i < 2 || places_[i - 1].first != places_[i - 2].first);
      if (repeat) first = std::min(first, places_[i].second);
    }
    return first;
  }

  static bool HasControl(const std::string& s) {
    for (char c : s) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
    }
    return false;
  }

  static bool Blank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
  }

  // The last line of a text that does not end in a line break was cut short,
  // whatever it looks like.
  bool CutOff(std::size_t index) const { return cutOff_ && index + 1 == lines_.size(); }

  bool ParseLine(std::size_t index) {
    const std::string& line = lines_[index];
    if (CutOff(index)) return Failed(index, "line cut off");
    if (HasControl(line)) return Failed(index, "unexpected control character");
    if (Blank(line) || line[0] == ';') return true;
    if (line[0] == '[') return ParseSection(index);
    if (line[0] == '"' || line[0] == '@') return ParseValue(index);
    return Failed(index, "unknown line");
  }

  bool ParseSection(std::size_t index) {
    const std::string& line = lines_[index];
    if (line.back() != ']') return Failed(index, "unknown line");
    const std::string inner = line.substr(1, line.size() - 2);
    const std::size_t slash = inner.find('\\');
    const std::string rootName = inner.substr(0, slash);
    const RootName* root = nullptr;
    for (const RootName& r : kRootNames) {
      if (SameText(rootName, r.name)) root = &r;
    }
    if (root == nullptr) return Failed(index, "unknown root key");
    if (slash == std::string::npos) return Failed(index, "no key below the root");
    const std::string path = inner.substr(slash + 1);
    if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
        path.find("\\\\") != std::string::npos) {
      return Failed(index, "empty key name");
    }
    sectionRoot_ = root->root;
    sectionPath_ = path;
    inSection_ = true;
    return true;
  }

  // A quoted text from pos (at the opening quote); only \\ and \" are escapes.
  // pos ends after the closing quote.
  static bool ReadQuoted(const std::string& line, std::size_t& pos, std::string* out,
                         const char** reason) {
    ++pos;
    out->clear();
    while (pos < line.size()) {
      const char c = line[pos++];
      if (c == '"') return true;
      if (c == '\\') {
        if (pos >= line.size() || (line[pos] != '\\' && line[pos] != '"')) {
          *reason = "bad escape in text";
          return false;
        }
        out->push_back(line[pos++]);
      } else {
        out->push_back(c);
      }
    }
    *reason = "unterminated text";
    return false;
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // Reads 1..maxDigits hex digits at pos.
  static bool ReadHexNumber(const std::string& s, std::size_t& pos, std::size_t maxDigits,
                            std::uint32_t* value) {
    std::size_t n = 0;
    std::uint32_t v = 0;
    while (pos < s.size() && HexDigit(s[pos]) >= 0) {
      if (++n > maxDigits) return false;
      v = v << 4 | static_cast<std::uint32_t>(HexDigit(s[pos++]));
    }
    *value = v;
    return n > 0;
  }

  // A comma-separated byte list from pos to the end of the line.
  bool ReadHexList(std::size_t index, std::size_t pos, std::vector<std::uint8_t>* out) {
    const std::string& line = lines_[index];
    if (pos == line.size()) return true;  // no bytes
    for (;;) {
      if (pos + 2 > line.size() || HexDigit(line[pos]) < 0 || HexDigit(line[pos + 1]) < 0) {
        return Failed(index, "bad hex data");
      }
      if (out->size() == kMaxRegValueBytes) return Failed(index, kTooLong);
      out->push_back(static_cast<std::uint8_t>(HexDigit(line[pos]) << 4 | HexDigit(line[pos + 1])));
      pos += 2;
      if (pos == line.size()) return true;
      if (line[pos] != ',') return Failed(index, "bad hex data");
      ++pos;
    }
  }

  bool ParseValue(std::size_t index) {
    const std::string& line = lines_[index];
    if (!inSection_) return Failed(index, "value outside a key section");
    RegValueRecord r;
    const int lineNumber = static_cast<int>(index) + 1;
    r.root = sectionRoot_;
    r.keyPath = sectionPath_;
    std::size_t pos = 0;
    const char* reason = "";
    if (line[0] == '@') {
      pos = 1;
    } else if (!ReadQuoted(line, pos, &r.name, &reason)) {
      return Failed(index, reason);
    }
    if (pos >= line.size() || line[pos] != '=') return Failed(index, "no '=' after the name");
    ++pos;
    const std::string rest = line.substr(pos);
    if (rest == "-") {
      r.present = false;
    } else if (!rest.empty() && rest[0] == '"') {
      std::string text;
      std::size_t p = pos;
      if (!ReadQuoted(line, p, &text, &reason)) return Failed(index, reason);
      if (p != line.size()) return Failed(index, "text after the closing quote");
      if (const char* refused = QuotedTextRefusal(text)) return Failed(index, refused);
      r.present = true;
      r.type = kRegSz;
      r.data.assign(text.begin(), text.end());
      r.data.push_back(0);
    } else if (rest.compare(0, 6, "dword:") == 0) {
      std::size_t p = 6;
      std::uint32_t v = 0;
      if (rest.size() != 14 || !ReadHexNumber(rest, p, 8, &v) || p != rest.size()) {
        return Failed(index, "bad dword data");
      }
      r.present = true;
      r.type = kRegDword;
      r.data = DwordBytes(v);
    } else if (rest.compare(0, 4, "hex:") == 0) {
      r.present = true;
      r.type = kRegBinary;
      if (!ReadHexList(index, pos + 4, &r.data)) return false;
    } else if (rest.compare(0, 4, "hex(") == 0) {
      std::size_t p = 4;
      if (!ReadHexNumber(rest, p, 8, &r.type) || rest.compare(p, 2, "):") != 0) {
        return Failed(index, "unknown data type");
      }
      r.present = true;
      if (!ReadHexList(index, pos + p + 2, &r.data)) return false;
    } else {
      return Failed(index, "unknown data type");
    }
    // Key and name cannot hold a line break, so it separates them here.
    std::string place = std::to_string(r.root);
    place.append("\n").append(Lower(r.keyPath)).append("\n").append(Lower(r.name));
    places_.emplace_back(std::move(place), index);
    if (accept_ && !accept_(r)) return Failed(index, "not a setting that the backup saves");
    result_.records.push_back(std::move(r));
    result_.lines.push_back(lineNumber);
    return true;
  }

  static constexpr const char* kTooLong = "value longer than 64 KiB";
  static constexpr const char* kTwice = "value given twice";
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  const std::function<bool(const RegValueRecord&)>& accept_;
  // Each value's place (root, key and name as the registry compares them)
  // and its line.
  std::vector<std::pair<std::string, std::size_t>> places_;
  std::vector<std::string> lines_;
  bool cutOff_ = false;
  bool inSection_ = false;
  HKey sectionRoot_ = 0;
  std::string sectionPath_;
  RegFileParse result_;
};

}  // namespace

bool RegValueRecord::operator==(const RegValueRecord& o) const {
  return root == o.root && keyPath == o.keyPath && name == o.name && present == o.present &&
         (!present || (type == o.type && data == o.data));
}

void AppendQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

std::string Quoted(const std::string& text) {
  std::string out;
  AppendQuoted(out, text);
  return out;
}

const char* QuotedTextRefusal(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return "unexpected control character";
  }
  return text.size() >= kMaxRegValueBytes ? "value longer than 64 KiB" : nullptr;
}

std::string ValueLabel(const RegValueRecord& r) {
  std::string label = r.root == kHKLM ? "HKLM\\" : "HKCU\\";
  label.append(r.keyPath).append("\\");
  if (r.name.empty()) {
    label += '@';
  } else {
    label += r.name;
  }
  return label;
}

std::string WriteRegFile(const std::vector<RegValueRecord>& records) {
  for (const RegValueRecord& r : records) {
    if (r.present && r.data.size() > kMaxRegValueBytes) {
      throw Error(FormatMessage(kValueTooLong, ValueLabel(r)));
    }
  }
  std::string out = kHeader;
  out.append(kEol).append(kEol);
  std::vector<bool> done(records.size(), false);
  // Registry names compare without regard to case, so one key written in two
  // spellings is one section of the file; each key is folded once.
  std::vector<std::string> keys;
  for (const RegValueRecord& r : records) keys.push_back(Lower(r.keyPath));
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (done[i]) continue;
    const char* rootName = NameOfRoot(records[i].root);
    if (rootName == nullptr) continue;  // only the two roots the program uses
    out.append("[").append(rootName).append("\\").append(records[i].keyPath).append("]").append(kEol);
    for (std::size_t j = i; j < records.size(); ++j) {
      if (done[j] || records[j].root != records[i].root || keys[j] != keys[i]) continue;
      done[j] = true;
      const RegValueRecord& r = records[j];
      if (r.name.empty()) {
        out += '@';
      } else {
        AppendQuoted(out, r.name);
      }
      out += '=';
      AppendData(out, r);
      out += kEol;
    }
    out += kEol;
  }
  if (out.size() > kMaxSavedFileBytes) throw Error(kSavedFileTooLarge);
  return out;
}

std::string InvalidLineText(int line, const std::string& path, const std::string& text,
                            const std::string& reason) {
  std::string where = "Line ";
  where.append(std::to_string(line)).append(" of ").append(path);
  if (!text.empty()) where.append(" (").append(text).append(")");
  return where.append(" is not valid: ").append(reason);
}

RegFileParse ReadRegFile(const std::string& text,
                         const std::function<bool(const RegValueRecord&)>& accept) {
  return Reader(text, accept).Run();
}

}  // namespace iz
