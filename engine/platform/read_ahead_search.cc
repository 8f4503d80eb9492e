// The walk's search during a walk with folders read ahead: it replays the folder's reading
// with the attribute value's exclusion rule, or hands over to a search of the walk
// thread's own when the folder could not be read whole.
#include "read_ahead_search.h"

#include <utility>

namespace ramilux::read_ahead {
namespace {

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

std::unique_ptr<TFileSearch> NewReplayingSearch(TFolderSource& source) {
  return std::make_unique<TReplayingSearch>(source);
}

}  // namespace ramilux::read_ahead
