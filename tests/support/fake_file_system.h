// An in-memory file system for tests: a tree of folders and files behind the engine's
// file-search port, with the attribute rules of the real searches ("." and "..", the
// exclusion mask), folders that cannot be searched, links back to an ancestor, and
// counters of what the walk asked for.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ports.h"

namespace ramilux::test {

struct TFakeNode {
  std::string Name;
  uint32_t Attr = 0;
  int64_t Size = 0;
  uint32_t Time = 0;
  bool Unsearchable = false;                         // find-first fails in it (access denied)
  bool Unreadable = false;                           // find-first fails in it (I/O error)
  TFakeNode* LinkTarget = nullptr;                   // a folder link: its contents are the target's
  std::vector<std::unique_ptr<TFakeNode>> Children;  // in search order

  bool IsFolder() const { return (Attr & kAttrDirectory) != 0; }
};

class TFakeFileSystem;

class TFakeSearch : public TFileSearch {
 public:
  explicit TFakeSearch(TFakeFileSystem& fs) : fs_(fs) {}
  ~TFakeSearch() override { Close(); }
  bool FindFirst(const std::string& pattern, uint32_t attrValue) override;
  bool FindNext() override;
  void Close() override;
  std::string_view Name() const override { return current_.Name; }
  uint32_t Attr() const override { return current_.Attr; }
  uint32_t Time() override;
  int64_t Size() override;
  TSearchFailure Failure() const override { return failure_; }
  std::string FailureText() const override { return failureText_; }

 private:
  bool Fail(TSearchFailure failure, std::string text) {
    failure_ = failure;
    failureText_ = std::move(text);
    return false;
  }
  bool Deliver();  // moves to the next entry not excluded; closes when none is left

  TFakeFileSystem& fs_;
  std::vector<TFakeNode> entries_;  // ".", "..", then the folder's contents
  size_t next_ = 0;
  uint32_t exclusion_ = 0;
  bool open_ = false;
  TFakeNode current_;
  TSearchFailure failure_ = TSearchFailure::None;
  std::string failureText_;
};

class TFakeFileSystem : public TFileSystem {
 public:
  explicit TFakeFileSystem(char separator = '\\', std::string root = "C:\\root\\")
      : separator_(separator), root_(std::move(root)) {
    root_node_.Attr = kAttrDirectory;
  }

  // The root folder, ending in the separator.
  const std::string& Root() const { return root_; }
  char Separator() const override { return separator_; }
  std::unique_ptr<TFileSearch> NewSearch() override { return std::make_unique<TFakeSearch>(*this); }
  bool IsLinkToAncestor(const std::string& path, uint32_t /*attr*/) override {
    ++LinkChecks;
    TFakeNode* node = Resolve(path, /*followLast=*/false);
    return node != nullptr && node->LinkTarget != nullptr;
  }

  // Paths are relative to the root, with the separator between names; missing folders on
  // the way are made with the directory bit alone.
  TFakeNode& AddFolder(std::string_view path, uint32_t time = 0, uint32_t attr = kAttrDirectory) {
    return Add(path, attr | kAttrDirectory, 0, time);
  }
  TFakeNode& AddFile(std::string_view path, int64_t size, uint32_t time = 0,
                     uint32_t attr = kAttrArchive) {
    return Add(path, attr & ~kAttrDirectory, size, time);
  }
  // A folder link at `path` that leads back to the folder `ancestor` ("" for the root).
  TFakeNode& AddLinkToAncestor(std::string_view path, std::string_view ancestor) {
    TFakeNode& link = AddFolder(path, 0, kAttrDirectory | kAttrReparsePoint);
    link.LinkTarget = Resolve(root_ + std::string(ancestor), /*followLast=*/true);
    if (link.LinkTarget == nullptr) throw std::logic_error("no such ancestor");
    return link;
  }

  // The node at an absolute folder path (ending in the separator or not); null when
  // there is none. Links on the way are followed; the last one only when asked.
  TFakeNode* Resolve(std::string_view path, bool followLast) {
    if (path.substr(0, root_.size()) != root_) {
      if (path == std::string_view(root_).substr(0, root_.size() - 1)) return &root_node_;
      return nullptr;
    }
    path.remove_prefix(root_.size());
    TFakeNode* node = &root_node_;
    int depth = 0;
    while (!path.empty()) {
      size_t end = path.find(separator_);
      std::string_view name = path.substr(0, end);
      path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
      if (node->LinkTarget != nullptr) node = node->LinkTarget;
      // Paths through a loop grow without end; like a real search, give up on them.
      if (++depth > kMaxDepth) return nullptr;
      TFakeNode* child = nullptr;
      for (auto& c : node->Children) {
        if (c->Name == name) child = c.get();
      }
      if (child == nullptr) return nullptr;
      node = child;
    }
    if (followLast && node->LinkTarget != nullptr) node = node->LinkTarget;
    return node;
  }

