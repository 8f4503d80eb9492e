// The snapshot in memory and the walk that fills it: folders in the walk's own order,
// each linked from its entry in the folder above as it comes.
#include <algorithm>

#include "snapshot.h"

namespace ramilux {

bool WalkEnters(const TSnapshotItem& item) {
  return (item.Attr & kAttrDirectory) != 0 && (item.Attr & ExclusionMask(kFolderPassAttr)) == 0 &&
         !item.LinkToAncestor;
}

bool TSnapshotTree::AddFolder(TSnapshotFolder folder) {
  const uint32_t index = static_cast<uint32_t>(Folders.size());
  folder.First = static_cast<uint32_t>(Items.size());
  folder.Count = 0;
  const size_t depth = std::count(folder.Path.begin(), folder.Path.end(), Separator);
  if (index == 0 || depth == 0) {
    if (index != 0 || !folder.Path.empty()) return false;
  } else {
    if (depth > open_.size() || folder.Path.back() != Separator) return false;
    const TSnapshotFolder& parent = Folders[open_[depth - 1]];
    if (!folder.Path.starts_with(parent.Path)) return false;
    const std::string_view name =
        std::string_view(folder.Path)
            .substr(parent.Path.size(), folder.Path.size() - parent.Path.size() - 1);
    // The next folder the walk enters in the parent must be this one.
    uint32_t& scanned = scanned_[depth - 1];
    while (scanned < parent.Count && !WalkEnters(Items[parent.First + scanned])) ++scanned;
    if (scanned == parent.Count) return false;
    TSnapshotItem& entry = Items[parent.First + scanned++];
    if (Name(entry) != name) return false;
    entry.Child = index;
  }
  open_.resize(depth);
  scanned_.resize(depth);
  open_.push_back(index);
  scanned_.push_back(0);
  Folders.push_back(std::move(folder));
  return true;
}

void TSnapshotTree::AddItem(std::string_view name, TSnapshotItem item) {
  item.NameOffset = static_cast<uint32_t>(Names.size());
  item.NameLength = static_cast<uint16_t>(name.size());
  item.Child = kNoFolder;
  Names += name;
  Items.push_back(item);
  ++Folders.back().Count;
}

bool TSnapshotTree::Complete() const {
  if (Folders.empty()) return false;
  return std::none_of(Items.begin(), Items.end(), [](const TSnapshotItem& item) {
    return WalkEnters(item) && item.Child == kNoFolder;
  });
}

namespace {

// One folder's search, every entry, into `folder` (a tree holding that folder alone).
void ReadFolder(TFileSystem& files, std::string& path, size_t rootLength, TSnapshotTree& folder) {
  folder.Folders.clear();
  folder.Items.clear();
  folder.Names.clear();
  folder.Folders.push_back({path.substr(rootLength), 0, 0, TSearchFailure::None, {}});
  const size_t length = path.size();
  path += kAllEntries;
  auto search = files.NewSearch();
  bool found = search->FindFirst(path, kFilePassAttr);
  path.resize(length);
  while (found) {
    const std::string_view name = search->Name();
    if (!IsDotOrDotDot(name)) {
      TSnapshotItem item;
      item.Attr = search->Attr();
      item.Size = search->Size();
      item.Packed = search->Time();
      item.SetUtc(search->UtcTime().value_or(TFileTime{0, -1}));
      if ((item.Attr & kAttrDirectory) != 0) {
        item.LinkToAncestor =
            files.IsLinkToAncestor(path + std::string(name) + files.Separator(), item.Attr);
      }
      folder.AddItem(name, item);
    }
    found = search->FindNext();
  }
  folder.Folders[0].Failure = search->Failure();
  if (folder.Folders[0].Failure != TSearchFailure::None) {
    folder.Folders[0].Reason = search->FailureText();
  }
  search->Close();
}

class TSnapshotWalk {
 public:
  TSnapshotWalk(TFileSystem& files, size_t rootLength, const TFolderTaker& take,
                const std::function<bool()>& goOn)
      : files_(files), rootLength_(rootLength), take_(take), goOn_(goOn) {}

  // Depth first, the sub-folders of each folder in the order of its entries.
  bool Walk(std::string& path) {
    if (goOn_ && !goOn_()) return false;
    TSnapshotTree folder;
    folder.Separator = files_.Separator();
    ReadFolder(files_, path, rootLength_, folder);
    if (!take_(folder)) return false;
    const size_t length = path.size();
    for (const TSnapshotItem& item : folder.Items) {
      if (!WalkEnters(item)) continue;
      path += folder.Name(item);
      path += files_.Separator();
      const bool goOn = Walk(path);
      path.resize(length);
      if (!goOn) return false;
    }
    return true;
  }

 private:
  TFileSystem& files_;
  size_t rootLength_;
  const TFolderTaker& take_;
  const std::function<bool()>& goOn_;
};

}  // namespace

bool WalkSnapshot(TFileSystem& files, const std::string& root, const TFolderTaker& take,
                  const std::function<bool()>& goOn) {
  std::string path = root;
  if (path.empty() || path.back() != files.Separator()) path += files.Separator();
  TWalkPlan plan;
  plan.Files = true;
  plan.UtcTimes = true;
  plan.WhileWaiting = goOn;
  files.BeginWalk(plan);
  const bool done = TSnapshotWalk(files, path.size(), take, goOn).Walk(path);
  files.EndWalk();
  return done;
}

bool TakeSnapshot(TFileSystem& files, const std::string& root, TSnapshotTree& tree,
                  const std::function<bool()>& goOn) {
  tree = {};
  tree.Root = root;
  if (tree.Root.empty() || tree.Root.back() != files.Separator()) tree.Root += files.Separator();
  tree.Separator = files.Separator();
  const auto take = [&tree](const TSnapshotTree& folder) {
    TSnapshotFolder record = folder.Folders[0];
    if (!tree.AddFolder(std::move(record))) return false;
    for (const TSnapshotItem& item : folder.Items) tree.AddItem(folder.Name(item), item);
    return true;
  };
  return WalkSnapshot(files, tree.Root, take, goOn);
}

}  // namespace ramilux
