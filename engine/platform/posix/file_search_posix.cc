// The file search on POSIX: readdir over one folder, with the attribute bits the walk
// expects (hidden for dot-names, directory) and the time and size read lazily by fstatat.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

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

class TPosixSearch final : public TFileSearch {
 public:
  bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
    Close();
    std::string folder = pattern;
    if (folder.ends_with(kAllEntries)) folder.resize(folder.size() - kAllEntries.size());
    if (folder.empty()) folder = ".";
    dir_.reset(opendir(folder.c_str()));
    if (!dir_) return false;
    exclusion_ = ExclusionMask(attrValue);
    return FindNext();
  }

  bool FindNext() override {
    if (!dir_) return false;
    while (const dirent* entry = readdir(dir_.get())) {
      Take(*entry);
      if ((attr_ & exclusion_) == 0) return true;
    }
    Close();
    return false;
  }

  void Close() override {
    dir_.reset();
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
  // Makes `entry` the current one. The directory bit comes from the entry's type when
  // the file system gives it, so a folder pass costs no stat per file. A symbolic link
  // is what lstat says it is: a link to a folder is a file entry, never walked.
  void Take(const dirent& entry) {
    name_ = entry.d_name;
    statState_ = TStatState::NotRead;
    bool isFolder = entry.d_type == DT_DIR;
    if (entry.d_type == DT_UNKNOWN) {
      const struct stat* status = Status();
      isFolder = status && S_ISDIR(status->st_mode);
    }
    attr_ = isFolder ? kAttrDirectory : 0;
    // "." and ".." are delivered as the Windows search delivers them, without the
    // hidden bit, so the walk sees and skips them itself.
    if (entry.d_name[0] == '.' && !IsDotOrDotDot(entry.d_name)) attr_ |= kAttrHidden;
  }

  // The current entry's status, read once and only when asked; null when it could not
  // be read (the entry may have been removed meanwhile).
  const struct stat* Status() {
    if (statState_ == TStatState::NotRead) {
      const bool ok = fstatat(dirfd(dir_.get()), name_.data(), &status_, AT_SYMLINK_NOFOLLOW) == 0;
      statState_ = ok ? TStatState::Read : TStatState::Failed;
    }
    return statState_ == TStatState::Read ? &status_ : nullptr;
  }

  enum class TStatState { NotRead, Read, Failed };

  TDirHandle dir_;
  uint32_t exclusion_ = 0;
  std::string_view name_;  // into the current dirent, valid until the next readdir
  uint32_t attr_ = 0;
  TStatState statState_ = TStatState::NotRead;
  struct stat status_ {};
};

class TPosixFileSystem final : public TFileSystem {
 public:
  char Separator() const override { return '/'; }
  std::unique_ptr<TFileSearch> NewSearch() override { return std::make_unique<TPosixSearch>(); }

  // Symbolic links are never followed here: the search reports a link to a folder as a
  // file, so the walk never enters one and no link can lead it back to an ancestor.
  bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }
};

}  // namespace

std::unique_ptr<TFileSystem> NewPlatformFileSystem() {
  return std::make_unique<TPosixFileSystem>();
}

}  // namespace ramilux
