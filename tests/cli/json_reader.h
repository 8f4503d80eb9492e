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

namespace ramilux::test {

struct TListedEntry {
  int Depth = 0;  // 1 for the entries directly in the root
  std::string Name;
  bool operator==(const TListedEntry&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const TListedEntry& e) {
    return out << e.Depth << ':' << e.Name;
  }
};

// The entries of a utf8 text listing, columns cut off at the first two blanks after the
// name; a line without connector (the summary) ends them.
inline std::vector<TListedEntry> TextEntries(const std::string& listing) {
  std::vector<TListedEntry> entries;
  const std::string dash = "\u2500 ";
  for (size_t start = listing.find("\n \n") + 3; start > 2 && start < listing.size();) {
    const std::string line = listing.substr(start, listing.find('\n', start) - start);
    start += line.size() + 1;
    const size_t connector = line.find(dash);
    if (connector == std::string::npos) break;
    int characters = 0;  // of the prefix, three per level
    for (size_t i = 0; i < connector + dash.size(); ++i) {
      characters += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
    }
    const std::string name = line.substr(connector + dash.size());
    entries.push_back({characters / 3, name.substr(0, name.find("  "))});
  }
  return entries;
}

struct TJsonEntry {
  TListedEntry Entry;
  std::string Type, Path, Modified;
  std::string NameBytes, PathBytes;  // the exact bytes, when the document gives them
  long long Size = -1;               // -1 when the entry has none
};

struct TJsonDocument {
  bool Parsed = false;
  std::string Output;  // Python's, with its complaint when the document is not JSON
  std::string Root, RootBytes;
  std::vector<TJsonEntry> Entries;
  bool HasSummary = false;
  long long Folders = 0, Files = 0, Bytes = 0;

  std::vector<TListedEntry> Listed() const {
    std::vector<TListedEntry> listed;
    for (const TJsonEntry& e : Entries) listed.push_back(e.Entry);
    return listed;
  }
};

// Strings come back from Python as hexadecimal UTF-8 ("-" when empty), so any byte
// survives the trip.
inline std::string FromHex(const std::string& hex) {
  std::string text;
  for (size_t i = 0; hex != "-" && i + 1 < hex.size(); i += 2) {
    text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return text;
}

inline TJsonDocument ReadJson(const std::string& document) {
  const TTempFolder folder;
  std::ofstream(folder / "listing.json", std::ios::binary) << document;
  std::ofstream(folder / "read.py") << R"(
import json, sys
d = json.load(open(sys.argv[1], encoding='utf-8', errors='strict'))
assert set(d) <= {'root', 'root_bytes', 'entries', 'summary'}, d.keys()
h = lambda s: s.encode('utf-8').hex() or '-'
print('R', h(d['root']), d.get('root_bytes', '-'))
for e in d['entries']:
    assert set(e) <= {'path', 'name', 'type', 'depth', 'size', 'modified', 'reason',
                      'name_bytes', 'path_bytes'}, e
    print('E', e['depth'], e['type'], e.get('size', -1), h(e['name']), h(e['path']),
          e.get('modified', '-'), e.get('name_bytes', '-'), e.get('path_bytes', '-'))
if 'summary' in d:
    print('S', d['summary']['folders'], d['summary']['files'], d['summary']['bytes'])
)";
  TJsonDocument result;
  const std::string command =
      "/usr/bin/python3 " + folder / "read.py" + " " + folder / "listing.json" + " 2>&1";
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
      result.Output.append(chunk, n);
    }
    result.Parsed = pclose(pipe) == 0;
  }
  std::istringstream lines(result.Output);
  for (std::string kind, a, b, c, d; lines >> kind;) {
    if (kind == "R") {
      lines >> a >> b;
      result.Root = FromHex(a);
      result.RootBytes = FromHex(b);
    } else if (kind == "E") {
      TJsonEntry& e = result.Entries.emplace_back();
      lines >> e.Entry.Depth >> e.Type >> e.Size >> a >> b >> e.Modified >> c >> d;
      e.Entry.Name = FromHex(a);
      e.Path = FromHex(b);
      e.NameBytes = FromHex(c);
      e.PathBytes = FromHex(d);
      if (e.Modified == "-") e.Modified.clear();
    } else if (kind == "S") {
      result.HasSummary = true;
      lines >> result.Folders >> result.Files >> result.Bytes;
    }
  }
  return result;
}

}  // namespace ramilux::test
