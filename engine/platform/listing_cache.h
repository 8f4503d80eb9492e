// The one folder reading kept between two searches by a platform's search: the walk
// searches every folder twice in a row (its files, then its sub-folders), and the second
// search replays the first one's reading instead of reading the folder again. Any
// search's start takes it or drops it, so a reading never answers a later search than the
// very next one, and a reading never outlives the walk that made it: the tree may have
// changed before the next walk.
#pragma once

#include <string>
#include <utility>

namespace ramilux {

// `TReading` is the platform's reading of one folder; its Key() names what was searched.
template <typename TReading>
class TListingCache {
 public:
  void Keep(TReading&& reading) {
    kept_ = std::move(reading);
    valid_ = true;
  }
  void Drop() {
    kept_ = TReading{};
    valid_ = false;
  }
  // True when the reading kept answers `key`; either way `into` gets it, so that a miss
  // reads the folder into the storage of the reading passed over (cleared first) rather
  // than into fresh storage for every folder.
  bool Take(const std::string& key, TReading& into) {
    const bool answers = valid_ && kept_.Key() == key;
    valid_ = false;
    std::swap(into, kept_);
    return answers;
  }

 private:
  TReading kept_;
  bool valid_ = false;
};

}  // namespace ramilux
