// The walk: depth-first over the root, two searches per folder (its files, then its
// sub-folders), one entry per folder and per file that passes the filters.
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

// Levels between the root and the folder `path` (the root itself is 0).
int DepthBelowRoot(std::string_view path, size_t rootLength, char separator) {
  path.remove_prefix(std::min(rootLength, path.size()));
  return static_cast<int>(std::count(path.begin(), path.end(), separator));
}

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
  directory_ = {};
  directories_.clear();
  withFiles_ = withFiles;
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
  return withFiles_ && !FMasks.empty() && !FMasks.front().empty();
}

void TListing::WalkDirectory(std::string& path, size_t entry) {
  // A folder at the depth limit is listed but not entered.
  if (FWalkLimits.MaxDepth > 0 &&
      DepthBelowRoot(path, FRootLength, separator_) >= FWalkLimits.MaxDepth) {
    return;
  }
  indicators_.SetDirectoryLabel(DisplayText(path));
  indicators_.ProcessMessages();
  if (path.empty() || path.back() != separator_) path += separator_;
  const size_t length = path.size();
  if (FilesWanted()) {
    if (!FilePass(path, entry)) return;
    indicators_.ProcessMessages();
  }
  FolderPass(path, length, entry);
}

// A folder whose search failed is marked on its line and recorded once, even when both
// of its passes failed.
void TListing::MarkUnread(const std::string& path, size_t entry, const TFileSearch& search) {
  const TSearchFailure failure = search.Failure();
  if (failure == TSearchFailure::None) return;
  std::string shown = DisplayText(path);
  if (!FUnread.empty() && FUnread.back().Path == shown) return;
  if (entry != kNoEntry) {
    FEntries[entry].Attr |=
        failure == TSearchFailure::AccessDenied ? kAttrUnreadDenied : kAttrUnreadOther;
  }
  FUnread.push_back({std::move(shown), failure, search.FailureText()});
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
      lowerName_.assign(name);
      text_.Lower(lowerName_);
      // Size and time are read only for the files that pass the masks: on POSIX each
      // costs a stat of its own.
      if (MatchesAnyMask(lowerName_) && !Excluded(lowerName_)) {
        int64_t size = search->Size();
        uint32_t attr = search->Attr() & ~kAttrWalkMarks;
        // A size that could not be read is no empty file: listed, without a size.
        const bool sizeKnown = size != kUnknownSize;
        if (!sizeKnown) {
          size = -1;
          attr |= kAttrSizeUnknown;
        }
        if (!sizeKnown || PassesSizeFilter(size)) AddEntry(path, name, search->Time(), size, attr);
      }
    }
    found = search->FindNext();
    // The flag is polled right after each find-next, never after find-first.
    if (FStopRequested) return false;
  }
  MarkUnread(path, entry, *search);
  return true;
}

void TListing::FolderPass(std::string& path, size_t length, size_t entry) {
  path += kAllEntries;
  TSearchGuard search(files_);
  bool found = search->FindFirst(path, kFolderPassAttr);
  path.resize(length);
  while (found) {
    std::string_view name = search->Name();
    if ((search->Attr() & kAttrDirectory) != 0 && !IsDotOrDotDot(name) && !FolderExcluded(name)) {
      AddEntry(path, name, search->Time(), search->Size(), search->Attr() & ~kAttrWalkMarks);
      const size_t folder = FEntries.size() - 1;
      path += name;
      path += separator_;
      // A link back to an ancestor is listed but not entered: walking it would repeat
      // the tree above it until the path grows too long.
      if (!files_.IsLinkToAncestor(path, search->Attr())) WalkDirectory(path, folder);
      path.resize(length);
    }
    found = search->FindNext();
    if (FStopRequested) return;
  }
  MarkUnread(path, entry, *search);
}

bool TListing::FolderExcluded(std::string_view name) {
  if (FWalkLimits.ExcludeMasks.empty()) return false;
  lowerName_.assign(name);
  text_.Lower(lowerName_);
  return Excluded(lowerName_);
}

void TListing::AddEntry(std::string_view path, std::string_view name, uint32_t time, int64_t size,
                        uint32_t attr) {
  std::string_view relative = path.substr(std::min<size_t>(FRootLength, path.size()));
  // All the entries of one folder share one stored copy of its relative path, also when
  // the walk comes back to the folder after a sub-folder: the copies of the folders
  // above are kept by depth.
  if (FEntries.empty() || relative != directory_) {
    const size_t depth = std::count(relative.begin(), relative.end(), separator_);
    if (depth < directories_.size() && directories_[depth] == relative) {
      directory_ = directories_[depth];
    } else {
      directory_ = FEntries.Strings.Store(relative);
      directories_.resize(depth + 1);
      directories_[depth] = directory_;
    }
  }
  TFileObject& entry = FEntries.Items.emplace_back();
  entry.Directory = directory_;
  entry.Name = FEntries.Strings.Store(name);
  entry.Time = time;
  entry.Size = size;
  entry.Attr = attr;  // the prefix is the sort's to set
}

}  // namespace ramilux
