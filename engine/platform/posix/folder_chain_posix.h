// The open folders along the path of the folder a POSIX search reads, each opened from
// its parent without following links, and the walk's first folder that its readers'
// chains start from.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ramilux {

// The folder a walk's thread opened by its path, as the user gave it, with a descriptor of
// its own: the readers' chains start from it, so that no reader opens a folder through a
// path that a link could redirect.
struct TAnchor {
  std::string Path;  // ends in '/'
  int Fd = -1;
  ~TAnchor() {
    if (Fd >= 0) close(Fd);
  }
};

// Where the walk's file system leaves its anchor for its readers, on other threads.
class TAnchorPost {
 public:
  void Post(std::shared_ptr<const TAnchor> anchor) {
    std::lock_guard lock(mutex_);
    anchor_ = std::move(anchor);
  }
  std::shared_ptr<const TAnchor> Get() const {
    std::lock_guard lock(mutex_);
    return anchor_;
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const TAnchor> anchor_;
};

// The open folders along the path of the folder last asked for, each opened relative to
// its parent (openat, never through a link), so that no path length limits the depth of
// the walk and no link met on the way is followed. Only the deepest levels and every
// kSpacing-th level keep their descriptor: a chain 10,000 folders deep holds about 350
// descriptors, and a level whose descriptor was let go is opened again from the nearest
// open level above it. When the process runs out of descriptors, the chain lets go of all
// but its first level and the one it opens from, and tries again.
class TFolderChain {
 public:
  // The walk's chain opens its first level by its path and posts it; a reader's chain
  // starts from the walk's anchor and opens only folders below it.
  TFolderChain(std::shared_ptr<TAnchorPost> post, bool reader)
      : post_(std::move(post)), reader_(reader) {}
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
    if (levels_.empty() && !OpenFirst(folder)) return Failed();
    while (levels_.back().End < folder.size()) {
      const size_t begin = levels_.back().End;
      size_t end = folder.find('/', begin);
      if (end == std::string::npos) end = folder.size() - 1;
      if (FdOf(levels_.size() - 1) < 0) return Failed();
      const int fd = OpenBelow(levels_.size() - 1, folder.substr(begin, end - begin));
      if (fd < 0) return Failed();
      levels_.push_back({end + 1, fd});
      LetGo(levels_.size() - 1 - kSpacing);
    }
    return FdOf(levels_.size() - 1);
  }

  // As Open, for reading the folder's entries from the first: the chain's own descriptor
  // is read rather than a copy of it (a copy, its stream and the rewind of the shared
  // offset cost four system calls a folder), so its offset goes back to the start only
  // when it was read before.
  int OpenAtStart(const std::string& folder) {
    const int fd = Open(folder);
    if (fd < 0) return fd;
    TLevel& last = levels_.back();
    if (last.Read && lseek(fd, 0, SEEK_SET) < 0) return -1;
    last.Read = true;
    return fd;
  }

  // Every level closed: an idle reader holds no descriptor the walk may need.
  void Clear() {
    Truncate(0);
    path_.clear();
  }

 private:
  static constexpr size_t kSpacing = 32;
  static constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  struct TLevel {
    size_t End;         // length of the path of this level, its '/' included
    int Fd;             // -1 when let go; the first level's never is
    bool Read = false;  // its descriptor's offset moved past the first entry
  };

  bool OpenFirst(const std::string& folder) {
    if (reader_) {
      const std::shared_ptr<const TAnchor> anchor = post_->Get();
      if (!anchor || !folder.starts_with(anchor->Path)) {
        errno = EXDEV;  // the walk's thread reads it itself
        return false;
      }
      const int fd = openat(anchor->Fd, ".", kFolderFlags);
      if (fd < 0) return false;
      levels_.push_back({anchor->Path.size(), fd});
      return true;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    levels_.push_back({folder.size(), fd});
    auto anchor = std::make_shared<TAnchor>();
    anchor->Path = folder;
    anchor->Fd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    post_->Post(anchor->Fd >= 0 ? std::move(anchor) : nullptr);
    return true;
  }

  // The sub-folder `name` of the open level `parent` ("" is the level itself, as in "//").
  int OpenBelow(size_t parent, const std::string& name) {
    const int fd = levels_[parent].Fd;
    const char* relative = name.empty() ? "." : name.c_str();
    return Retrying(parent, [fd, relative] { return openat(fd, relative, kFolderFlags); });
  }

  template <typename TOpening>
  int Retrying(size_t kept, const TOpening& opening) {
    for (;;) {
      const int fd = opening();
      if (fd >= 0 || (errno != EMFILE && errno != ENFILE)) return fd;
      const int error = errno;
      if (!LetGoAllBut(kept)) {
        errno = error;
        return -1;
      }
    }
  }

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

  // False when no level but the first and `kept` was open.
  bool LetGoAllBut(size_t kept) {
    bool any = false;
    for (size_t level = 1; level < levels_.size(); ++level) {
      if (level == kept || levels_[level].Fd < 0) continue;
      close(levels_[level].Fd);
      levels_[level].Fd = -1;
      any = true;
    }
    return any;
  }

  int FdOf(size_t level) {
    size_t open = level;
    while (levels_[open].Fd < 0) --open;
    for (; open < level; ++open) {
      const size_t begin = levels_[open].End;
      const int fd = OpenBelow(open, path_.substr(begin, levels_[open + 1].End - 1 - begin));
      if (fd < 0) return -1;
      levels_[open + 1].Fd = fd;
      levels_[open + 1].Read = false;
    }
    return levels_[level].Fd;
  }

  void Truncate(size_t count) {
    while (levels_.size() > count) {
      if (levels_.back().Fd >= 0) close(levels_.back().Fd);
      levels_.pop_back();
    }
  }

  std::shared_ptr<TAnchorPost> post_;
  bool reader_;
  std::string path_;
  std::vector<TLevel> levels_;
};

}  // namespace ramilux
