// The saved-values file: regedit's REGEDIT4 form, read back exactly, and
// refused whole, naming the first bad line, when it is not fully understood.
#include "snapshot/reg_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace iz {

std::ostream& operator<<(std::ostream& out, const RegValueRecord& r) {
  out << r.root << '\\' << r.keyPath << " [" << r.name << "] ";
  if (!r.present) return out << "absent";
  out << "type " << r.type << ':';
  for (auto b : r.data) out << ' ' << static_cast<int>(b);
  return out;
}

namespace {

constexpr const char* kKey = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";

RegValueRecord Value(const char* name, std::uint32_t type, std::vector<std::uint8_t> data,
                     const char* key = kKey, HKey root = kHKLM) {
  return RegValueRecord{root, key, name, true, type, std::move(data)};
}
// n bytes as a hex list.
std::string Hex(std::size_t n) {
  std::string out = "00";
  for (std::size_t i = 1; i < n; ++i) out += ",00";
  return out;
}

RegValueRecord Absent(const char* name, const char* key = kKey) {
  return RegValueRecord{kHKLM, key, name, false, 0, {}};
}

// Every form the writer has. Data that the short forms cannot carry exactly
// (line breaks, no NUL, a DWORD of three bytes) go as typed hex.
const std::vector<RegValueRecord> kAllForms = {
    Value("DefaultTTL", kRegDword, {0x80, 0, 0, 0}),
    Value("Text", kRegSz, {'"', 'C', ':', '\\', 0xe9, 0}),
    Value("Empty", kRegSz, {0}),
    Absent("Tcp1323Opts"),
    Value("", kRegSz, {'3', '2', 0}, "Other"),
    Absent("", "Third"),
    Value("TwoLines", kRegSz, {'a', '\r', '\n', 0}),
    Value("NoNul", kRegSz, {'a'}),
    Value("ShortDword", kRegDword, {1, 2, 3}),
    Value("Qword", 11, {1, 2, 3, 4, 5, 6, 7, 8}),
    Value("SLOWNET", kRegBinary, {0x01}),
    Value("NoBytes", kRegBinary, {}),
    Value("Limit", kRegDword, {0xff, 0xff, 0, 0}, "SOFTWARE\\IE", kHKCU),
};

// The order the file gives them back in: grouped by key.
std::vector<RegValueRecord> ByKey(std::vector<RegValueRecord> records) {
  std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
    return a.keyPath == kKey && b.keyPath != kKey;
  });
  return records;
}

TEST(RegFile, WritesWhatRegeditImports) {
  EXPECT_EQ(WriteRegFile({kAllForms[0], kAllForms[1], kAllForms[3], kAllForms[4], kAllForms[6],
                          kAllForms[9], kAllForms[10], kAllForms[12]}),
            "REGEDIT4\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
            "\"DefaultTTL\"=dword:00000080\r\n"
            "\"Text\"=\"\\\"C:\\\\\xe9\"\r\n"
            "\"Tcp1323Opts\"=-\r\n"
            "\"TwoLines\"=hex(1):61,0d,0a,00\r\n"
            "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\r\n"
            "\"SLOWNET\"=hex:01\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Other]\r\n@=\"32\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\IE]\r\n\"Limit\"=dword:0000ffff\r\n\r\n");
}

TEST(RegFile, ReadsBackWhatItWrote) {
  const RegFileParse parse = ReadRegFile(WriteRegFile(kAllForms));
  ASSERT_TRUE(parse.ok()) << parse.badLine << ": " << parse.reason;
  EXPECT_EQ(parse.records, ByKey(kAllForms));
}

