// The file search over a snapshot: each search finds its folder's record and replays its
// entries with the attribute value's exclusion rule, as the platform's search would.
#include "snapshot.h"

namespace ramilux {
namespace {

// What the searches of one file system share: the tree, where the last folder was found
// (the walk asks for the folders in the snapshot's order), and the entry delivered last,
// which the walk asks about links right after.
struct TReplayState {
  std::shared_ptr<const TSnapshotTree> Tree;
  size_t Cursor = 0;
  const TSnapshotItem* Last = nullptr;

  // The folder's record: at the cursor or after it as a rule, before it for a search
  // made out of the walk's order.
  const TSnapshotFolder* Find(std::string_view path) {
    const std::vector<TSnapshotFolder>& folders = Tree->Folders;
    for (size_t pass = 0; pass < 2; ++pass) {
      for (size_t i = pass == 0 ? Cursor : 0; i < (pass == 0 ? folders.size() : Cursor); ++i) {
        if (folders[i].Path == path) {
          Cursor = i;
          return &folders[i];
        }
      }
    }
    return nullptr;
  }
};

class TSnapshotSearch final : public TFileSearch {
 public:
  explicit TSnapshotSearch(std::shared_ptr<TReplayState> state) : state_(std::move(state)) {}

  bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
    Close();
    failure_ = TSearchFailure::None;
    std::string_view folder = pattern;
    if (folder.ends_with(kAllEntries)) folder.remove_suffix(kAllEntries.size());
    const TSnapshotTree& tree = *state_->Tree;
    const TSnapshotFolder* record = nullptr;
    if (folder.starts_with(tree.Root)) {
      record = state_->Find(folder.substr(tree.Root.size()));
    } else if (folder.size() + 1 == tree.Root.size() && tree.Root.starts_with(folder)) {
      record = state_->Find("");
    }
    if (record == nullptr) {
      // Not in the snapshot: a folder the walk that took it could not have entered.
      failure_ = TSearchFailure::Unreadable;
      return false;
    }
    folder_ = record;
    next_ = 0;
    exclusion_ = ExclusionMask(attrValue);
    return FindNext();
  }

  bool FindNext() override {
    if (folder_ == nullptr) return false;
    while (next_ < folder_->Count) {
      item_ = &state_->Tree->Items[folder_->First + next_++];
      if ((item_->Attr & exclusion_) == 0) {
        state_->Last = item_;
        return true;
      }
    }
    failure_ = folder_->Failure;
    reason_ = folder_->Reason;
    Close();
    return false;
  }

  void Close() override {
    folder_ = nullptr;
    item_ = nullptr;
  }

  std::string_view Name() const override {
    return item_ ? state_->Tree->Name(*item_) : std::string_view();
  }
  uint32_t Attr() const override { return item_ ? item_->Attr : 0; }
  uint32_t Time() override { return item_ ? item_->Packed : 0; }
  int64_t Size() override { return item_ ? item_->Size : 0; }
  std::optional<TFileTime> UtcTime() override {
    if (item_ == nullptr || !item_->Timed()) return std::nullopt;
    return item_->Utc();
  }
  TSearchFailure Failure() const override { return failure_; }
  std::string FailureText() const override { return reason_; }

 private:
  std::shared_ptr<TReplayState> state_;
  const TSnapshotFolder* folder_ = nullptr;
  const TSnapshotItem* item_ = nullptr;
  uint32_t next_ = 0;
  uint32_t exclusion_ = 0;
  TSearchFailure failure_ = TSearchFailure::None;
  std::string reason_;
};

class TSnapshotFileSystem final : public TFileSystem {
 public:
  explicit TSnapshotFileSystem(std::shared_ptr<const TSnapshotTree> tree)
      : state_(std::make_shared<TReplayState>()) {
    state_->Tree = std::move(tree);
  }

  char Separator() const override { return state_->Tree->Separator; }
  std::unique_ptr<TFileSearch> NewSearch() override {
    return std::make_unique<TSnapshotSearch>(state_);
  }
  // The walk that took the snapshot said which links lead back up: the entry just found.
  bool IsLinkToAncestor(const std::string&, uint32_t) override {
    return state_->Last != nullptr && state_->Last->LinkToAncestor;
  }

 private:
  std::shared_ptr<TReplayState> state_;
};

}  // namespace

std::unique_ptr<TFileSystem> NewSnapshotFileSystem(std::shared_ptr<const TSnapshotTree> tree) {
  return std::make_unique<TSnapshotFileSystem>(std::move(tree));
}

}  // namespace ramilux
