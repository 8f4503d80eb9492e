// The engine's phases on a synthetic tree of about a million entries, with the platform's
// text services (ICU collation on POSIX): mask tests, the three sorts, the connector pass
// and the building of the lines. Run with LANG=fr_FR.UTF-8 for the French collation.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <memory>
#include <random>

#include "fake_file_system.h"
#include "fake_text_services.h"
#include "listing.h"
#include "platform.h"
#include "recording_window.h"

namespace ramilux {
namespace {

using test::TFakeFileSystem;
using test::TRecordingWindow;

std::string RandomName(std::mt19937& random, bool withExtension) {
  static const char* kExtensions[] = {".txt", ".htm", ".html", ".jpg", ".c", ".h", ".doc"};
  static const char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_- ";
  std::string name;
  size_t length = 6 + random() % 9;
  for (size_t i = 0; i < length; ++i) name += kLetters[random() % (sizeof(kLetters) - 2)];
  if (withExtension) name += kExtensions[random() % 7];
  return name;
}

uint32_t RandomTime(std::mt19937& random) {
  return static_cast<uint32_t>((random() % 40) << 25 | (1 + random() % 12) << 21 |
                               (1 + random() % 28) << 16 | (random() % 24) << 11 |
                               (random() % 60) << 5 | random() % 30);
}

// Root: 100 folders of 100 folders of 99 files each: 1,000,100 entries.
struct TBenchTree {
  TBenchTree() : files('/', "/bench/") {
    std::mt19937 random(42);
    for (int a = 0; a < 100; ++a) {
      std::string top = RandomName(random, false) + std::to_string(a);
      files.AddFolder(top, RandomTime(random));
      for (int b = 0; b < 100; ++b) {
        std::string sub = top + "/" + RandomName(random, false) + std::to_string(b);
        files.AddFolder(sub, RandomTime(random));
        for (int c = 0; c < 99; ++c) {
          int64_t size = random() % 33 == 0 ? 0 : random() % 5000000;
          files.AddFile(sub + "/" + RandomName(random, true) + std::to_string(c), size,
                        RandomTime(random));
        }
      }
    }
    text = NewPlatformTextServices();
    listing = std::make_unique<TListing>(TListingPorts{files, *text, window, window, window});
    listing->SetRoot(files.Root());
    listing->BuildMaskList("");
    // Blocks above malloc's threshold are mapped on their own: counted apart.
    auto inUse = [] {
      struct mallinfo2 info = mallinfo2();
      return info.uordblks + info.hblkhd;
    };
    size_t before = inUse();
    listing->ScanTree(files.Root(), true);
    bytesPerEntry = double(inUse() - before) / listing->Entries().size();
    walkOrder = listing->Entries().Items;
  }

  TFakeFileSystem files;
  std::unique_ptr<TTextServices> text;
  TRecordingWindow window;
  std::unique_ptr<TListing> listing;
  TEntryBlocks walkOrder;
  double bytesPerEntry = 0;
};

TBenchTree& Tree() {
  static TBenchTree tree;
  return tree;
}

void BM_MatchesAnyMask(benchmark::State& state) {
  TBenchTree& tree = Tree();
  tree.listing->BuildMaskList("*.htm;*.html;*.jpg");
  std::vector<std::string> lower;
  for (const TFileObject& e : tree.walkOrder) {
    lower.emplace_back(e.Name);
    tree.text->Lower(lower.back());
  }
  for (auto _ : state) {
    size_t matches = 0;
    for (const std::string& name : lower) matches += tree.listing->MatchesAnyMask(name);
    benchmark::DoNotOptimize(matches);
  }
  state.counters["entries"] = double(lower.size());
  state.counters["ns/name"] =
      benchmark::Counter(double(lower.size()), benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}
BENCHMARK(BM_MatchesAnyMask)->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State& state) {
  TBenchTree& tree = Tree();
  for (auto _ : state) {
    state.PauseTiming();
    tree.listing->EntriesForTest().Items = tree.walkOrder;
    state.ResumeTiming();
    tree.listing->SortEntries(static_cast<int>(state.range(0)));
  }
  state.counters["entries"] = double(tree.walkOrder.size());
  state.counters["walk bytes/entry"] = tree.bytesPerEntry;
}
BENCHMARK(BM_Sort)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
// The sort by name with the processor time of all its threads: on a loaded machine the
// wall time says little, this says how much work the sort is.
BENCHMARK(BM_Sort)->Arg(0)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// The same sort in byte order: what the engine itself costs, the collation aside.
void BM_SortByteOrder(benchmark::State& state) {
  TBenchTree& tree = Tree();
  test::TFakeTextServices bytes;
  TEntryList& entries = tree.listing->EntriesForTest();
  for (auto _ : state) {
    state.PauseTiming();
    entries.Items = tree.walkOrder;
    state.ResumeTiming();
    SortEntryList(entries, TOrderContext{bytes, '/'}, TSortKind::Name);
  }
}
BENCHMARK(BM_SortByteOrder)->Unit(benchmark::kMillisecond);

// For scale: one global comparison sort with the comparator, as the list's own sort
// would do it. Far slower: every comparison walks two whole paths through the collator.
void BM_SortByComparatorAlone(benchmark::State& state) {
  TBenchTree& tree = Tree();
  TOrderContext ctx{*tree.text, '/'};
  for (auto _ : state) {
    state.PauseTiming();
    tree.listing->EntriesForTest().Items = tree.walkOrder;
    state.ResumeTiming();
    auto& items = tree.listing->EntriesForTest().Items;
    std::sort(items.begin(), items.end(), [&](const TFileObject& a, const TFileObject& b) {
      return CompareByName(ctx, a, b) < 0;
    });
  }
}
BENCHMARK(BM_SortByComparatorAlone)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FixConnectors(benchmark::State& state) {
  TBenchTree& tree = Tree();
  tree.listing->EntriesForTest().Items = tree.walkOrder;
  tree.listing->SortEntries(0);
  for (auto _ : state) tree.listing->FixConnectors();
  state.counters["entries"] = double(tree.walkOrder.size());
}
BENCHMARK(BM_FixConnectors)->Unit(benchmark::kMillisecond);

// The lines with both columns, into a view that keeps them (the window's own cost aside);
// argument 1: options fixed during the output, as arbo's, so lines are formatted ahead.
void BM_EmitLines(benchmark::State& state) {
  TBenchTree& tree = Tree();
  tree.window.Files = tree.window.Size = tree.window.DateTime = true;
  tree.window.Fixed = state.range(0) == 1;
  for (auto _ : state) {
    state.PauseTiming();
    tree.window.View.clear();
    tree.window.View.shrink_to_fit();
    tree.window.Caret = 0;
    tree.window.ProgressPositions.clear();
    state.ResumeTiming();
    tree.listing->EmitLines();
  }
  state.counters["view bytes"] = double(tree.window.View.size());
  state.counters["insertions"] = double(tree.window.ReplaceCalls) / double(state.iterations());
}
BENCHMARK(BM_EmitLines)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ramilux

BENCHMARK_MAIN();
