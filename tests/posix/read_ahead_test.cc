// Folders read ahead on other threads, on real folders: the listing is the one the
// single-thread search gives, whatever the number of readers and the options, and a walk
// waiting for a folder keeps the window answering and ends on Stop.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "fake_text_services.h"
#include "listing.h"
#include "platform.h"
#include "recording_window.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::TFakeTextServices;
using test::TRecordingWindow;
using test::TTempFolder;

// A random tree: folders up to five deep with hidden ones among them, files of random
// sizes and times, empty folders and links to folders.
void MakeRandomTree(const TTempFolder& root, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> folders{""};
  for (int i = 0; i < 400; ++i) {
    const std::string& parent = folders[random() % folders.size()];
    if (std::count(parent.begin(), parent.end(), '/') >= 5) continue;
    const std::string name = (random() % 8 == 0 ? "." : "") + std::string("d") + std::to_string(i);
    root.MakeFolder(parent + name);
    folders.push_back(parent + name + "/");
  }
  for (int i = 0; i < 1500; ++i) {
    const std::string path = folders[random() % folders.size()] + "f" + std::to_string(i) +
                             (random() % 3 == 0 ? ".txt" : ".dat");
    root.MakeFile(path, off_t(random() % 100000));
    test::SetLocalTime(root / path, 1990 + int(random() % 30), 1 + int(random() % 12),
                       1 + int(random() % 28), int(random() % 24), int(random() % 60), 0);
  }
  for (int i = 0; i < 10; ++i) {
    const std::string& folder = folders[random() % folders.size()];
    if (symlink(root.Path().c_str(), (root / folder + "link" + std::to_string(i)).c_str()) != 0) {
      ADD_FAILURE() << "symlink";
    }
  }
}

struct TOptions {
  const char* Name;
  bool Files;
  std::string Masks;
  int MaxDepth;
  std::string Exclude;
};

// Every field of every entry, and the folders left unread, as one text.
std::string Walk(TFileSystem& files, const std::string& root, const TOptions& options) {
  TFakeTextServices text;
  TRecordingWindow window;
  TListing listing(TListingPorts{files, text, window, window, window});
  listing.SetRoot(root);
  listing.BuildMaskList(options.Masks);
  listing.SetMaxDepth(options.MaxDepth);
  listing.SetExcludeMasks(options.Exclude);
  listing.ScanTree(listing.Directory(), options.Files);
  std::string out;
  for (const TFileObject& e : listing.Entries().Items) {
    out += e.PrefixText() + e.Key() + " " + std::to_string(e.Size) + " " + std::to_string(e.Time) +
           " " + std::to_string(e.Attr()) + "\n";
  }
  for (const TUnreadFolder& unread : listing.Unread()) out += "unread " + unread.Path + "\n";
  return out;
}

TEST(ReadAhead, ListsWhatTheSingleThreadSearchListsWhateverTheReadersAndOptions) {
  TTempFolder root;
  MakeRandomTree(root, 7);
  const TOptions rows[] = {
      {"files", true, "*.*", 0, ""},
      {"folders only", false, "*.*", 0, ""},
      {"some files", true, "*.txt", 0, ""},
      {"three levels", true, "*.*", 3, ""},
      {"excluded folders", true, "*.*", 0, "d1*"},
  };
  for (const TOptions& row : rows) {
    auto single = NewSingleThreadFileSystem(TEncoding::Utf8);
    const std::string expected = Walk(*single, root.Path(), row);
    ASSERT_GT(expected.size(), 1000u) << row.Name;
    for (unsigned readers : {0u, 1u, 4u}) {  // 0: a reader a core, more while they wait
      auto readAhead = NewReadAheadFileSystem(
          [] { return NewSingleThreadFileSystem(TEncoding::Utf8); }, readers);
      // Twice with the same file system: a walk leaves nothing behind for the next.
      EXPECT_EQ(Walk(*readAhead, root.Path(), row), expected) << row.Name << ", " << readers;
      EXPECT_EQ(Walk(*readAhead, root.Path(), row), expected) << row.Name << ", " << readers;
    }
  }
}

