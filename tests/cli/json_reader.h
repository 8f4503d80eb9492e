// Reads arbo's two forms of one listing back into comparable entries: the text lines
// (utf8 encoding) by their connectors, the JSON document through Python's json module,
// so that the document is checked by a parser that is not ours.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace ramilux::testing {

struct TListedEntry {
  int Depth = 0;  // 1 for the entries directly in the root
  std::string Name;
  bool operator==(const TListedEntry&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const TListedEntry& entry) {
  return out << entry.Depth << ':' << entry.Name;
}

// The entries of a utf8 text listing, columns cut off (at the first two blanks after the
// name); a summary line, which has no connector, ends them.
inline std::vector<TListedEntry> TextEntries(const std::string& listing) {
  std::vector<TListedEntry> entries;
  size_t start = listing.find("\n \n");
  if (start == std::string::npos) return entries;
  for (start += 3; start < listing.size();) {
    const size_t end = listing.find('\n', start);
    const std::string line = listing.substr(start, end - start);
    start = end + 1;
    const size_t connector = line.find("\u2500 ");
    if (connector == std::string::npos) break;
    const std::string prefix = line.substr(0, connector + std::string("\u2500 ").size());
    int characters = 0;
    for (char c : prefix) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    std::string name = line.substr(prefix.size());
    entries.push_back({characters / 3, name.substr(0, name.find("  "))});
  }
  return entries;
}

struct TJsonEntry {
  TListedEntry Entry;
  std::string Type, Path, Modified;
  long long Size = -1;  // -1 when the entry has none
};

struct TJsonDocument {
  bool Parsed = false;
  std::string Errors;  // what Python said when it could not read the document
  std::string Root;
  std::vector<TJsonEntry> Entries;
  bool HasSummary = false;
  long long Folders = 0, Files = 0, Bytes = 0;

  std::vector<TListedEntry> Listed() const {
    std::vector<TListedEntry> listed;
    for (const TJsonEntry& e : Entries) listed.push_back(e.Entry);
    return listed;
  }
};

// Strings come back from Python as hexadecimal UTF-8, so any byte survives the trip.
inline std::string FromHex(const std::string& hex) {
  std::string text;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return text;
}

inline TJsonDocument ReadJson(const std::string& document) {
  static const char kScript[] = R"(
import json, sys
d = json.load(open(sys.argv[1], encoding='utf-8', errors='strict'))
assert set(d) <= {'root', 'entries', 'summary'}, d.keys()
h = lambda s: s.encode('utf-8').hex() or '-'
print('R', h(d['root']))
for e in d['entries']:
    assert set(e) <= {'path', 'name', 'type', 'depth', 'size', 'modified', 'reason'}, e
    print('E', e['depth'], e['type'], e.get('size', -1), h(e['name']), h(e['path']),
          e.get('modified', '-'))
if 'summary' in d:
    s = d['summary']
    print('S', s['folders'], s['files'], s['bytes'])
)";
  const TTempFolder folder;
  {
    std::FILE* file = std::fopen((folder / "listing.json").c_str(), "wb");
    std::fwrite(document.data(), 1, document.size(), file);
    std::fclose(file);
    file = std::fopen((folder / "read.py").c_str(), "wb");
    std::fputs(kScript, file);
    std::fclose(file);
  }
  const std::string command = "/usr/bin/python3 " + folder / "read.py" + " " +
                              folder / "listing.json" + " 2>" + folder / "errors";
  TJsonDocument result;
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    result.Parsed = pclose(pipe) == 0;
  }
  std::ifstream errors(folder / "errors");
  std::getline(errors, result.Errors, '\0');
  std::istringstream lines(output);
  for (std::string kind; lines >> kind;) {
    if (kind == "R") {
      std::string root;
      lines >> root;
      result.Root = root == "-" ? "" : FromHex(root);
    } else if (kind == "E") {
      TJsonEntry e;
      std::string name, path;
      lines >> e.Entry.Depth >> e.Type >> e.Size >> name >> path >> e.Modified;
      e.Entry.Name = name == "-" ? "" : FromHex(name);
      e.Path = path == "-" ? "" : FromHex(path);
      if (e.Modified == "-") e.Modified.clear();
      result.Entries.push_back(e);
    } else if (kind == "S") {
      result.HasSummary = true;
      lines >> result.Folders >> result.Files >> result.Bytes;
    }
  }
  return result;
}

}  // namespace ramilux::testing
