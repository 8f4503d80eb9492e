// The listing engine: the state of a listing (root, masks, size threshold, entries, stop
// flag) and the operations of a run, from the walk to the last line in the view. The
// phases live one per file: run.cc (the run), walk.cc (walk), filters.cc (file filters),
// order.cc (the order; its comparators in order_compare.cc), render.cc (connectors and
// lines).
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "file_object.h"
#include "ports.h"

namespace ramilux {

inline constexpr std::string_view kHeaderText = "Arborescence a partir de: ";
inline constexpr char kBranch = '\xC3';
inline constexpr char kCorner = '\xC0';
inline constexpr char kBar = '\xB3';
inline constexpr char kHorizontal = '\xC4';

// What a command line adds to the window's options: how many levels below the root are
// listed, and names left out of the listing (files and folders alike; an excluded folder
// is not entered). The window leaves both at their defaults.
struct TWalkLimits {
  int MaxDepth = 0;                       // 0: no limit
  std::vector<std::string> ExcludeMasks;  // lower-cased, matched as the file masks are
};

// The marks at the end of the line of a folder whose contents could not be read.
inline constexpr std::string_view kDeniedMarker = "[acc\xE8s refus\xE9]";
inline constexpr std::string_view kDeniedMarkerUtf8 = "[acc\xC3\xA8s refus\xC3\xA9]";
inline constexpr std::string_view kUnreadMarker = "[illisible]";

// The mark of a folder whose contents could not be read; "" for any other entry.
inline std::string_view UnreadMarker(const TFileObject& entry, bool utf8) {
  if (entry.Attr() & kAttrUnreadOther) return kUnreadMarker;
  if (entry.Attr() & kAttrUnreadDenied) return utf8 ? kDeniedMarkerUtf8 : kDeniedMarker;
  return {};
}

// A folder the walk could not read: its path as shown, and the system's reason.
struct TUnreadFolder {
  std::string Path;
  TSearchFailure Failure = TSearchFailure::None;
  std::string Reason;
};

class TColumnTexts;

struct TListingPorts {
  TFileSystem& Files;
  TTextServices& Text;
  TListingOptions& Options;
  TListingView& View;
  TRunIndicators& Indicators;
};

class TListing {
 public:
  explicit TListing(TListingPorts ports);

  // A whole listing run, as the Refresh button starts it. Returns false when an error
  // ended it early (it is then shown in a box and the buttons are unlocked all the same).
  bool Run();
  // The walk and the output stop at their next poll of the flag.
  void RequestStop() { FStopRequested = true; }

  // The root folder: Directory() gets a trailing separator when it has none, and
  // RootLength() its length. An empty folder leaves both empty (no run happens).
  void SetRoot(std::string folder);
  // Forgets the root, the masks, the size threshold and the entries of the last run.
  void Clear();
  // Words that close the header line, after the root's totals (in the run's encoding): the
  // window names a snapshot there, so that its listing is not taken for the disk's. "" for
  // none.
  void SetHeaderNote(std::string note) { headerNote_ = std::move(note); }
  const std::string& HeaderNote() const { return headerNote_; }

  const std::string& Directory() const { return FDirectory; }
  int32_t RootLength() const { return FRootLength; }
  const std::vector<std::string>& Masks() const { return FMasks; }
  const TEntryList& Entries() const { return FEntries; }
  int64_t MinSize() const { return FMinSize; }
  bool StopRequested() const { return FStopRequested; }
  // The folders of the last walk whose contents could not be read, in walk order.
  const std::vector<TUnreadFolder>& Unread() const { return FUnread; }
  // For tests and benchmarks that run one phase over entries made by hand.
  TEntryList& EntriesForTest() { return FEntries; }

  // File filters.
  void BuildMaskList(std::string text);
  // Sets FMinSize from a number of kilobytes and turns the size test on; a bad text gives 0
  // and puts "0" back into the edit.
  void SetMinSize(const std::string& text);
  // The size option off: FMinSize 0 and every file passes, whatever the direction.
  void ClearMinSize();
  bool MatchesAnyMask(std::string_view lowerName) const;
  bool MatchMask(std::string_view lowerName, std::string_view mask) const;
  bool PassesSizeFilter(int64_t size);

  // Walk.
  void ScanTree(const std::string& root, bool withFiles);
  // Levels below the root that are listed; 0 for no limit.
  void SetMaxDepth(int levels) { FWalkLimits.MaxDepth = levels; }
  // Fills the excluded names from a text of masks separated by ";" (blanks around
  // each mask and empty masks dropped).
  void SetExcludeMasks(std::string text);
  bool Excluded(std::string_view lowerName) const;

  // Order: sorts FEntries with the comparator of the RgpSort item index; with totals on,
  // the order by size puts folders among their siblings by their total size.
  void SortEntries(int sortIndex);

  // Totals: what each folder holds, summed once over the walk's list. With totals on the
  // walk reads the files and goes to the bottom whatever is listed; KeepListedEntries then
  // drops what is not listed.
  bool TotalsOn() const { return totalsOn_; }
  void SetTotals(bool on) { totalsOn_ = on; }
  void SumTotals();
  void KeepListedEntries();
  // What a folder entry of the kept list holds; the root's.
  TFolderTotals FolderTotals(const TFileObject& folder) const;
  const TFolderTotals& RootTotals() const { return rootTotals_; }
  // "12,34 Ko  3 fichiers  1 dossier", after "au moins " when incomplete.
  std::string TotalsText(const TFolderTotals& totals) const;

  // Rendering.
  TPrefix MakeBasePrefix(std::string_view directory);
  void FixConnectors();
  void EmitLines();
  // Appends `text` and a line end at the caret; throws TRunError when the view refuses.
  void AddLine(std::string_view text);

