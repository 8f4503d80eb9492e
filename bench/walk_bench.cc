// Times the walk of a real tree (files, sizes and dates, as arbo -f -s -d walks it) with
// the platform's search on the walk's thread alone, and with folders read ahead on other
// threads, alternating the two in every round. Natively and under Wine:
//   walk_bench FOLDER [rounds [readers]]     (default 5 rounds, a reader per core)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "listing.h"
#include "platform.h"

namespace {

using namespace ramilux;

// The walk's ports that the benchmark does not look at.
class TQuietFront final : public TListingOptions, public TListingView, public TRunIndicators {
 public:
  bool MaskEditShown() override { return false; }
  std::string MaskText() override { return ""; }
  bool MinSizeEditShown() override { return false; }
  std::string MinSizeText() override { return "0"; }
  void SetMinSizeText(const std::string&) override {}
  bool FileChecked() override { return true; }
  bool SizeChecked() override { return true; }
  bool DateTimeChecked() override { return true; }
  bool HigherSelected() override { return true; }
  int SortIndex() override { return 0; }
  void ClearView() override {}
  int64_t ViewTextLength() override { return 0; }
  int64_t LineIndex(int64_t) override { return -1; }
  int64_t ViewLineCount() override { return 0; }
  bool ReplaceSelection(std::string_view, std::string&) override { return true; }
  void SetDirectoryLabel(const std::string&) override {}
  void ProcessMessages() override {}
  void ShowErrorBox(const std::string&, const std::string&) override {}
};

// Seconds for one walk; `entries` gets the number of entries listed.
double TimeWalk(TFileSystem& files, TTextServices& text, const std::string& root, size_t& entries) {
  TQuietFront front;
  TListing listing(TListingPorts{files, text, front, front, front});
  listing.SetRoot(root);
  listing.BuildMaskList("*.*");
  const auto start = std::chrono::steady_clock::now();
  listing.ScanTree(listing.Directory(), true);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  entries = listing.Entries().size();
  return took.count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: walk_bench FOLDER [rounds [readers]]\n");
    return 2;
  }
  const std::string root = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  auto text = NewPlatformTextServices();
  auto single = NewSingleThreadFileSystem(PlatformEncoding());
  const unsigned readers = argc > 3 ? unsigned(std::max(1, std::atoi(argv[3]))) : 0;
  auto readAhead =
      NewReadAheadFileSystem([] { return NewSingleThreadFileSystem(PlatformEncoding()); }, readers);
  size_t entries = 0;
  TimeWalk(*readAhead, *text, root, entries);  // warms the system's caches
  std::vector<double> alone, ahead, ratios;
  for (int round = 0; round < rounds; ++round) {
    alone.push_back(TimeWalk(*single, *text, root, entries));
    ahead.push_back(TimeWalk(*readAhead, *text, root, entries));
    ratios.push_back(ahead.back() / alone.back());
  }
  std::printf(
      "%zu entries, %d rounds, medians: walk's thread alone %.3f s, read ahead %.3f s, "
      "ratio %.2f\n",
      entries, rounds, Median(alone), Median(ahead), Median(ratios));
  return 0;
}