TEST(RegFile, NamesTheFirstBadLine) {
  const std::string k = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n";
  const std::vector<std::tuple<std::string, int, std::string>> cases = {
      {"", 1, "not a REGEDIT4 file"},
      {"REGED", 1, "line cut off"},
      {k + "\"A\"=dword:00000001", 3, "line cut off"},
      {"REGEDIT4\n; note\n\"A\"=-\n", 3, "value outside a key section"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n", 2, "unknown root key"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "empty key name"},
      {k + "A=1\n", 3, "unknown line"},
      {k + "\"A\"=\"x\\n\"\n", 3, "bad escape in text"},
      {k + "\"A\"=dword:0001\n", 3, "bad dword data"},
      {k + "\"A\"=hex:01,\n", 3, "bad hex data"},
      {k + "\"A\"=hex(q):01\n", 3, "unknown data type"},
      {k + "\"a\"=-\n[HKEY_LOCAL_MACHINE\\k]\n\"A\"=-\n", 5, "value given twice"},
      // The first fault in the file's order, whichever kind: a repeat found
      // before a later bad line, a bad line before a later repeat, the second
      // of three copies.
      {k + "\"B\"=-\n\"C\"=-\n\"b\"=-\nA=1\n", 5, "value given twice"},
      {k + "\"B\"=-\nA=1\n\"B\"=-\n", 4, "unknown line"},
      {k + "\"C\"=-\n\"B\"=-\n\"B\"=-\n\"C\"=-\n\"B\"=-\n", 5, "value given twice"},
      {k + "\"B\"=\"\x01\"\n", 3, "unexpected control character"},
      {k + "\"A\"=hex:" + Hex(64 * 1024) + "\n", 0, ""},
      {k + "\"A\"=hex:" + Hex(64 * 1024 + 1) + "\n", 3, "value longer than 64 KiB"},
      {k + "\"A\"=\"" + std::string(64 * 1024, 'x') + "\"\n", 3, "value longer than 64 KiB"},
      {k + "\"A\"=-\n\"Foreign\"=-\n\"B\"=-\n", 4, "not a setting that the backup saves"},
  };
  // Only names of one letter are known to the caller.
  const auto accept = [](const RegValueRecord& r) { return r.name.size() == 1; };
  for (const auto& [text, line, reason] : cases) {
    const RegFileParse parse = ReadRegFile(text, accept);
    EXPECT_EQ(parse.badLine, line) << text.substr(0, 80);
    EXPECT_EQ(parse.reason, reason) << text.substr(0, 80);
    EXPECT_EQ(parse.records.empty(), line != 0) << text.substr(0, 80);
  }
}

// The bad line is quoted for a message box: at most 80 printable characters.
TEST(RegFile, QuotesTheBadLineShortAndPrintable) {
  const std::string k = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n";
  EXPECT_EQ(ReadRegFile(k + std::string("\"\xe9\"=\"a\0b\"\n", 10)).badText, "\"?\"=\"a?b\"");
  const RegFileParse parse = ReadRegFile(k + "\"A\"=hex:" + Hex(1000) + ",zz\n");
  EXPECT_EQ(parse.badText, "\"A\"=hex:" + Hex(1000).substr(0, 72) + "...");
}

// Cut anywhere, a file is either refused or reads as a prefix of what was
// written: no value is ever read with part of its data.
TEST(RegFile, TruncatedFileNeverYieldsAPartialValue) {
  const std::string text = WriteRegFile(kAllForms);
  const std::vector<RegValueRecord> whole = ByKey(kAllForms);
  for (std::size_t n = 0; n < text.size(); ++n) {
    const RegFileParse parse = ReadRegFile(text.substr(0, n));
    ASSERT_LE(parse.records.size(), whole.size());
    for (std::size_t i = 0; i < parse.records.size(); ++i) {
      ASSERT_EQ(parse.records[i], whole[i]) << "cut at " << n;
    }
  }
}

// Garbled files: whatever the reader accepts survives another write and read
// unchanged, and an error never comes with records.
TEST(RegFile, GarbledFilesAreRefusedOrReadConsistently) {
  const std::string text = WriteRegFile(kAllForms);
  const std::string alphabet = "\"\\[]@=-:,;()0123456789abcdefxHKEY_ \r\n\t\x01\xff";
  std::mt19937 random(20240611);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string garbled = text;
    for (int e = 1 + random() % 4; e > 0 && !garbled.empty(); --e) {
      const std::size_t at = random() % garbled.size();
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 3) {
        case 0:
          garbled[at] = c;
          break;
        case 1:
          garbled.erase(at, 1 + random() % 8);
          break;
        default:
          garbled.insert(at, 1, c);
          break;
      }
    }
    const RegFileParse parse = ReadRegFile(garbled);
    if (!parse.ok()) {
      EXPECT_TRUE(parse.records.empty());
      continue;
    }
    ++accepted;
    const RegFileParse again = ReadRegFile(WriteRegFile(parse.records));
    ASSERT_TRUE(again.ok()) << garbled;
    ASSERT_EQ(again.records.size(), parse.records.size()) << garbled;
  }
  EXPECT_GT(accepted, 0);
  EXPECT_LT(accepted, 3000);
}

}  // namespace
}  // namespace iz
