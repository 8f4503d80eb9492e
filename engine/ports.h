// The three ports through which the listing engine meets the outside world: the file
// search, the text services of the user's locale, and the front end (its option controls,
// its view and its run indicators). The first two have a Win32 and a POSIX implementation
// (engine/platform); the front end is the window or arbo; each has a fake for tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ramilux {

// Attribute bits as the file search reports them.
inline constexpr uint32_t kAttrReadOnly = 1;
inline constexpr uint32_t kAttrHidden = 2;
inline constexpr uint32_t kAttrSystem = 4;
inline constexpr uint32_t kAttrVolume = 8;
inline constexpr uint32_t kAttrDirectory = 16;
inline constexpr uint32_t kAttrArchive = 32;
inline constexpr uint32_t kAttrReparsePoint = 0x400;
// The attribute values of the two passes over a folder.
inline constexpr uint32_t kFilePassAttr = 63;
inline constexpr uint32_t kFolderPassAttr = 16;

// Entries whose attributes share a bit with this mask are passed over by a search made
// with the given attribute value: 63 delivers everything, 16 hides hidden, system and
// volume-label entries.
constexpr uint32_t ExclusionMask(uint32_t attrValue) {
  return ~attrValue & 30u;
}

// What a search's pattern adds to the folder's path: every entry.
inline constexpr std::string_view kAllEntries = "*.*";

// The two entries a search delivers besides the folder's contents, which no walk lists.
constexpr bool IsDotOrDotDot(std::string_view name) {
  return name == "." || name == "..";
}

// Why a search found nothing: the folder was empty (None), or it could not be read.
enum class TSearchFailure { None, AccessDenied, Unreadable };

// What a search reports when a file's size cannot be read (its folder can be listed but
// not searched): such a file is no empty file.
inline constexpr int64_t kUnknownSize = INT64_MIN;

// A last-write time as the file system holds it, in UTC: seconds from 1970-01-01 00:00
// and the nanoseconds within that second (a Win32 FILETIME's 100 ns steps fit exactly).
struct TFileTime {
  int64_t Seconds = 0;
  int32_t Nanoseconds = 0;
  friend bool operator==(const TFileTime&, const TFileTime&) = default;
};

// One search over a folder's entries: find-first, find-next, close. The current entry's
// name and attributes are always at hand; its time and size may be read lazily, so a
// file that fails the masks costs no extra system call.
class TFileSearch {
 public:
  virtual ~TFileSearch() = default;
  // Searches `pattern` (a folder path ending in the separator, followed by "*.*").
  // False when nothing (not excluded) is found; the search is then closed.
  virtual bool FindFirst(const std::string& pattern, uint32_t attrValue) = 0;
  // False when no entry is left (or the platform reported an error).
  virtual bool FindNext() = 0;
  // Harmless when already closed.
  virtual void Close() = 0;

  virtual std::string_view Name() const = 0;
  virtual uint32_t Attr() const = 0;
  // Last-write time, local, packed DOS date (high word) and time (low word); 0 when the
  // packed format cannot hold it (before 1980 or after 2107).
  virtual uint32_t Time() = 0;
  // Size in bytes, 0 for folders, kUnknownSize when it cannot be read.
  virtual int64_t Size() = 0;
  // The last-write time at the file system's own precision, for a snapshot; none when the
  // search cannot tell it. A search during a walk gives it only when the plan asked.
  virtual std::optional<TFileTime> UtcTime() { return std::nullopt; }

  // After FindFirst or FindNext returned false: whether the folder could not be read,
  // and the system's words for why.
  virtual TSearchFailure Failure() const { return TSearchFailure::None; }
  virtual std::string FailureText() const { return {}; }
};

// What a walk tells the file system before it starts: whether the files' times and sizes
// will be asked for, and what to do, every few milliseconds, while the walk waits for a
// folder being read on another thread (keep the window answering); false: the run was
// stopped and the walk gives up waiting.
struct TWalkPlan {
  bool Files = false;
  std::function<bool()> WhileWaiting;
  bool UtcTimes = false;  // every entry's UtcTime too: a snapshot's walk
};

class TFileSystem {
 public:
  virtual ~TFileSystem() = default;
  // "\" on Windows, "/" on POSIX: used in relative paths, depths and the header.
  virtual char Separator() const = 0;
  virtual std::unique_ptr<TFileSearch> NewSearch() = 0;
  // True when the folder `path` (ending in the separator) is a link that leads to
  // itself or to one of the folders above it: such a folder is listed but not entered.
  // `attr` is the entry's attributes as the search reported them; a folder without the
  // reparse-point bit is no link, which spares a system call per folder.
  virtual bool IsLinkToAncestor(const std::string& path, uint32_t attr) = 0;
  // A walk's searches come between these two calls, made on one thread: the file system
  // may read folders ahead of the walk on other threads meanwhile.
  virtual void BeginWalk(const TWalkPlan& /*plan*/) {}
  virtual void EndWalk() {}
  // A file system for a thread that reads folders ahead of this one's walk, during it;
  // null: one made as this one was. It may refuse a folder that this one's walk would
  // not reach without following a link: the walk then searches it itself.
  virtual std::unique_ptr<TFileSystem> NewReader() { return nullptr; }
  // The thread searching through this file system waits for work: what it keeps open
  // between searches may go.
  virtual void Idle() {}
};