// The readers' searches wait until released; the walk's own do not.
class TGatedReaders {
 public:
  TFileSystemMaker Maker() {
    return [this] {
      const bool walks = made_++ == 0;  // the first file system made is the walk's own
      return std::unique_ptr<TFileSystem>(new TGate(*this, walks));
    };
  }
  void WaitUntilAReaderWaits() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_ > 0; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  class TGate final : public TFileSystem {
   public:
    TGate(TGatedReaders& owner, bool walks)
        : owner_(owner), walks_(walks), files_(NewSingleThreadFileSystem(TEncoding::Utf8)) {}
    char Separator() const override { return '/'; }
    bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }
    std::unique_ptr<TFileSearch> NewSearch() override {
      if (!walks_) owner_.Wait();
      return files_->NewSearch();
    }

   private:
    TGatedReaders& owner_;
    bool walks_;
    std::unique_ptr<TFileSystem> files_;
  };

  void Wait() {
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
  }

  std::atomic<int> made_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  int waiting_ = 0;
  bool released_ = false;
};

// The walk reads the root itself, a reader takes the sub-folder and is held there; the
// walk, asking for the sub-folder, waits and lets the window answer until it is read or
// the run is stopped.
TEST(ReadAhead, WalkWaitingForAFolderKeepsTheWindowAnsweringUntilStop) {
  TTempFolder root;
  root.MakeFolder("sub");
  root.MakeFile("sub/inside.txt");
  for (const bool stop : {true, false}) {
    TGatedReaders readers;
    auto files = NewReadAheadFileSystem(readers.Maker(), 1);
    int answered = 0;
    files->BeginWalk({true, [&] {
                        // Stop pressed at the third look at the queue, or the folder read.
                        if (++answered == 3) readers.Release();
                        return !(stop && answered >= 3);
                      }});
    auto search = files->NewSearch();
    ASSERT_TRUE(search->FindFirst(root.Path() + "*.*", kFilePassAttr));
    readers.WaitUntilAReaderWaits();
    auto inside = files->NewSearch();
    const bool found = inside->FindFirst(root.Path() + "sub/*.*", kFilePassAttr);
    EXPECT_GE(answered, 3);
    EXPECT_EQ(found, !stop);
    if (!stop) {
      EXPECT_EQ(inside->Name(), "inside.txt");
    }
    files->EndWalk();
  }
}

// A reader's first search finds its folder replaced by a link to a folder outside the
// tree, put there after the folder's parent was read. The walk's own searches, but the
// root's, wait until that is done, so that a reader, not the walk, opens it first.
class TSwapAtAReadersFirstSearch {
 public:
  TSwapAtAReadersFirstSearch(std::string root, std::string target, std::string away)
      : root_(std::move(root)), target_(std::move(target)), away_(std::move(away)) {}
  TFileSystemMaker Maker() {
    return [this] {
      const bool walks = made_++ == 0;  // the first file system made is the walk's own
      return Wrap(NewSingleThreadFileSystem(TEncoding::Utf8), walks);
    };
  }
  std::string Swapped() {
    std::lock_guard lock(mutex_);
    return swapped_;
  }

 private:
  class TSwapping final : public TFileSystem {
   public:
    TSwapping(TSwapAtAReadersFirstSearch& owner, std::unique_ptr<TFileSystem> files, bool walks)
        : owner_(owner), files_(std::move(files)), walks_(walks) {}
    char Separator() const override { return '/'; }
    bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }
    std::unique_ptr<TFileSearch> NewSearch() override {
      return std::make_unique<TSearch>(*this, files_->NewSearch());
    }
    std::unique_ptr<TFileSystem> NewReader() override {
      return owner_.Wrap(files_->NewReader(), false);
    }

