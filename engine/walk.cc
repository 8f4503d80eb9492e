// The walk: depth-first over the root, two searches per folder (its files, then its
// sub-folders), one entry per folder and per file that passes the filters. The folders on
// the way down are a stack of levels, not a recursion: a chain of folders of any depth
// takes no more of the thread's stack than one folder.
#include <algorithm>
#include <memory>

#include "listing.h"

namespace ramilux {
namespace {

// Closes the search on every way out of a pass, the stop and an exception included.
class TSearchGuard {
 public:
  explicit TSearchGuard(TFileSystem& files) : search_(files.NewSearch()) {}
  ~TSearchGuard() { search_->Close(); }
  TSearchGuard(const TSearchGuard&) = delete;
  TSearchGuard& operator=(const TSearchGuard&) = delete;
  TFileSearch* operator->() { return search_.get(); }
  const TFileSearch& operator*() const { return *search_; }

 private:
  std::unique_ptr<TFileSearch> search_;
};

// Ends the file system's walk on every way out of it, the stop and an exception included.
class TWalkScope {
 public:
  TWalkScope(TFileSystem& files, const TWalkPlan& plan) : files_(files) { files_.BeginWalk(plan); }
  ~TWalkScope() { files_.EndWalk(); }
  TWalkScope(const TWalkScope&) = delete;
  TWalkScope& operator=(const TWalkScope&) = delete;

