// Measures the two ways of ordering names by the user's collation on Win32: a
// CompareStringA call per comparison (through the text services port, as the engine
// sorts) against LCMapStringA sort keys built once per name and compared with memcmp.
// Sorts 200,000 realistic names both as one list and as folders of about 40 entries.
//   collation_bench.exe [names] [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform.h"

namespace {

using ramilux::TTextServices;

// Names as folders hold them: French words with accents and capitals (code page 1252),
// camera and scanner numbers, dates, versions, extensions.
std::vector<std::string> MakeNames(size_t count) {
  const char* words[] = {"rapport",   "Rapport",    "\xE9t\xE9", "\xC9t\xE9", "r\xE9sum\xE9",
                         "facture",   "Facture",    "c\xF4te",   "cote",      "cot\xE9",
                         "\x8Cuvres", "photos",     "IMG",       "DSC",       "scan",
                         "Notes",     "notes",      "budget",    "Budget",    "pr\xE9sentation",
                         "caf\xE9",   "\xE0 faire", "archive",   "Archives",  "copie de",
                         "Copie",     "No\xEBl",    "f\xEAte",   "garçon",    "readme",
                         "README",    "main",       "index",     "test",      "data"};
  const char* extensions[] = {".txt", ".doc", ".JPG", ".jpg", ".pdf", ".xls",   ".htm",
                              ".c",   ".h",   "",     ".bak", ".old", ".tar.gz"};
  std::mt19937 random(12345);
  auto pick = [&](size_t n) { return size_t(random() % n); };
  std::vector<std::string> names;
  names.reserve(count);
  char number[32];
  for (size_t i = 0; i < count; ++i) {
    std::string name = words[pick(std::size(words))];
    switch (pick(5)) {
      case 0:
        std::snprintf(number, sizeof number, "_%04u", unsigned(pick(10000)));
        break;
      case 1:
        std::snprintf(number, sizeof number, " %u-%02u-%02u", 1990 + unsigned(pick(30)),
                      1 + unsigned(pick(12)), 1 + unsigned(pick(28)));
        break;
      case 2:
        std::snprintf(number, sizeof number, " (%u)", unsigned(pick(20)));
        break;
      case 3:
        std::snprintf(number, sizeof number, " v%u.%u", unsigned(pick(5)), unsigned(pick(20)));
        break;
      default:
        number[0] = '\0';
    }
    name += number;
    if (pick(2)) name += std::string(" ") + words[pick(std::size(words))];
    name += extensions[pick(std::size(extensions))];
    names.push_back(std::move(name));
  }
  return names;
}

// Sorts index ranges [groups[g], groups[g+1]) of `order` with `less`.
template <typename Less>
void SortGroups(std::vector<uint32_t>& order, const std::vector<size_t>& groups, Less less) {
  for (size_t g = 0; g + 1 < groups.size(); ++g)
    std::sort(order.begin() + groups[g], order.begin() + groups[g + 1], less);
}

std::vector<uint32_t> Identity(size_t n) {
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = uint32_t(i);
  return order;
}

// The engine's comparison of two names: equal bytes first, then the collation, then
// the bytes for names the collation can't tell apart.
int CompareNames(const TTextServices& text, const std::string& a, const std::string& b) {
  if (a == b) return 0;
  const int r = text.Compare(a, b);
  return r != 0 ? r : a < b ? -1 : 1;
}

std::string SortKey(const std::string& name) {
  const int size =
      LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.data(), int(name.size()), nullptr, 0);
  std::string key(size_t(size), '\0');
  LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.data(), int(name.size()),
               reinterpret_cast<char*>(key.data()), size);
  if (!key.empty() && key.back() == '\0') key.pop_back();
  key += '\0';
  key += name;  // the bytes break ties, as in the engine
  return key;
}

// The thread's CPU time: the machine that runs the benchmark under Wine is shared, and
// the wall clock counts the others' work too.
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double Seconds(double start) {
  return CpuSeconds() - start;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct TResult {
  double Compare = 0, Keys = 0, KeyBuild = 0;
  long Comparisons = 0;
  size_t Disagreements = 0;
};

TResult Measure(const std::vector<std::string>& names, const std::vector<size_t>& groups,
                const TTextServices& text, int runs) {
  std::vector<double> compare, keys, build;
  TResult result;
  std::vector<uint32_t> byCompare, byKeys;
  for (int run = 0; run < runs; ++run) {
    long comparisons = 0;
    byCompare = Identity(names.size());
    double start = CpuSeconds();
    SortGroups(byCompare, groups, [&](uint32_t a, uint32_t b) {
      ++comparisons;
      return CompareNames(text, names[a], names[b]) < 0;
    });
    compare.push_back(Seconds(start));
    result.Comparisons = comparisons;

    byKeys = Identity(names.size());
    start = CpuSeconds();
    std::vector<std::string> sortKeys;
    sortKeys.reserve(names.size());
    for (const std::string& name : names) sortKeys.push_back(SortKey(name));
    build.push_back(Seconds(start));
    SortGroups(byKeys, groups, [&](uint32_t a, uint32_t b) { return sortKeys[a] < sortKeys[b]; });
    keys.push_back(Seconds(start));
  }
  for (size_t i = 0; i < byCompare.size(); ++i)
    result.Disagreements += names[byCompare[i]] != names[byKeys[i]];
  result.Compare = Median(compare);
  result.Keys = Median(keys);
  result.KeyBuild = Median(build);
  return result;
}

void Report(const char* what, const TResult& r) {
  std::printf("%-26s CompareStringA %.3f s (%ld comparisons, %.2f us each)\n", what, r.Compare,
              r.Comparisons, 1e6 * r.Compare / double(r.Comparisons));
  std::printf("%-26s sort keys      %.3f s (building %.3f s), ratio compare/keys %.2f\n", "",
              r.Keys, r.KeyBuild, r.Compare / r.Keys);
  std::printf("%-26s positions where the two orders differ: %zu\n", "", r.Disagreements);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? size_t(std::atol(argv[1])) : 200000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::vector<std::string> names = MakeNames(count);
  std::unique_ptr<TTextServices> text = ramilux::NewPlatformTextServices();
  std::printf("%zu names, locale %04lx, code page %u, median CPU time of %d runs\n", count,
              GetUserDefaultLCID(), GetACP(), runs);
  Report("one list", Measure(names, {0, names.size()}, *text, runs));
  for (size_t size : {10, 40, 200, 1000}) {
    std::vector<size_t> folders;
    for (size_t start = 0; start < names.size(); start += size) folders.push_back(start);
    folders.push_back(names.size());
    const std::string what = "folders of " + std::to_string(size);
    Report(what.c_str(), Measure(names, folders, *text, runs));
  }
  return 0;
}