    class TSearch final : public TFileSearch {
     public:
      TSearch(TSwapping& files, std::unique_ptr<TFileSearch> search)
          : files_(files), search_(std::move(search)) {}
      bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
        files_.Searching(pattern);
        return search_->FindFirst(pattern, attrValue);
      }
      bool FindNext() override { return search_->FindNext(); }
      void Close() override { search_->Close(); }
      std::string_view Name() const override { return search_->Name(); }
      uint32_t Attr() const override { return search_->Attr(); }
      uint32_t Time() override { return search_->Time(); }
      int64_t Size() override { return search_->Size(); }
      TSearchFailure Failure() const override { return search_->Failure(); }
      std::string FailureText() const override { return search_->FailureText(); }

     private:
      TSwapping& files_;
      std::unique_ptr<TFileSearch> search_;
    };

   private:
    void Searching(const std::string& pattern) {
      const std::string folder = pattern.substr(0, pattern.size() - kAllEntries.size());
      if (walks_) {
        if (folder != owner_.root_) owner_.WaitForTheSwap();
      } else if (!searched_) {
        searched_ = true;
        owner_.Swap(folder);
      }
    }

    TSwapAtAReadersFirstSearch& owner_;
    std::unique_ptr<TFileSystem> files_;
    bool walks_;
    bool searched_ = false;
  };

  std::unique_ptr<TFileSystem> Wrap(std::unique_ptr<TFileSystem> files, bool walks) {
    return std::make_unique<TSwapping>(*this, std::move(files), walks);
  }

  // The folder (ending in '/') moves out of the tree and a link to the target takes its
  // place; once only.
  void Swap(const std::string& folder) {
    std::lock_guard lock(mutex_);
    if (!swapped_.empty()) return;
    const std::string path = folder.substr(0, folder.size() - 1);
    if (rename(path.c_str(), away_.c_str()) != 0 || symlink(target_.c_str(), path.c_str()) != 0) {
      ADD_FAILURE() << "swap " << path;
    }
    swapped_ = folder;
    changed_.notify_all();
  }
  void WaitForTheSwap() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [this] { return !swapped_.empty(); });
  }

  const std::string root_, target_, away_;
  std::atomic<int> made_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string swapped_;
};

// Whoever may write in a listed tree must not make the walk list, as the tree's own, a
// folder it cannot read: the folder that became a link is not followed, whichever thread
// opens it, and is listed unread.
TEST(ReadAhead, AFolderReplacedByALinkBeforeAReaderOpensItIsNeverFollowed) {
  TTempFolder root, secret, away;
  secret.MakeFolder("hidden-folder");
  secret.MakeFile("secret.txt", 7);
  for (const std::string name : {"a", "b", "c"}) {
    root.MakeFolder(name + "/inner");
    root.MakeFile(name + "/inside.txt", 3);
  }
  for (const unsigned readers : {1u, 2u}) {
    TSwapAtAReadersFirstSearch swap(root.Path(), secret.Path(), away / "moved");
    auto files = NewReadAheadFileSystem(swap.Maker(), readers);
    const std::string listing = Walk(*files, root.Path(), {"files", true, "*.*", 0, ""});
    ASSERT_NE(swap.Swapped(), "") << readers;
    EXPECT_EQ(listing.find("secret"), std::string::npos) << readers << "\n" << listing;
    EXPECT_EQ(listing.find("hidden-folder"), std::string::npos) << readers;
    EXPECT_NE(listing.find("unread " + swap.Swapped() + "\n"), std::string::npos) << readers << "\n"
                                                                                  << listing;
    // The tree as it was, for the next row.
    const std::string path = swap.Swapped().substr(0, swap.Swapped().size() - 1);
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(rename((away / "moved").c_str(), path.c_str()), 0);
  }
}

}  // namespace
}  // namespace ramilux