 private:
  TFileSystem& files_;
};

}  // namespace

void TListing::SetRoot(std::string folder) {
  if (!folder.empty() && folder.back() != files_.Separator()) folder += files_.Separator();
  FDirectory = std::move(folder);
  FRootLength = static_cast<int32_t>(FDirectory.size());
}

void TListing::Clear() {
  SetRoot({});
  FMasks.clear();
  FEntries.Clear();
  FMinSize = 0;
  FUnread.clear();
}

void TListing::ScanTree(const std::string& root, bool withFiles) {
  FEntries.Clear();
  FUnread.clear();
  rootUnread_ = false;
  withFiles_ = withFiles;
  everyName_ =
      FWalkLimits.ExcludeMasks.empty() &&
      std::ranges::any_of(FMasks, [](const std::string& m) { return m == "*" || m == "*.*"; });
  std::string path = root;  // the one working buffer of the whole walk
  path.reserve(4096);
  // While the walk waits for a folder, the window keeps answering and Stop ends the wait.
  const TWalkScope scope(files_, {FilesWanted(), [this] {
                                    indicators_.ProcessMessages();
                                    return !FStopRequested;
                                  }});
  WalkDirectory(path, kNoEntry);
}

// An empty first mask, or no mask at all, means that no file is wanted.
bool TListing::FilesWanted() const {
  // Totals count the files that the rules let through, listed or not.
  return (withFiles_ || totalsOn_) && !FMasks.empty() && !FMasks.front().empty();
}

void TListing::WalkDirectory(std::string& path, size_t entry) {
  // The searches still open are closed deepest first, however the walk ends.
  struct TLevelsGuard {
    std::vector<TWalkLevel>& Levels;
    ~TLevelsGuard() {
      while (!Levels.empty()) Levels.pop_back();
    }
  } guard{levels_};
  levels_.clear();
  label_ = DisplayText(path);
  EnterDirectory(path, entry, 0);
  while (!levels_.empty()) {
    if (!FolderPass(path)) levels_.pop_back();
  }
}

// What the walk does as it enters a folder, up to its folder pass's find-first.
void TListing::EnterDirectory(std::string& path, size_t entry, int depth) {
  // A folder at the depth limit is listed but not entered; totals count what is below it.
  if (FWalkLimits.MaxDepth > 0 && depth >= FWalkLimits.MaxDepth && !totalsOn_) return;
  indicators_.SetDirectoryLabel(label_);
  indicators_.ProcessMessages();
  if (path.empty() || path.back() != separator_) {
    path += separator_;
    label_ += separator_;
  }
  levels_.push_back({nullptr, entry, path.size(), label_.size(), depth, TFolderPath()});
  if (FilesWanted()) {
    if (!FilePass(path, entry)) {
      levels_.pop_back();
      return;
    }
    indicators_.ProcessMessages();
  }
  TWalkLevel& level = levels_.back();
  level.Search.reset(files_.NewSearch().release());
  path += kAllEntries;
  level.Found = level.Search->FindFirst(path, kFolderPassAttr);
  path.resize(level.PathLength);
}

// A folder whose search failed is marked on its line and recorded once, even when both
// of its passes failed.
void TListing::MarkUnread(size_t entry, const TFileSearch& search) {
  const TSearchFailure failure = search.Failure();
  if (failure == TSearchFailure::None) return;
  if (!FUnread.empty() && FUnread.back().Path == label_) return;
  if (entry != kNoEntry) {
    TFileObject& folder = FEntries[entry];
    folder.SetAttr(folder.Attr() | (failure == TSearchFailure::AccessDenied ? kAttrUnreadDenied
                                                                            : kAttrUnreadOther));
  } else {
    rootUnread_ = true;
  }
  FUnread.push_back({label_, failure, search.FailureText()});
}

// The folder of the deepest level, its record made when its first entry is added: the
// folder above already has one, since it holds this folder's entry.
TFolderPath TListing::WalkedFolder() {
  TWalkLevel& level = levels_.back();
  if (level.Folder.Record() == nullptr && level.Entry != kNoEntry && levels_.size() >= 2) {
    const TFolderPath above = levels_[levels_.size() - 2].Folder;
    level.Folder = FEntries.AddFolder(above, FEntries[level.Entry].Name, separator_);
  }
  return level.Folder;
}

bool TListing::FilePass(std::string& path, size_t entry) {
  const size_t length = path.size();
  path += kAllEntries;
  TSearchGuard search(files_);
  bool found = search->FindFirst(path, kFilePassAttr);
  path.resize(length);
  while (found) {
    std::string_view name = search->Name();
    if ((search->Attr() & kAttrDirectory) == 0 && !IsDotOrDotDot(name)) {
      // Size and time are read only for the files that pass the masks: on POSIX each
      // costs a stat of its own.
      if (FileNamePasses(name)) {
        int64_t size = search->Size();
        uint32_t attr = search->Attr() & ~kAttrWalkMarks;
        // A size that could not be read is no empty file: listed, without a size.
        const bool sizeKnown = size != kUnknownSize;
        if (!sizeKnown) {
          size = -1;
          attr |= kAttrSizeUnknown;
        }
        if (!sizeKnown || PassesSizeFilter(size)) {
          AddEntry(WalkedFolder(), name, search->Time(), size, attr);
        }
      }
    }
    found = search->FindNext();
    // The flag is polled right after each find-next, never after find-first.
    if (FStopRequested) return false;
  }
  MarkUnread(entry, *search);
  return true;
}

// Goes on with the folder pass of the deepest level: after the sub-folder it went down
// into last, the find-next; then up to the next sub-folder to enter, which becomes the
// deepest level. False when the level's pass is over (or the run stopped).
bool TListing::FolderPass(std::string& path) {
  TWalkLevel* level = &levels_.back();
  TFileSearch& search = *level->Search;
  if (level->Below) {
    level->Below = false;
    path.resize(level->PathLength);
    label_.resize(level->LabelLength);
    level->Found = search.FindNext();
    if (FStopRequested) return false;
  }
  const bool utf8 = text_.Encoding() == TEncoding::Utf8;
  while (level->Found) {
    std::string_view name = search.Name();
    if ((search.Attr() & kAttrDirectory) != 0 && !IsDotOrDotDot(name) && !FolderExcluded(name)) {
      AddEntry(WalkedFolder(), name, search.Time(), search.Size(), search.Attr() & ~kAttrWalkMarks);
      const size_t folder = FEntries.size() - 1;
      path += name;
      path += separator_;
      // A link back to an ancestor is listed but not entered: walking it would repeat
      // the tree above it until the path grows too long.
      if (!files_.IsLinkToAncestor(path, search.Attr())) {
        level->Below = true;
        AppendDisplayText(label_, name, utf8);
        label_ += separator_;
        EnterDirectory(path, folder, level->Depth + 1);  // `level` may move
        return true;
      }
      path.resize(level->PathLength);
    }
    level->Found = search.FindNext();
    // The flag is polled right after each find-next, never after find-first.
    if (FStopRequested) return false;
  }
  MarkUnread(level->Entry, search);
  return false;
}

// A mask that takes every name ("*", "*.*") spares the lower-casing of every file's name.
bool TListing::FileNamePasses(std::string_view name) {
  if (everyName_) return true;
  lowerName_.assign(name);
  text_.Lower(lowerName_);
  return MatchesAnyMask(lowerName_) && !Excluded(lowerName_);
}

bool TListing::FolderExcluded(std::string_view name) {
  if (FWalkLimits.ExcludeMasks.empty()) return false;
  lowerName_.assign(name);
  text_.Lower(lowerName_);
  return Excluded(lowerName_);
}

void TListing::AddEntry(TFolderPath directory, std::string_view name, uint32_t time, int64_t size,
                        uint32_t attr) {
  TFileObject& entry = FEntries.Items.emplace_back();
  entry.SetDirectory(directory);
  entry.Name = FEntries.Strings.Store(name);
  entry.Time = time;
  entry.Size = size;
  entry.SetAttr(attr);  // the prefix is the sort's to set
}

}  // namespace ramilux
