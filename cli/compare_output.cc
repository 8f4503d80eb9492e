// arbo --compare: both sides read (a snapshot, or the folder walked now), the union made,
// and written as the listing's outline with a mark before each name, or as JSON.
#include <algorithm>
#include <thread>

#include "compare.h"
#include "console_window.h"
#include "json_text.h"
#include "platform.h"
#include "snapshot_commands.h"
#include "snapshot_compare.h"
#include "system.h"

namespace arbo {
namespace {

using ramilux::kAdded;
using ramilux::kChanged;
using ramilux::kRemoved;
using ramilux::TCompareCounts;
using ramilux::TCompareNode;
using ramilux::TCompareResult;
using ramilux::TSnapshotItem;
using ramilux::TSnapshotTree;

constexpr int kSame = 0, kDiffer = 1, kFailure = 2, kInterrupted = 130;

int Fail(const std::string& message) {
  WriteStderr("arbo: " + message + "\n");
  return kFailure;
}

ramilux::TCompareOptions CompareOptionsOf(const TArboOptions& options) {
  ramilux::TCompareOptions compare;
  compare.Files = options.Files;
  compare.SizeColumn = options.SizeColumn;
  compare.DateColumn = options.DateColumn;
  compare.All = options.All;
  compare.MaxDepth = options.MaxDepth;
  compare.SortIndex = options.SortIndex;
  return compare;
}

struct TSides {
  const TSnapshotTree& Old;
  const TSnapshotTree& New;
};

// Writes the shown nodes of the union depth first, as the listing writes its lines.
class TCompareWriter {
 public:
  TCompareWriter(const TSides& sides, const TCompareResult& result, ramilux::TListing& listing,
                 const TArboOptions& options, TConsoleOutput& output)
      : sides_(sides),
        result_(result),
        listing_(listing),
        options_(CompareOptionsOf(options)),
        output_(output) {}

  bool Text() {
    output_.Put(std::string(ramilux::kHeaderText) + sides_.New.Root + "\r\n \r\n");
    const auto put = [this](std::string_view line) {
      if (Interrupted()) return false;
      output_.Put(std::string(line) + "\r\n");
      return true;
    };
    if (!ramilux::WriteCompareOutline(sides_.Old, sides_.New, result_, listing_, options_, {},
                                      put)) {
      return false;
    }
    output_.Put(ramilux::CompareCountsLine(result_.Counts, true) + "\r\n");
    return true;
  }

  bool Json() {
    std::string block = "{\n  \"old\": ";
    ramilux::AppendJsonQuoted(block, sides_.Old.Root);
    block += ",\n  \"new\": ";
    ramilux::AppendJsonQuoted(block, sides_.New.Root);
    block += ",\n  \"entries\": [";
    output_.Put(block);
    if (!JsonEntries(result_.RootFirst, result_.RootCount, "")) return false;
    const TCompareCounts& counts = result_.Counts;
    output_.Put(std::string(first_ ? "]" : "\n  ]") + ",\n  \"summary\": {\"added\": " +
                std::to_string(counts.Added) + ", \"removed\": " + std::to_string(counts.Removed) +
                ", \"changed\": " + std::to_string(counts.Changed) +
                ", \"unchanged\": " + std::to_string(counts.Unchanged) + "}\n}\n");
    return true;
  }

 private:
  const TSnapshotItem& ItemOf(const TCompareNode& node) const {
    return node.New ? *node.New : *node.Old;
  }
  std::string_view NameOf(const TCompareNode& node) const {
    return node.New ? sides_.New.Name(*node.New) : sides_.Old.Name(*node.Old);
  }
  static bool IsFolder(const TSnapshotItem& item) {
    return (item.Attr & ramilux::kAttrDirectory) != 0;
  }
  static void AppendSide(std::string& out, const char* side, const TSnapshotItem* item) {
    if (item == nullptr) return;
    if (!IsFolder(*item) && item->Size != ramilux::kUnknownSize) {
      out += std::string(", \"") + side + "_size\": " + std::to_string(item->Size);
    }
    if (item->Timed()) {
      out += std::string(", \"") + side + "_modified\": [" + std::to_string(item->UtcSeconds) +
             ", " + std::to_string(item->UtcNanoseconds) + "]";
    }
  }