  // What the walk did.
  std::vector<std::string> FindFirstPatterns;
  int OpenSearches = 0;
  int MostOpenSearches = 0;
  int FindNextCalls = 0;
  int SizeReads = 0;
  int TimeReads = 0;
  int LinkChecks = 0;
  // Runs after every find-next, e.g. to press Stop at the n-th one (given n from 1).
  std::function<void(int)> OnFindNext;
  // False: searches find no "." and "..", as in a drive's root, so that find-first
  // returns a real entry.
  bool DotEntries = true;

  static constexpr int kMaxDepth = 64;

 private:
  TFakeNode& Add(std::string_view path, uint32_t attr, int64_t size, uint32_t time) {
    TFakeNode* parent = &root_node_;
    for (size_t end; (end = path.find(separator_)) != std::string_view::npos;) {
      parent = &Child(*parent, path.substr(0, end), true);
      path.remove_prefix(end + 1);
    }
    TFakeNode& node = Child(*parent, path, (attr & kAttrDirectory) != 0);
    node.Attr = attr;
    node.Size = size;
    node.Time = time;
    return node;
  }

  TFakeNode& Child(TFakeNode& parent, std::string_view name, bool reuse) {
    if (reuse) {
      for (auto& c : parent.Children) {
        if (c->Name == name) return *c;
      }
    }
    auto& node = parent.Children.emplace_back(std::make_unique<TFakeNode>());
    node->Name = name;
    node->Attr = kAttrDirectory;
    return *node;
  }

  char separator_;
  std::string root_;
  TFakeNode root_node_;
};

inline bool TFakeSearch::FindFirst(const std::string& pattern, uint32_t attrValue) {
  Close();
  fs_.FindFirstPatterns.push_back(pattern);
  failure_ = TSearchFailure::None;
  if (pattern.size() < 3 || pattern.compare(pattern.size() - 3, 3, "*.*") != 0) return false;
  TFakeNode* folder = fs_.Resolve(pattern.substr(0, pattern.size() - 3), true);
  // A folder removed since its parent was read is gone, as a real search finds it.
  if (folder == nullptr || !folder->IsFolder()) return Fail(TSearchFailure::Unreadable, "gone");
  if (folder->Unsearchable) return Fail(TSearchFailure::AccessDenied, "denied");
  if (folder->Unreadable) return Fail(TSearchFailure::Unreadable, "I/O error");
  entries_.clear();
  for (const char* dots : {".", ".."}) {
    if (!fs_.DotEntries) break;
    TFakeNode& dot = entries_.emplace_back();
    dot.Name = dots;
    dot.Attr = kAttrDirectory;
  }
  for (const auto& child : folder->Children) {
    TFakeNode& copy = entries_.emplace_back();
    copy.Name = child->Name;
    copy.Attr = child->Attr;
    copy.Size = child->IsFolder() ? 0 : child->Size;
    copy.Time = child->Time;
  }
  next_ = 0;
  exclusion_ = ExclusionMask(attrValue);
  open_ = true;
  ++fs_.OpenSearches;
  if (fs_.OpenSearches > fs_.MostOpenSearches) fs_.MostOpenSearches = fs_.OpenSearches;
  return Deliver();
}

inline bool TFakeSearch::FindNext() {
  ++fs_.FindNextCalls;
  bool found = open_ && Deliver();
  if (fs_.OnFindNext) fs_.OnFindNext(fs_.FindNextCalls);
  return found;
}

inline bool TFakeSearch::Deliver() {
  while (next_ < entries_.size() && (entries_[next_].Attr & exclusion_) != 0) ++next_;
  if (next_ == entries_.size()) {
    Close();
    return false;
  }
  current_ = std::move(entries_[next_++]);
  return true;
}

inline void TFakeSearch::Close() {
  if (!open_) return;
  open_ = false;
  --fs_.OpenSearches;
}

inline uint32_t TFakeSearch::Time() {
  ++fs_.TimeReads;
  return current_.Time;
}

inline int64_t TFakeSearch::Size() {
  ++fs_.SizeReads;
  return current_.Size;
}

}  // namespace ramilux::test
