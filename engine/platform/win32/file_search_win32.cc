// The file search on Win32: FindFirstFileExW / FindNextFileW on "\\?\" paths with the
// attribute value's exclusion rule (the second search of a folder replays the first's
// reading), names in the run's encoding, packed local DOS times, 64-bit sizes, the reason
// a folder could not be read, and the test for folder links that lead back to an
// ancestor (junctions and directory symbolic links).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "file_handle.h"
#include "listing_cache.h"
#include "platform.h"
#include "wide_text.h"

namespace ramilux {
namespace {

// Owns a search handle: FindClose runs on every way out, stop or error included.
class TFindHandle {
 public:
  TFindHandle() = default;
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  ~TFindHandle() { Reset(); }

  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Packs a last-write time as a local DOS date (high word) and time (low word), or 0 when
// the packed format cannot hold it. The year is checked here: Wine's
// FileTimeToDosDateTime wraps years after 2107 round to 1980 instead of failing.
uint32_t PackLocalTime(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME parts;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts)) return 0;
  if (parts.wYear < 1980 || parts.wYear > 2107) return 0;
  WORD date = 0, time = 0;
  if (!FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return (uint32_t(date) << 16) | time;
}

// FILETIME counts 100 ns steps from 1601-01-01, 11644473600 s before 1970-01-01.
constexpr int64_t kTicksPerSecond = 10000000, kTicksTo1970 = 116444736000000000;

TFileTime UtcTimeOf(const FILETIME& written) {
  const int64_t ticks =
      int64_t((uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime) - kTicksTo1970;
  int64_t seconds = ticks / kTicksPerSecond, rest = ticks % kTicksPerSecond;
  if (rest < 0) --seconds, rest += kTicksPerSecond;
  return {seconds, int32_t(rest * 100)};
}

FILETIME FileTimeOf(const TFileTime& utc) {
  const uint64_t ticks =
      uint64_t(utc.Seconds * kTicksPerSecond + utc.Nanoseconds / 100 + kTicksTo1970);
  return {DWORD(ticks), DWORD(ticks >> 32)};
}

class TWin32TimePacker final : public TTimePacker {
 public:
  uint32_t Pack(const TFileTime& utc) override {
    // Before 1601 or past what a FILETIME holds, no packed time either.
    if (utc.Seconds < -11644473600LL || utc.Seconds > 900000000000LL) return 0;
    return PackLocalTime(FileTimeOf(utc));
  }
};

// Absolute paths in the form without the 260-character limit: "\\?\C:\..." and
// "\\?\UNC\server\share\...".
std::wstring LongForm(std::wstring path) {
  if (path.starts_with(L"\\\\?\\")) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

// The wide path of a path the walk built. A name that the ANSI code page cannot hold
// carries its exact form (UTF-8) after a NUL: that form is the one searched.
std::wstring WidePath(std::string_view path, UINT codePage) {
  if (path.find('\0') == std::string_view::npos) return LongForm(ToWide(path, codePage));
  std::wstring wide;
  for (size_t begin = 0;;) {
    size_t end = path.find('\\', begin);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(begin, end - begin);
    const size_t exact = name.find('\0');
    wide += exact == std::string_view::npos ? ToWide(name, codePage)
                                            : ToWide(name.substr(exact + 1), CP_UTF8);
    if (end == path.size()) break;
    wide += L'\\';
    begin = end + 1;
  }
  return LongForm(std::move(wide));
}

// A folder's entries as a search that delivered everything read them to the end, kept for
// the next search of the same pattern: the walk searches every folder twice in a row (its
// files, then its sub-folders), and under Wine each find-first reads and stats the whole
// folder again.
struct TFolderListing {
  struct TItem {
    DWORD Attr;
    FILETIME Written;
    DWORD SizeHigh, SizeLow;
    uint32_t NameOffset, NameLength;  // in Names
  };
  std::string Pattern;
  std::string Names;
  std::vector<TItem> Items;

  const std::string& Key() const { return Pattern; }
};

class TWin32Search final : public TFileSearch {
 public:
  TWin32Search(std::shared_ptr<TListingCache<TFolderListing>> cache, UINT codePage)
      : cache_(std::move(cache)), codePage_(codePage) {}

  bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
    Close();
    failure_ = TSearchFailure::None;
    exclude_ = ExclusionMask(attrValue);
    if (cache_->Take(pattern, listing_)) {
      replaying_ = true;
      next_ = 0;
      if (NextKept()) return true;
    } else {
      // The basic level leaves out the short names, which Wine makes up for every entry; the
      // large fetch asks for more entries per round trip to the kernel on Windows (Wine takes
      // the flag and reads as before).
      handle_.Reset(FindFirstFileExW(WidePath(pattern, codePage_).c_str(), FindExInfoBasic, &data_,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
      if (!handle_) {
        Failed(GetLastError());
        return false;
      }
      // Only a search that delivers everything can answer the next one.
      recording_ = exclude_ == 0;
      if (recording_) {
        listing_.Pattern = pattern;
        listing_.Names.clear();
        listing_.Items.clear();
      }
      if (Arrived()) return true;
    }
    Close();
    return false;
  }

  bool FindNext() override {
    if (replaying_) {
      if (NextKept()) return true;
      Close();
      return false;
    }
    if (!handle_) return false;
    if (!FindNextFileW(handle_.Get(), &data_)) return Finished();
    return Arrived();
  }

  void Close() override {
    handle_.Reset();
    replaying_ = recording_ = false;
  }

  std::string_view Name() const override { return name_; }
  uint32_t Attr() const override { return attr_; }
  uint32_t Time() override { return PackLocalTime(written_); }
  std::optional<TFileTime> UtcTime() override { return UtcTimeOf(written_); }
  int64_t Size() override {
    if (attr_ & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return size_;
  }
  TSearchFailure Failure() const override { return failure_; }
  std::string FailureText() const override { return failureText_; }

 private:
  // An entry has arrived in data_: recorded, then passed over while it shares an
  // attribute bit with the exclusion mask. False when the folder holds no further entry.
  bool Arrived() {
    for (;;) {
      const bool excluded = (data_.dwFileAttributes & exclude_) != 0;
      if (recording_ || !excluded) ShownName(data_.cFileName, current_);
      if (recording_) Record();
      if (!excluded) break;
      if (!FindNextFileW(handle_.Get(), &data_)) return Finished();
    }
    name_ = current_;
    attr_ = data_.dwFileAttributes;
    written_ = data_.ftLastWriteTime;
    size_ = int64_t((uint64_t(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow);
    return true;
  }

  // The name as this run shows it. Under ANSI a name the code page cannot hold exactly is
  // shown as Windows shows it to ANSI programs ("Łódź" as "Lódz") and keeps its exact form
  // after a NUL, so that the walk enters that very folder and two names that show alike
  // stay apart.
  void ShownName(const wchar_t* name, std::string& out) const {
    const std::wstring_view wide(name, wcsnlen(name, MAX_PATH));
    out.clear();
    if (std::all_of(wide.begin(), wide.end(), [](wchar_t c) { return c < 0x80; })) {
      for (wchar_t c : wide) out += char(c);
      return;
    }
    out = FromWide(wide, codePage_);
    if (codePage_ == CP_UTF8 || ToWide(out, codePage_) == wide) return;
    out += '\0';
    out += FromWide(wide, CP_UTF8);
  }

  void Record() {
    listing_.Items.push_back({data_.dwFileAttributes, data_.ftLastWriteTime, data_.nFileSizeHigh,
                              data_.nFileSizeLow, uint32_t(listing_.Names.size()),
                              uint32_t(current_.size())});
    listing_.Names += current_;
  }

  // The end of a read search: a complete reading is kept for the next search, anything
  // else is a folder that could not be read to its end.
  bool Finished() {
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
      Failed(code);
    } else if (recording_) {
      cache_->Keep(std::move(listing_));
    }
    Close();
    return false;
  }

  // "Nothing found" is an empty folder (a drive's root has no "." to find); anything else
  // is a folder whose contents stay unknown.
  void Failed(DWORD code) {
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return;
    failure_ =
        code == ERROR_ACCESS_DENIED ? TSearchFailure::AccessDenied : TSearchFailure::Unreadable;
    failureText_ = SystemErrorText(code, codePage_ == CP_UTF8 ? TEncoding::Utf8 : TEncoding::Ansi);
  }

  bool NextKept() {
    while (next_ < listing_.Items.size()) {
      const TFolderListing::TItem& item = listing_.Items[next_++];
      if (item.Attr & exclude_) continue;
      name_ = std::string_view(listing_.Names).substr(item.NameOffset, item.NameLength);
      attr_ = item.Attr;
      written_ = item.Written;
      size_ = int64_t((uint64_t(item.SizeHigh) << 32) | item.SizeLow);
      return true;
    }
    return false;
  }

  std::shared_ptr<TListingCache<TFolderListing>> cache_;
  UINT codePage_;
  TFindHandle handle_;
  WIN32_FIND_DATAW data_{};
  TFolderListing listing_;
  bool recording_ = false;
  bool replaying_ = false;
  size_t next_ = 0;
  uint32_t exclude_ = 0;
  TSearchFailure failure_ = TSearchFailure::None;
  std::string failureText_;
  std::string current_;  // the shown name of the entry in data_
  // The current entry, from data_ or from the kept listing.
  std::string_view name_;
  uint32_t attr_ = 0;
  FILETIME written_{};
  int64_t size_ = 0;
};

// What tells two folders apart whatever the path that reaches them.
struct TFolderIdentity {
  DWORD Volume;
  uint64_t Index;
  bool operator==(const TFolderIdentity&) const = default;
};

// The identity of the folder at `path`, links followed; none when it can't be opened
// (removed, access denied, a link whose target is gone).
std::optional<TFolderIdentity> IdentityOf(const std::string& path, UINT codePage) {
  TFileHandle folder(CreateFileW(WidePath(path, codePage).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!folder || !GetFileInformationByHandle(folder.Get(), &info)) return std::nullopt;
  return TFolderIdentity{info.dwVolumeSerialNumber,
                         (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Length of the root of an absolute path: "C:\" or "\\server\share\"; 0 when the path
// has neither form.
size_t RootLength(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
  if (!path.starts_with("\\\\")) return 0;
  const size_t share = path.find('\\', 2);
  if (share == std::string_view::npos) return 0;
  const size_t end = path.find('\\', share + 1);
  return end == std::string_view::npos ? 0 : end + 1;
}

class TWin32FileSystem final : public TFileSystem {
 public:
  explicit TWin32FileSystem(TEncoding encoding) : codePage_(CodePageOf(encoding)) {}
  char Separator() const override { return '\\'; }
  std::unique_ptr<TFileSearch> NewSearch() override {
    return std::make_unique<TWin32Search>(cache_, codePage_);
  }
  void BeginWalk(const TWalkPlan&) override { cache_->Drop(); }
  void EndWalk() override { cache_->Drop(); }

  // A junction or directory link under a folder that points back at that folder (or at
  // any folder above it) would make the walk go round, repeating the same subtree at
  // every level. Only reparse points can do that, so a
  // plain folder costs nothing here.
  bool IsLinkToAncestor(const std::string& path, uint32_t attr) override {
    if (!(attr & kAttrReparsePoint)) return false;
    const std::optional<TFolderIdentity> target = IdentityOf(path, codePage_);
    if (!target) return false;
    const size_t root = RootLength(path);
    std::string ancestor = path;
    if (ancestor.ends_with('\\')) ancestor.pop_back();
    for (;;) {
      const size_t cut = ancestor.find_last_of('\\');
      if (cut == std::string::npos || cut + 1 < root) return false;
      // The root keeps its backslash ("C:\"); other folders are opened without it.
      ancestor.resize(cut + 1 == root ? root : cut);
      if (IdentityOf(ancestor, codePage_) == target) return true;
      if (ancestor.size() <= root) return false;
    }
  }

 private:
  UINT codePage_;
  std::shared_ptr<TListingCache<TFolderListing>> cache_ =
      std::make_shared<TListingCache<TFolderListing>>();
};

}  // namespace

std::unique_ptr<TTimePacker> NewTimePacker() {
  return std::make_unique<TWin32TimePacker>();
}

TEncoding PlatformEncoding() {
  return TEncoding::Ansi;
}

std::unique_ptr<TFileSystem> NewSingleThreadFileSystem(TEncoding encoding) {
  return std::make_unique<TWin32FileSystem>(encoding);
}

}  // namespace ramilux
