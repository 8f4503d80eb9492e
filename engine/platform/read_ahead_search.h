// What the folders read ahead of the walk share with the search that replays them: a
// folder's reading, its place among the folders ahead, and how the walk's thread takes it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ports.h"

namespace ramilux::read_ahead {

// A folder read whole: every entry but "." and "..", with the time and size a search
// would give for it.
struct TFolderReading {
  struct TItem {
    uint32_t NameOffset, NameLength;
    uint32_t Attr;
    uint32_t Time;
    int64_t Size;
  };
  std::string Folder;  // ends in the separator
  std::string Names;
  std::vector<TItem> Items;
  // Item by item, only for a walk that asked for them; Nanoseconds < 0: none.
  std::vector<TFileTime> UtcTimes;
  bool Whole = false;  // read to its end without a failure

  std::string_view Name(const TItem& item) const {
    return std::string_view(Names).substr(item.NameOffset, item.NameLength);
  }
};

using TPlace = std::vector<uint32_t>;  // the folder's position in the walk's order

struct TFolder {
  enum TState { NotBegun, BeingRead, Read };
  TFolderReading Reading;
  TPlace Place;
  TState State = NotBegun;
  bool ForReaders = true;  // false: a link or a deep folder, read only when the walk enters it
  bool Counted = false;    // read, and counted in what lies ahead
  bool Taken = false;      // by the walk
  bool Dropped = false;    // passed over by the walk
};
using TFolderPtr = std::shared_ptr<TFolder>;

// How a search of a folder on the walk's thread goes on: over the folder's reading, as a
// search of its own (the folder could not be read whole), or not at all (stopped).
enum class TTake { Replay, Direct, Stopped };

// How often the walk's thread is let to answer while it reads or waits.
constexpr std::chrono::milliseconds kPollInterval{10};

// Reads `folder` into `reading` with a search of `files`. Files' times and sizes are read
// only when the plan wants files, the UTC times only when it wants them. `poll`, when given,
// is called every kPollInterval; false stops the reading and returns false.
bool ReadFolder(TFileSystem& files, const std::string& folder, TFolderReading& reading,
                const TWalkPlan& plan, const std::function<bool()>* poll);

// Where the walk's searches take their folders from.
class TFolderSource {
 public:
  virtual ~TFolderSource() = default;
  virtual TTake Take(const std::string& folder, TFolderPtr& taken) = 0;
  // The file system of the walk's thread, for the searches of its own.
  virtual TFileSystem& Own() = 0;
};

// A search over a folder read ahead, or the walk thread's own search when there is none.
std::unique_ptr<TFileSearch> NewReplayingSearch(TFolderSource& source);

}  // namespace ramilux::read_ahead
