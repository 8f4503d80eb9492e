// The file search on POSIX: each folder opened relative to its parent and read whole,
// with the attribute bits the walk expects (hidden for dot-names, directory), the time
// and size read lazily by fstatat, and the reason a folder could not be read.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "local_time_posix.h"
#include "platform.h"

namespace ramilux {
namespace {

struct TDirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;

// The open folders along the path of the folder last asked for, each opened relative to
// its parent (openat), so that no path length limits the depth of the walk. Only the
// deepest levels and every kSpacing-th level keep their descriptor: a chain 10,000 folders
// deep holds about 350 descriptors, and a level whose descriptor was let go is opened
// again from the nearest open level above it.
class TFolderChain {
 public:
  TFolderChain() = default;
  TFolderChain(const TFolderChain&) = delete;
  TFolderChain& operator=(const TFolderChain&) = delete;
  ~TFolderChain() { Truncate(0); }

  // A descriptor of the folder `folder` (ending in '/'), owned by the chain and valid
  // until the next call; -1 with errno set when the folder cannot be opened.
  int Open(const std::string& folder) {
    if (!levels_.empty() && folder == path_) return FdOf(levels_.size() - 1);
    // The levels whose path both share stay; the walk mostly goes one level down or up.
    const size_t common =
        std::mismatch(folder.begin(), folder.end(), path_.begin(), path_.end()).first -
        folder.begin();
    size_t shared = levels_.size();
    while (shared > 0 && levels_[shared - 1].End > common) --shared;
    Truncate(shared);
    path_ = folder;
    if (levels_.empty()) {
      // The first level is the folder as given, opened by its path.
      const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return Failed();
      levels_.push_back({folder.size(), fd});
    }
    while (levels_.back().End < folder.size()) {
      const size_t begin = levels_.back().End;
      size_t end = folder.find('/', begin);
      if (end == std::string::npos) end = folder.size() - 1;
      const int parent = FdOf(levels_.size() - 1);
      if (parent < 0) return Failed();
      // Never through a link: a folder that became a link since its parent was read is
      // not followed.
      const std::string name = folder.substr(begin, end - begin);
      const int fd = name.empty() ? dup(parent)
                                  : openat(parent, name.c_str(),
                                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) return Failed();
      levels_.push_back({end + 1, fd});
      LetGo(levels_.size() - 1 - kSpacing);
    }
    return FdOf(levels_.size() - 1);
  }

 private:
  static constexpr size_t kSpacing = 32;
  struct TLevel {
    size_t End;  // length of the path of this level, its '/' included
    int Fd;      // -1 when let go
  };

  // The levels open so far stay, the path up to the last of them too; errno is kept.
  int Failed() {
    const int error = errno;
    path_.resize(levels_.empty() ? 0 : levels_.back().End);
    errno = error;
    return -1;
  }

  void LetGo(size_t level) {
    if (level == 0 || level >= levels_.size() || level % kSpacing == 0) return;
    if (levels_[level].Fd >= 0) close(levels_[level].Fd);
    levels_[level].Fd = -1;
  }

  int FdOf(size_t level) {
    if (levels_[level].Fd >= 0) return levels_[level].Fd;
    const int parent = FdOf(level - 1);  // at most kSpacing levels up
    if (parent < 0) return -1;
    const size_t begin = levels_[level - 1].End;
    const std::string name = path_.substr(begin, levels_[level].End - 1 - begin);
    levels_[level].Fd =
        openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return levels_[level].Fd;
  }

  void Truncate(size_t count) {
    while (levels_.size() > count) {
      if (levels_.back().Fd >= 0) close(levels_.back().Fd);
      levels_.pop_back();
    }
  }

  std::string path_;
  std::vector<TLevel> levels_;
};

// A folder's entries, read whole when its search starts: the folder is closed before the
// walk goes down into a sub-folder, so a deep walk holds no open folder per level. A
// reading delivered to its end is kept for the next search of the same folder: the walk
// searches every folder twice in a row (its files, then its sub-folders).
struct TFolderListing {
  struct TItem {
    uint32_t Offset;  // of the name in Names
    unsigned char Type;
  };
  std::string Folder;
  std::string Names;  // each followed by a NUL
  std::vector<TItem> Items;
};

// The one listing kept between two searches. Any search's start takes it or drops it.
class TListingCache {
 public:
  void Keep(TFolderListing&& listing) {
    kept_ = std::move(listing);
    valid_ = true;
  }
  bool Take(const std::string& folder, TFolderListing& into) {
    if (!valid_) return false;
    valid_ = false;
    if (kept_.Folder != folder) return false;
    std::swap(into, kept_);
    return true;
  }

 private:
  TFolderListing kept_;
  bool valid_ = false;
};

struct TShared {
  TFolderChain Chain;
  TListingCache Cache;
  TLocalTimeCache LocalTimes;
};

class TPosixSearch final : public TFileSearch {
 public:
  explicit TPosixSearch(std::shared_ptr<TShared> shared) : shared_(std::move(shared)) {}

  bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
    Close();
    shared_->LocalTimes.Recheck();
    failure_ = TSearchFailure::None;
    std::string folder = pattern;
    if (folder.ends_with(kAllEntries)) folder.resize(folder.size() - kAllEntries.size());
    if (folder.empty()) folder = "./";
    if (!folder.ends_with('/')) folder += '/';
    exclusion_ = ExclusionMask(attrValue);
    if (!shared_->Cache.Take(folder, listing_)) {
      listing_.Folder = std::move(folder);
      if (!ReadAll()) return false;
    }
    open_ = true;
    next_ = 0;
    return FindNext();
  }

  bool FindNext() override {
    if (!open_) return false;
    while (next_ < listing_.Items.size()) {
      const TFolderListing::TItem item = listing_.Items[next_++];
      Take(listing_.Names.data() + item.Offset, item.Type);
      if ((attr_ & exclusion_) == 0) return true;
    }
    shared_->Cache.Keep(std::move(listing_));
    Close();
    return false;
  }

  void Close() override {
    open_ = false;
    name_ = {};
  }

  std::string_view Name() const override { return name_; }
  uint32_t Attr() const override { return attr_; }

  uint32_t Time() override {
    const struct stat* status = Status();
    return status ? shared_->LocalTimes.Pack(status->st_mtim.tv_sec) : 0;
  }

  int64_t Size() override {
    if (attr_ & kAttrDirectory) return 0;
    const struct stat* status = Status();
    return status ? int64_t(status->st_size) : kUnknownSize;
  }

  TSearchFailure Failure() const override { return failure_; }
  std::string FailureText() const override { return failureText_; }

 private:
  // Reads the folder's entries to the end and closes it again.
  bool ReadAll() {
    listing_.Names.clear();
    listing_.Items.clear();
    const int folder = shared_->Chain.Open(listing_.Folder);
    if (folder < 0) return Failed(errno);
    // A descriptor of its own for the reading: the chain keeps the folder's.
    const int copy = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return Failed(errno);
    TDirHandle dir(fdopendir(copy));
    if (!dir) {
      const int error = errno;
      close(copy);
      return Failed(error);
    }
    rewinddir(dir.get());  // the copy shares its offset with the chain's descriptor
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(dir.get());
      if (entry == nullptr) break;
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        struct stat status;
        type = fstatat(dirfd(dir.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(status.st_mode)
                   ? DT_DIR
                   : DT_REG;
      }
      listing_.Items.push_back({uint32_t(listing_.Names.size()), type});
      listing_.Names.append(entry->d_name, std::strlen(entry->d_name) + 1);
    }
    if (errno != 0) return Failed(errno);
    return true;
  }

  bool Failed(int error) {
    failure_ = error == EACCES || error == EPERM ? TSearchFailure::AccessDenied
                                                 : TSearchFailure::Unreadable;
    failureText_ = std::strerror(error);
    return false;
  }

  // Makes the entry `name` the current one. A symbolic link is what lstat says it is: a
  // link to a folder is a file entry, never walked.
  void Take(const char* name, unsigned char type) {
    name_ = name;
    statState_ = TStatState::NotRead;
    attr_ = type == DT_DIR ? kAttrDirectory : 0;
    // "." and ".." are delivered as the Windows search delivers them, without the
    // hidden bit, so the walk sees and skips them itself.
    if (name[0] == '.' && !IsDotOrDotDot(name)) attr_ |= kAttrHidden;
  }

  // The current entry's status, read once and only when asked; null when it could not
  // be read (the entry may have been removed meanwhile, or the folder is not searchable).
  const struct stat* Status() {
    if (statState_ == TStatState::NotRead) {
      const int folder = shared_->Chain.Open(listing_.Folder);
      const bool ok =
          folder >= 0 && fstatat(folder, name_.data(), &status_, AT_SYMLINK_NOFOLLOW) == 0;
      statState_ = ok ? TStatState::Read : TStatState::Failed;
    }
    return statState_ == TStatState::Read ? &status_ : nullptr;
  }

  enum class TStatState { NotRead, Read, Failed };

  std::shared_ptr<TShared> shared_;
  TFolderListing listing_;
  bool open_ = false;
  size_t next_ = 0;
  uint32_t exclusion_ = 0;
  TSearchFailure failure_ = TSearchFailure::None;
  std::string failureText_;
  std::string_view name_;  // into the listing's names
  uint32_t attr_ = 0;
  TStatState statState_ = TStatState::NotRead;
  struct stat status_ {};
};

class TPosixFileSystem final : public TFileSystem {
 public:
  char Separator() const override { return '/'; }
  std::unique_ptr<TFileSearch> NewSearch() override {
    return std::make_unique<TPosixSearch>(shared_);
  }

  // Symbolic links are never followed here: the search reports a link to a folder as a
  // file, so the walk never enters one and no link can lead it back to an ancestor.
  bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }

 private:
  std::shared_ptr<TShared> shared_ = std::make_shared<TShared>();
};

}  // namespace

TEncoding PlatformEncoding() {
  return TEncoding::Utf8;
}

std::unique_ptr<TFileSystem> NewSingleThreadFileSystem(TEncoding) {
  return std::make_unique<TPosixFileSystem>();
}

}  // namespace ramilux