  // The size and date columns of one entry's line, without their leading blanks. The
  // date is "" when the time does not decode to a real date and time.
  std::string SizeText(int64_t size) const;
  std::string DateTimeText(uint32_t time) const;

  // A name or path as the listing shows it: the exact form that a name outside the code
  // page carries after a NUL is left out, control characters become "?", and in UTF-8
  // every byte that is no part of a valid sequence becomes U+FFFD.
  std::string DisplayText(std::string_view text) const;
  // One entry's line exactly as the view receives it, for the writers of other formats
  // (lines.h): the entries in list order, with the same `prefixes` and `columns`.
  void AppendLine(std::string& out, const TFileObject& entry, TPrefixWriter& prefixes,
                  TColumnTexts& columns) {
    AppendEntryLine(out, entry, prefixes, columns, text_.Encoding() == TEncoding::Utf8,
                    ShownColumns());
  }
  const TTextServices& TextServices() const { return text_; }

 private:
  std::string FDirectory;
  int32_t FRootLength = 0;
  std::vector<std::string> FMasks;
  TEntryList FEntries;
  int64_t FMinSize = 0;
  bool FStopRequested = false;
  TWalkLimits FWalkLimits;
  std::vector<TUnreadFolder> FUnread;
  bool totalsOn_ = false;
  TFolderTotals rootTotals_;
  bool rootUnread_ = false;  // the walk could not read the root (it has no entry to mark)
  std::string headerNote_;

  // One folder on the walk's way from the root down to the folder being read.
  struct TWalkLevel {
    struct TCloser {
      void operator()(TFileSearch* search) const {
        search->Close();
        delete search;
      }
    };
    std::unique_ptr<TFileSearch, TCloser> Search;  // its folder pass, open while below it
    size_t Entry;                                  // its own entry, kNoEntry for the root
    size_t PathLength;                             // of its path, the separator included
    size_t LabelLength;                            // of its label
    int Depth;                                     // levels below the root
    TFolderPath Folder;                            // made with its first entry
    bool Found = false;  // what its search's last find-first or find-next returned
    bool Below = false;  // the walk went down into the last sub-folder found
  };

  void RunPhases(bool& redrawSuspended);
  // SortEntries, with the front end's input taken meanwhile when it asks for it.
  void SortAnswering(int sortIndex);
  // `entry` is the index of the folder's own entry, kNoEntry for the root.
  void WalkDirectory(std::string& path, size_t entry);
  void EnterDirectory(std::string& path, size_t entry, int depth);
  bool FilesWanted() const;
  bool FilePass(std::string& path, size_t entry);  // false when stopped
  bool FolderPass(std::string& path);              // false when the deepest level is done
  TFolderPath WalkedFolder();
  bool FileNamePasses(std::string_view name);
  bool FolderExcluded(std::string_view name);
  void MarkUnread(size_t entry, const TFileSearch& search);
  void AppendDisplayText(std::string& out, std::string_view text, bool utf8) const;
  void AddEntry(TFolderPath directory, std::string_view name, uint32_t time, int64_t size,
                uint32_t attr);
  // The check boxes a line's columns follow: read afresh for every line of a window's
  // output, where they stay live.
  struct TShownColumns {
    bool Files = false;
    bool Size = false;
    bool DateTime = false;
  };
  TShownColumns ShownColumns();
  void AppendEntryLine(std::string& block, const TFileObject& entry, TPrefixWriter& prefixes,
                       TColumnTexts& columns, bool utf8, const TShownColumns& shown);
  void InsertLines(std::string_view block, const std::vector<size_t>& lineEnds);
  bool EmitLinesAhead(bool utf8);

  TFileSystem& files_;
  TTextServices& text_;
  TListingOptions& options_;
  TListingView& view_;
  TRunIndicators& indicators_;
  char separator_;
  bool withFiles_ = false;          // ScanTree's Boolean, seen by WalkDirectory
  bool sizeFilterOn_ = false;       // the size option of this run
  bool everyName_ = false;          // every file name passes the masks of this walk
  std::string lowerName_;           // the walk's lower-cased copy of a file name
  std::vector<TWalkLevel> levels_;  // the walk's way down, in place of a recursion
  std::string label_;               // the folder label of the deepest level
  static constexpr size_t kNoEntry = SIZE_MAX;
};

// The engine's one way to fail: a run that meets it ends, and Run shows its text in an
// error box (what the view answered when a line could not be put in, for one).
class TRunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Mask matching of one name part against one pattern part, both lower-cased.
bool MatchPart(std::string_view name, std::string_view pattern,
               TEncoding encoding = TEncoding::Ansi);

// The three orders. Negative when e1 goes first, 0 when equal, positive when after.
// Entries of different folders compare by their paths folder by folder, so the separator
// sorts before every other character and a folder's contents always follow it directly.
struct TOrderContext {
  const TTextServices& Text;
  char Separator;
};
int CompareByName(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2);
int CompareBySize(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2);
int CompareByDate(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2);

// TotalSize: as Size, and folders among their siblings by their totals' sizes.
enum class TSortKind { Name, Size, Date, TotalSize };
// Sorts the list in place into the order of the comparator of `kind`, and gives every
// entry its base prefix (what it held before is lost). The folders are
// sorted on `threads` threads; 0 chooses by the size of the list and the machine, so
// the text services must allow comparisons from several threads at once.
void SortEntryList(TEntryList& entries, const TOrderContext& ctx, TSortKind kind,
                   unsigned threads = 0);

}  // namespace ramilux
