// The file search on POSIX: readdir over one folder, with the attribute bits the walk
// expects (hidden for dot-names, directory) and the time and size read lazily by fstatat.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform.h"

namespace ramilux {
namespace {

struct TDirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;

constexpr std::string_view kAllEntries = "*.*";

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Packs a time in local time as a DOS date (high word) and time (low word); 0 for the
// years the packed format cannot hold.
uint32_t PackLocalTime(time_t when) {
  struct tm local;
  if (localtime_r(&when, &local) == nullptr) return 0;
  const int year = local.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
  const uint32_t date =
      (uint32_t(year - 1980) << 9) | (uint32_t(local.tm_mon + 1) << 5) | uint32_t(local.tm_mday);
  const uint32_t time =
      (uint32_t(local.tm_hour) << 11) | (uint32_t(local.tm_min) << 5) | uint32_t(second / 2);
  return (date << 16) | time;
}

// A folder's entries as one search read them to its end, kept for the next search of the
// same folder: the walk searches every folder twice in a row (its files, then its
// sub-folders), and reading it again would cost an open, two getdents and a close. The
// folder stays open, so the status of an entry is still read relative to it.
struct TFolderListing {
  struct TItem {
    uint32_t Offset;  // of the name in Names
    unsigned char Type;
  };
  std::string Folder;
  TDirHandle Dir;
  std::string Names;  // each followed by a NUL
  std::vector<TItem> Items;
};

// The one listing kept between two searches.
class TListingCache {
 public:
  void Keep(TFolderListing&& listing) { kept_ = std::move(listing); }
  bool Take(const std::string& folder, TFolderListing& into) {
    if (!kept_.Dir || kept_.Folder != folder) return false;
    into = std::move(kept_);
    kept_.Dir.reset();
    return true;
  }

 private:
  TFolderListing kept_;
};

class TPosixSearch final : public TFileSearch {
 public:
  explicit TPosixSearch(std::shared_ptr<TListingCache> cache) : cache_(std::move(cache)) {}

  bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
    Close();
    std::string folder = pattern;
    if (folder.ends_with(kAllEntries)) folder.resize(folder.size() - kAllEntries.size());
    if (folder.empty()) folder = ".";
    exclusion_ = ExclusionMask(attrValue);
    if (cache_->Take(folder, listing_)) {
      replaying_ = true;
      next_ = 0;
    } else {
      listing_.Dir.reset(opendir(folder.c_str()));
      if (!listing_.Dir) return false;
      // Only a search that delivers everything can answer any later search.
      recording_ = exclusion_ == 0;
      listing_.Folder = std::move(folder);
      listing_.Names.clear();
      listing_.Items.clear();
    }
    return FindNext();
  }

  bool FindNext() override {
    if (!listing_.Dir) return false;
    return replaying_ ? NextKept() : NextRead();
  }

  void Close() override {
    listing_.Dir.reset();
    replaying_ = recording_ = false;
    name_ = {};
  }

  std::string_view Name() const override { return name_; }
  uint32_t Attr() const override { return attr_; }

  uint32_t Time() override {
    const struct stat* status = Status();
    return status ? PackLocalTime(status->st_mtim.tv_sec) : 0;
  }

  int64_t Size() override {
    if (attr_ & kAttrDirectory) return 0;
    const struct stat* status = Status();
    return status ? int64_t(status->st_size) : 0;
  }

 private:
  bool NextRead() {
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(listing_.Dir.get());
      if (entry == nullptr) break;
      Take(entry->d_name, entry->d_type);
      if (recording_) {
        // The type as Take found it, so that an unknown type is not stat'ed again.
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) type = (attr_ & kAttrDirectory) ? DT_DIR : DT_REG;
        listing_.Items.push_back({uint32_t(listing_.Names.size()), type});
        listing_.Names.append(entry->d_name, std::strlen(entry->d_name) + 1);
      }
      if ((attr_ & exclusion_) == 0) return true;
    }
    if (recording_ && errno == 0) cache_->Keep(std::move(listing_));
    Close();
    return false;
  }

  bool NextKept() {
    while (next_ < listing_.Items.size()) {
      const TFolderListing::TItem item = listing_.Items[next_++];
      Take(listing_.Names.data() + item.Offset, item.Type);
      if ((attr_ & exclusion_) == 0) return true;
    }
    Close();
    return false;
  }

  // Makes the entry `name` the current one. The directory bit comes from the entry's
  // type when the file system gives it, so a folder pass costs no stat per file. A
  // symbolic link is what lstat says it is: a link to a folder is a file entry, never
  // walked.
  void Take(const char* name, unsigned char type) {
    name_ = name;
    statState_ = TStatState::NotRead;
    bool isFolder = type == DT_DIR;
    if (type == DT_UNKNOWN) {
      const struct stat* status = Status();
      isFolder = status && S_ISDIR(status->st_mode);
    }
    attr_ = isFolder ? kAttrDirectory : 0;
    // "." and ".." are delivered as the Windows search delivers them, without the
    // hidden bit, so the walk sees and skips them itself.
    if (name[0] == '.' && !IsDotOrDotDot(name)) attr_ |= kAttrHidden;
  }

  // The current entry's status, read once and only when asked; null when it could not
  // be read (the entry may have been removed meanwhile).
  const struct stat* Status() {
    if (statState_ == TStatState::NotRead) {
      const int folder = dirfd(listing_.Dir.get());
      const bool ok = fstatat(folder, name_.data(), &status_, AT_SYMLINK_NOFOLLOW) == 0;
      statState_ = ok ? TStatState::Read : TStatState::Failed;
    }
    return statState_ == TStatState::Read ? &status_ : nullptr;
  }

  enum class TStatState { NotRead, Read, Failed };

  std::shared_ptr<TListingCache> cache_;
  TFolderListing listing_;
  bool recording_ = false;
  bool replaying_ = false;
  size_t next_ = 0;
  uint32_t exclusion_ = 0;
  std::string_view name_;  // into the current dirent or the kept names
  uint32_t attr_ = 0;
  TStatState statState_ = TStatState::NotRead;
  struct stat status_ {};
};

class TPosixFileSystem final : public TFileSystem {
 public:
  char Separator() const override { return '/'; }
  std::unique_ptr<TFileSearch> NewSearch() override {
    return std::make_unique<TPosixSearch>(cache_);
  }

  // Symbolic links are never followed here: the search reports a link to a folder as a
  // file, so the walk never enters one and no link can lead it back to an ancestor.
  bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }

 private:
  std::shared_ptr<TListingCache> cache_ = std::make_shared<TListingCache>();
};

}  // namespace

std::unique_ptr<TFileSystem> NewPlatformFileSystem() {
  return std::make_unique<TPosixFileSystem>();
}

}  // namespace ramilux
