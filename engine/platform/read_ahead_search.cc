// A folder's reading, and the walk's search during a walk with folders read ahead: it
// replays the folder's reading with the attribute value's exclusion rule, or hands over to
// a search of the walk thread's own when the folder could not be read whole.
#include "read_ahead_search.h"

#include <chrono>
#include <utility>

namespace ramilux::read_ahead {
namespace {

const std::vector<TFileTime> kNoTimes;

class TReplayingSearch final : public TFileSearch {
 public:
  explicit TReplayingSearch(TFolderSource& source) : source_(source) {}

  bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
    Close();
    direct_.reset();
    std::string_view folder = pattern;
    if (folder.ends_with(kAllEntries)) folder.remove_suffix(kAllEntries.size());
    TFolderPtr taken;
    switch (source_.Take(std::string(folder), taken)) {
      case TTake::Stopped:
        return false;
      case TTake::Direct:
        direct_ = source_.Own().NewSearch();
        return direct_->FindFirst(pattern, attrValue);
      case TTake::Replay:
        break;
    }
    folder_ = std::move(taken);
    next_ = 0;
    exclusion_ = ExclusionMask(attrValue);
    return FindNext();
  }
  bool FindNext() override {
    if (direct_) return direct_->FindNext();
    if (!folder_) return false;
    const TFolderReading& reading = folder_->Reading;
    while (next_ < reading.Items.size()) {
      item_ = &reading.Items[next_++];
      if ((item_->Attr & exclusion_) == 0) return true;
    }
    Close();
    return false;
  }
  // A search of its own stays, for its Failure.
  void Close() override {
    if (direct_) direct_->Close();
    folder_.reset();
    item_ = nullptr;
  }

  std::string_view Name() const override {
    if (direct_) return direct_->Name();
    return item_ ? folder_->Reading.Name(*item_) : std::string_view();
  }
  uint32_t Attr() const override {
    if (direct_) return direct_->Attr();
    return item_ ? item_->Attr : 0;
  }
  uint32_t Time() override {
    if (direct_) return direct_->Time();
    return item_ ? item_->Time : 0;
  }
  int64_t Size() override {
    if (direct_) return direct_->Size();
    return item_ ? item_->Size : 0;
  }
  std::optional<TFileTime> UtcTime() override {
    if (direct_) return direct_->UtcTime();
    const std::vector<TFileTime>& times = folder_ ? folder_->Reading.UtcTimes : kNoTimes;
    if (item_ == nullptr || times.empty()) return std::nullopt;
    const TFileTime& time = times[item_ - folder_->Reading.Items.data()];
    if (time.Nanoseconds < 0) return std::nullopt;
    return time;
  }
  TSearchFailure Failure() const override {
    return direct_ ? direct_->Failure() : TSearchFailure::None;
  }
  std::string FailureText() const override {
    return direct_ ? direct_->FailureText() : std::string();
  }

 private:
  TFolderSource& source_;
  std::unique_ptr<TFileSearch> direct_;
  TFolderPtr folder_;
  const TFolderReading::TItem* item_ = nullptr;
  size_t next_ = 0;
  uint32_t exclusion_ = 0;
};

}  // namespace

bool ReadFolder(TFileSystem& files, const std::string& folder, TFolderReading& reading,
                const TWalkPlan& plan, const std::function<bool()>* poll) {
  const bool withFiles = plan.Files;
  reading.Items.clear();
  reading.Names.clear();
  reading.UtcTimes.clear();
  auto search = files.NewSearch();
  auto lastPoll = std::chrono::steady_clock::now();
  bool found = search->FindFirst(folder + std::string(kAllEntries), kFilePassAttr);
  for (size_t count = 1; found; ++count) {
    const std::string_view name = search->Name();
    if (!IsDotOrDotDot(name)) {
      const uint32_t attr = search->Attr();
      const bool stat = (attr & kAttrDirectory) != 0 || withFiles;
      const int64_t size = stat ? search->Size() : kUnknownSize;
      reading.Items.push_back({uint32_t(reading.Names.size()), uint32_t(name.size()), attr,
                               stat ? search->Time() : 0, size});
      reading.Names += name;
      if (plan.UtcTimes) reading.UtcTimes.push_back(search->UtcTime().value_or(TFileTime{0, -1}));
    }
    found = search->FindNext();
    if (poll != nullptr && count % 64 == 0 &&
        std::chrono::steady_clock::now() - lastPoll >= kPollInterval) {
      if (!(*poll)()) {
        search->Close();
        return false;
      }
      lastPoll = std::chrono::steady_clock::now();
    }
  }
  reading.Whole = search->Failure() == TSearchFailure::None;
  search->Close();
  return true;
}

std::unique_ptr<TFileSearch> NewReplayingSearch(TFolderSource& source) {
  return std::make_unique<TReplayingSearch>(source);
}

}  // namespace ramilux::read_ahead
