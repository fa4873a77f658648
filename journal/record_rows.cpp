#include <algorithm>
#include <utility>

#include "journal/record_text.h"
#include "store/error.h"

namespace iz::journal_detail {

std::string PlaceKey(HKey root, const std::string& key, const std::string& name) {
  std::string k(1, root == kHKCU ? 'U' : 'M');
  for (std::size_t i = !key.empty() && key[0] == '\\' ? 1 : 0; i < key.size(); ++i)
    k += map::detail::LowerAscii(key[i]);
  k += '\0';
  for (char c : name) k += map::detail::LowerAscii(c);
  return k;
}

RowIndex::RowIndex(const std::vector<RegValueRecord>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    places_.emplace_back(PlaceKey(rows[i].root, rows[i].keyPath, rows[i].name), i);
  std::sort(places_.begin(), places_.end());
}

std::size_t RowIndex::Find(const RegValueRecord& r) const {
  const std::string k = PlaceKey(r.root, r.keyPath, r.name);
  const auto at = std::lower_bound(places_.begin(), places_.end(),
                                   std::pair<std::string, std::size_t>(k, 0));
  return at != places_.end() && at->first == k ? at->second : std::string::npos;
}

std::vector<RegValueRecord> RowsOf(map::System family, const std::vector<RegValueRecord>& extra,
                                   std::size_t* mapRows) {
  std::vector<RegValueRecord> all;
  for (const map::Location& l : map::kParameterMap) {
    if (!map::OfSystem(l, family)) continue;
    RegValueRecord r;
    r.root = l.root;
    r.keyPath = l.key;
    r.name = l.value;
    all.push_back(std::move(r));
  }
  const std::size_t mapped = all.size();
  for (const RegValueRecord& e : extra) {
    RegValueRecord r;
    r.root = e.root;
    r.keyPath = e.keyPath;
    r.name = e.name;
    all.push_back(std::move(r));
  }
  // The first of each place stays: the index finds the first row of a place.
  const RowIndex index(all);
  std::vector<RegValueRecord> rows;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i == mapped && mapRows != nullptr) *mapRows = rows.size();
    if (index.Find(all[i]) == i) rows.push_back(std::move(all[i]));
  }
  if (mapped == all.size() && mapRows != nullptr) *mapRows = rows.size();
  return rows;
}

bool AtOrAbove(HKey root, const std::string& path, HKey otherRoot, const std::string& otherPath) {
  const std::string key = PlaceKey(root, path, std::string());
  const std::string other = PlaceKey(otherRoot, otherPath, std::string());
  return other == key || (other.compare(0, key.size() - 1, key, 0, key.size() - 1) == 0 &&
                          other.size() > key.size() && other[key.size() - 1] == '\\');
}

bool HoldsControlOrBracket(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f || c == ']';
  });
}

bool RecordableExtra(const RegValueRecord& r) {
  return map::FindLocation(r.root, r.keyPath.c_str(), r.name.c_str()) != nullptr ||
         IsAdapterValue(r.root, r.keyPath, r.name);
}

std::string ShortKey(HKey root, const std::string& path) {
  return std::string(root == kHKLM ? "HKLM\\" : "HKCU\\") + path;
}

// The values of a part, the values before or after the command, in the
// order of rows: each of them once. part holds its lines at their own line
// numbers, the others blank, so that the REGEDIT4 reader names the file's
// lines.
std::vector<RegValueRecord> ReadPartValues(const std::vector<std::string>& part,
                                           const std::string& path, const std::string& when,
                                           const std::vector<RegValueRecord>& rows,
                                           const RowIndex& index) {
  std::string partText;
  for (const std::string& line : part) partText.append(line).append("\r\n");
  RegFileParse parse = ReadRegFile(partText, [&](const RegValueRecord& v) {
    return index.Find(v) != std::string::npos;
  });
  if (!parse.ok()) {
    throw Error(InvalidLineText(parse.badLine, path, parse.badText, parse.reason));
  }
  std::vector<RegValueRecord> ordered(rows.size());
  std::vector<bool> held(rows.size(), false);
  for (RegValueRecord& v : parse.records) {
    const std::size_t at = index.Find(v);
    if (held[at]) Incomplete(path, "it holds " + ValueLabel(v) + " twice as it was " + when);
    held[at] = true;
    ordered[at] = std::move(v);
  }
  for (std::size_t at = 0; at < rows.size(); ++at) {
    if (!held[at]) Incomplete(path, "it does not hold " + ValueLabel(rows[at]) + " as it was " + when);
  }
  return ordered;
}

}  // namespace iz::journal_detail
