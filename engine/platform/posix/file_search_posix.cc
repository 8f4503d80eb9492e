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

#include "folder_chain_posix.h"
#include "listing_cache.h"
#include "local_time_posix.h"
#include "platform.h"

namespace ramilux {
namespace {

// What one read of a folder's entries asks the system for: most folders in one call.
constexpr size_t kEntryBufferBytes = 32 * 1024;

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

  const std::string& Key() const { return Folder; }
};

struct TShared {
  TShared(std::shared_ptr<TAnchorPost> post, bool reader) : Chain(std::move(post), reader) {}
  TFolderChain Chain;
  TListingCache<TFolderListing> Cache;
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

  std::optional<TFileTime> UtcTime() override {
    const struct stat* status = Status();
    if (!status) return std::nullopt;
    return TFileTime{int64_t(status->st_mtim.tv_sec), int32_t(status->st_mtim.tv_nsec)};
  }

  int64_t Size() override {
    if (attr_ & kAttrDirectory) return 0;
    const struct stat* status = Status();
    return status ? int64_t(status->st_size) : kUnknownSize;
  }

  TSearchFailure Failure() const override { return failure_; }
  std::string FailureText() const override { return failureText_; }

 private:
  // Reads the folder's entries to the end, through the chain's descriptor of it.
  bool ReadAll() {
    listing_.Names.clear();
    listing_.Items.clear();
    const int fd = shared_->Chain.OpenAtStart(listing_.Folder);
    if (fd < 0) return Failed(errno);
    alignas(dirent64) char buffer[kEntryBufferBytes];
    for (;;) {
      const ssize_t got = getdents64(fd, buffer, sizeof buffer);
      if (got < 0) return Failed(errno);
      if (got == 0) return true;
      for (ssize_t at = 0; at < got;) {
        const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
        at += entry->d_reclen;
        Keep(fd, entry->d_name, entry->d_type);
      }
    }
  }

  void Keep(int fd, const char* name, unsigned char type) {
    if (type == DT_UNKNOWN) {
      struct stat status;
      type = fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)
                 ? DT_DIR
                 : DT_REG;
    }
    listing_.Items.push_back({uint32_t(listing_.Names.size()), type});
    listing_.Names.append(name, std::strlen(name) + 1);
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
  TPosixFileSystem(std::shared_ptr<TAnchorPost> post, bool reader)
      : post_(post), shared_(std::make_shared<TShared>(std::move(post), reader)) {}

  char Separator() const override { return '/'; }
  std::unique_ptr<TFileSearch> NewSearch() override {
    return std::make_unique<TPosixSearch>(shared_);
  }
  // Its folders are opened below the folder this file system opened by its path.
  std::unique_ptr<TFileSystem> NewReader() override {
    return std::make_unique<TPosixFileSystem>(post_, true);
  }
  void Idle() override { shared_->Chain.Clear(); }
  // Nothing read or opened before a walk answers it: the tree may have changed since.
  void BeginWalk(const TWalkPlan&) override { Forget(); }
  void EndWalk() override { Forget(); }

  // Symbolic links are never followed here: the search reports a link to a folder as a
  // file, so the walk never enters one and no link can lead it back to an ancestor.
  bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }

 private:
  void Forget() {
    shared_->Chain.Clear();
    shared_->Cache.Drop();
  }
  std::shared_ptr<TAnchorPost> post_;
  std::shared_ptr<TShared> shared_;
};

class TPosixTimePacker final : public TTimePacker {
 public:
  uint32_t Pack(const TFileTime& utc) override { return times_.Pack(time_t(utc.Seconds)); }

 private:
  TLocalTimeCache times_;
};

}  // namespace

std::unique_ptr<TTimePacker> NewTimePacker() {
  return std::make_unique<TPosixTimePacker>();
}

TEncoding PlatformEncoding() {
  return TEncoding::Utf8;
}

std::unique_ptr<TFileSystem> NewSingleThreadFileSystem(TEncoding) {
  return std::make_unique<TPosixFileSystem>(std::make_shared<TAnchorPost>(), false);
}

}  // namespace ramilux