  bool JsonEntries(uint32_t first, uint32_t count, const std::string& folder) {
    static constexpr const char* kChanges[] = {"added", "removed", "changed", "unchanged"};
    for (uint32_t i = first; i < first + count; ++i) {
      if (Interrupted()) return false;
      const TCompareNode& node = result_.Nodes[i];
      if (!node.Shown) continue;
      const std::string path = folder + std::string(NameOf(node));
      std::string out = first_ ? "\n    {\"path\": " : ",\n    {\"path\": ";
      first_ = false;
      ramilux::AppendJsonQuoted(out, path);
      ramilux::AppendBytesField(out, "path_bytes", path);
      out += IsFolder(ItemOf(node)) ? ", \"type\": \"folder\"" : ", \"type\": \"file\"";
      const int kind = node.Mark == kAdded     ? 0
                       : node.Mark == kRemoved ? 1
                       : node.Mark == kChanged ? 2
                                               : 3;
      out += std::string(", \"change\": \"") + kChanges[kind] + "\"";
      AppendSide(out, "old", node.Old);
      AppendSide(out, "new", node.New);
      out += '}';
      output_.Put(out);
      if (node.ChildCount > 0 && !JsonEntries(node.FirstChild, node.ChildCount, path + "/")) {
        return false;
      }
    }
    return true;
  }

  TSides sides_;
  const TCompareResult& result_;
  ramilux::TListing& listing_;
  const ramilux::TCompareOptions options_;
  TConsoleOutput& output_;

  bool first_ = true;
};

// The new side: a snapshot file, or a folder (by default the old snapshot's root) walked now.
std::shared_ptr<const TSnapshotTree> NewSide(const TArboOptions& options, const TSnapshotTree& old,
                                             std::string& error) {
  const std::string folder = options.Folder.empty() ? old.Root : options.Folder;
  if (!CheckFolder(folder, error)) {
    // Not a folder: a snapshot file, when one was named.
    return options.Folder.empty() ? nullptr : LoadSnapshot(options.Folder, error);
  }
  auto tree = std::make_shared<TSnapshotTree>();
  auto files = ramilux::NewPlatformFileSystem(ramilux::TEncoding::Utf8);
  const std::string root = EngineFolder(AbsoluteFolder(folder), true);
  if (!ramilux::TakeSnapshot(*files, root, *tree, [] { return !Interrupted(); })) return nullptr;
  tree->Taken = 0;
  return tree;
}

// Both sides, or false with the message of the first that failed. Two snapshot files are
// read at once, the new one on a thread of its own: reading is most of a comparison's time.
bool ReadSides(const TArboOptions& options, std::shared_ptr<const TSnapshotTree>& old,
               std::shared_ptr<const TSnapshotTree>& now, std::string& error) {
  std::string newError;
  const bool newFile = !options.Folder.empty() && !CheckFolder(options.Folder, newError);
  std::thread reader;
  if (newFile) reader = std::thread([&] { now = LoadSnapshot(options.Folder, newError); });
  old = LoadSnapshot(*options.Compare, error);
  if (reader.joinable()) reader.join();
  if (!old) return false;
  if (!newFile) {
    now = NewSide(options, *old, error);
  } else if (!now) {
    error = newError;
  }
  return now != nullptr;
}

}  // namespace

int RunCompare(const TArboOptions& options) {
  std::string error;
  CatchInterrupt();
  std::shared_ptr<const TSnapshotTree> old, now;
  const bool read = ReadSides(options, old, now, error);
  if (Interrupted()) return kInterrupted;
  if (!read) return Fail(error);
  std::unique_ptr<TOutputTarget> target =
      options.OutputFile ? OpenOutputFile(*options.OutputFile, error) : OpenStandardOutput();
  if (!target) return Fail(error);

  // Names are compared and shown exact, in UTF-8, whatever the encoding of the lines.
  auto files = ramilux::NewSnapshotFileSystem(now);
  auto text = ramilux::NewPlatformTextServices(ramilux::TEncoding::Utf8);
  TConsoleOutput output(*target, options.Json ? TEncodingChoice::Ansi : options.Encoding);
  TProgressLine progress(false);
  TConsoleWindow window(options, output, progress);
  ramilux::TListing listing({*files, *text, window, window, window});
  window.Attach(listing);
  listing.BuildMaskList(window.MaskEditShown() ? window.MaskText() : std::string());
  if (options.Exclude) listing.SetExcludeMasks(*options.Exclude);
  if (window.MinSizeEditShown()) {
    listing.SetMinSize(options.SizeText);
    if (window.SizeTextRejected()) {
      return Fail(Say("taille invalide : ", "invalid size: ") + options.SizeText);
    }
  }
  const TCompareResult result =
      ramilux::CompareTrees(*old, *now, listing, *text, CompareOptionsOf(options));
  TCompareWriter writer({*old, *now}, result, listing, options, output);
  if (!(options.Json ? writer.Json() : writer.Text())) return kInterrupted;
  if (!output.Finish()) return Fail(output.Error());
  return result.Counts.Differs() ? kDiffer : kSame;
}

}  // namespace arbo
