// The listing engine: the state of a listing (root, masks, size threshold, entries, stop
// flag) and the operations of a run, from the walk to the last line in the view. The
// phases live one per file: run.cc (the run), walk.cc (walk), filters.cc (file filters),
// order.cc (the order), render.cc (connectors and lines).
#pragma once

#include <cstdint>
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

struct TListingPorts {
  TFileSystem& Files;
  TTextServices& Text;
  TListingWindow& Window;
};

class TListing {
 public:
  explicit TListing(TListingPorts ports);

  // The run of the Refresh button. Returns false when an error ended it early (it is
  // then shown in a box and the buttons are unlocked all the same).
  bool SbnRefreshClick();
  void SbnStopClick() { FStopRequested = true; }

  // File filters.
  void BuildMaskList(std::string text);
  void SetMinSize(const std::string& text);
  bool MatchesAnyMask(std::string_view lowerName) const;
  bool MatchMask(std::string_view lowerName, std::string_view mask) const;
  bool PassesSizeFilter(int64_t size);

  // Walk.
  void ScanTree(const std::string& root, bool withFiles);

  // Order: sorts FEntries with the comparator of the RgpSort item index.
  void SortEntries(int sortIndex);

  // Rendering.
  std::span<char> MakeBasePrefix(std::string_view directory);
  void FixConnectors();
  void EmitLines();
  bool AddLine(std::string_view text);

  // The size and date columns of one entry's line ("" when not shown).
  std::string SizeText(int64_t size) const;
  std::string DateTimeText(uint32_t time) const;

  std::string FDirectory;
  int32_t FRootLength = 0;
  std::vector<std::string> FMasks;
  TEntryList FEntries;
  int64_t FMinSize = 0;
  bool FStopRequested = false;

 private:
  void WalkDirectory(std::string& path);
  void AddEntry(const std::string& path, std::string_view relative, std::string_view name,
                uint32_t time, int64_t size, uint32_t attr);

  TFileSystem& files_;
  TTextServices& text_;
  TListingWindow& window_;
  char separator_;
  bool withFiles_ = false;  // ScanTree's Boolean, seen by WalkDirectory
};

// Mask matching of one name part against one pattern part, both lower-cased.
bool MatchPart(std::string_view name, std::string_view pattern,
               TEncoding encoding = TEncoding::Ansi);

// The three orders. Negative when e1 goes first, 0 when equal, positive when after.
struct TOrderContext {
  const TTextServices& Text;
  char Separator;
};
int CompareByName(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2);
int CompareBySize(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2);
int CompareByDate(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2);

}  // namespace ramilux
