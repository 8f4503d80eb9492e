// What the window's runs walk: the disk, or a snapshot opened from the view's menu. The
// listing keeps one file system for its life; this one passes each call to the source of
// the moment.
#pragma once

#include <memory>
#include <string>

#include "ports.h"
#include "snapshot.h"

namespace ramilux {

class TListingSource final : public TFileSystem {
 public:
  explicit TListingSource(TFileSystem& disk) : disk_(disk) {}

  // A snapshot in the window's own names (its separator "\"), walked until UseDisk.
  void UseSnapshot(std::shared_ptr<const TSnapshotTree> tree) {
    snapshotFiles_ = NewSnapshotFileSystem(tree);
    snapshot_ = std::move(tree);
  }
  void UseDisk() {
    snapshotFiles_.reset();
    snapshot_.reset();
  }
  const TSnapshotTree* Snapshot() const { return snapshot_.get(); }

  char Separator() const override { return Current().Separator(); }
  std::unique_ptr<TFileSearch> NewSearch() override { return Current().NewSearch(); }
  bool IsLinkToAncestor(const std::string& path, uint32_t attr) override {
    return Current().IsLinkToAncestor(path, attr);
  }
  void BeginWalk(const TWalkPlan& plan) override { Current().BeginWalk(plan); }
  void EndWalk() override { Current().EndWalk(); }
  std::unique_ptr<TFileSystem> NewReader() override { return Current().NewReader(); }
  void Idle() override { Current().Idle(); }

 private:
  TFileSystem& Current() const { return snapshotFiles_ ? *snapshotFiles_ : disk_; }

  TFileSystem& disk_;
  std::shared_ptr<const TSnapshotTree> snapshot_;
  std::unique_ptr<TFileSystem> snapshotFiles_;
};

}  // namespace ramilux