// How the strings of names and masks are encoded: single bytes of the ANSI code page
// (Windows), or UTF-8 (POSIX), where "?" in a mask matches one character, not one byte.
enum class TEncoding { Ansi, Utf8 };

struct TDateTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TTextServices {
 public:
  virtual ~TTextServices() = default;
  virtual TEncoding Encoding() const = 0;
  // Lower-cases the whole string with the locale's rules.
  virtual void Lower(std::string& text) const = 0;
  // The locale's collation: -1, 0 or +1.
  virtual int Compare(std::string_view a, std::string_view b) const = 0;
  virtual std::string DecimalSeparator() const = 0;
  // The date in the user's short date format, the time in the long time format.
  virtual std::string FormatShortDate(const TDateTime& when) const = 0;
  virtual std::string FormatLongTime(const TDateTime& when) const = 0;
};

// The option controls, read at the moments the run reads them: they stay live during the
// run. The window reads its controls, arbo its command line, the tests a recorder.
class TListingOptions {
 public:
  virtual ~TListingOptions() = default;
  virtual bool MaskEditShown() = 0;
  virtual std::string MaskText() = 0;
  virtual bool MinSizeEditShown() = 0;
  virtual std::string MinSizeText() = 0;
  // A size text that is no number is put back as "0".
  virtual void SetMinSizeText(const std::string& text) = 0;
  virtual bool FileChecked() = 0;
  virtual bool SizeChecked() = 0;
  virtual bool DateTimeChecked() = 0;
  virtual bool HigherSelected() = 0;
  virtual int SortIndex() = 0;  // -1 when no item is selected
  // Each folder's line carries what it holds; read once, at the run's start.
  virtual bool TotalsChecked() { return false; }
  // True when nothing can change the options during the output (a command line): the
  // lines may then be formatted ahead on another thread, which reads them there.
  virtual bool FixedDuringOutput() const { return false; }
};

// Where the lines go. A view that is not on a screen (an output stream) has no caret,
// redraw or focus of its own: those default to nothing.
class TListingView {
 public:
  virtual ~TListingView() = default;
  virtual void ClearView() = 0;
  virtual int64_t ViewTextLength() = 0;
  // Offset of the first character of `line`, -1 when there is no such line.
  virtual int64_t LineIndex(int64_t line) = 0;
  // Lines of the view, not counting an empty last line.
  virtual int64_t ViewLineCount() = 0;
  // Puts `text` in place of the selection, without undo. On failure returns false and
  // sets `error` to the message to show; the view then holds none of `text`.
  virtual bool ReplaceSelection(std::string_view text, std::string& error) = 0;

  virtual void SetCaret(int64_t /*index*/) {}
  virtual void ScrollCaret() {}
  virtual void SetViewRedraw(bool /*on*/) {}
  virtual void RepaintNow() {}
  virtual void FocusView() {}
};

enum class TButton { SelectDirectory, Print, Refresh, Font, Stop };

// What the run shows while it works, and how it lets input in. Every front end names the
// folder being walked, takes its input at the run's polls and reports an error; the
// cursor, the buttons and the progress bar belong to a window and default to nothing.
class TRunIndicators {
 public:
  virtual ~TRunIndicators() = default;
  virtual void SetDirectoryLabel(const std::string& text) = 0;
  // Dispatches every message waiting in the queue, then returns.
  virtual void ProcessMessages() = 0;
  // A modal box with the error icon and one OK button, centred on the screen.
  virtual void ShowErrorBox(const std::string& title, const std::string& message) = 0;

  virtual void SetWaitCursor(bool /*wait*/) {}
  virtual void EnableButton(TButton /*button*/, bool /*enabled*/) {}
  virtual void ShowButton(TButton /*button*/, bool /*shown*/) {}
  virtual void SetProgressMax(int64_t /*max*/) {}
  virtual void ShowProgress(bool /*shown*/) {}
  virtual void SetProgressPosition(int64_t /*position*/) {}
  // True for a front end that answers its input while the sort works: the run's thread
  // then leaves the sort to other threads and calls ProcessMessages every few ms.
  virtual bool AnswersDuringSort() const { return false; }
};

}  // namespace ramilux
