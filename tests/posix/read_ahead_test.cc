// Folders read ahead on other threads, on real folders: the listing is the one the
// single-thread search gives, whatever the number of readers and the options, and a walk
// waiting for a folder keeps the window answering and ends on Stop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
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
           " " + std::to_string(e.Attr) + "\n";
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
    for (unsigned readers : {1u, 4u}) {
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

}  // namespace
}  // namespace ramilux
