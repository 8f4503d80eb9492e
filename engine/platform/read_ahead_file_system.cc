// Folders read ahead of the walk. Each folder the walk will enter gets a place in the
// walk's own order (the positions of its folders along its path, compared like words),
// readers take the first folder not yet read, and the walk takes each reading in turn:
// anything before the folder it asks for is a folder it chose not to enter, dropped.
#include "read_ahead_file_system.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "read_ahead_search.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/resource.h>
#endif

namespace ramilux {
namespace {
using namespace std::chrono_literals;
using namespace read_ahead;

// How far the readers may run ahead of the walk: entries read and not yet taken, each
// folder counting as one more.
constexpr size_t kAheadLimit = 64 * 1024;
constexpr unsigned kMaxReaders = 8;
// Folders that wait for the disk keep a reader without its core: readers are added, up to
// this many, as readings show that they wait (cold caches), while a tree in memory keeps
// a reader a core but one, which is all its processor time can use: the walk's thread
// reads too while it waits, and a reader more only takes turns with it (4 % slower on two
// cores).
constexpr unsigned kMaxWaitingReaders = 16;
// A reading of a folder in memory takes some microseconds an entry; one that took this
// long and read from the disk waited for it.
constexpr auto kSlowReading = 3ms;
// The most entries a thread's scratch reading keeps room for between folders.
constexpr size_t kScratchItems = 1024;
// Deeper folders are left to the walk: a reader keeps some descriptors open along the
// path of the folder it reads, and a chain of thousands of folders would have the readers
// take the descriptors the walk needs.
constexpr size_t kReadAheadDepth = 256;

// Whether the calling thread read from the disk since it last asked: a slow reading of a
// tree in memory (its processor lent to other programs) adds no reader, which could not
// help. Where the system cannot tell, none is added: under Wine every reading is slow, and
// Wine reads one folder at a time whatever the readers.
bool ReadFromDisk() {
#ifdef __linux__
  static thread_local long lastBlocks = 0;
  rusage usage{};
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return true;
  const bool read = usage.ru_inblock > lastBlocks;
  lastBlocks = usage.ru_inblock;
  return read;
#else
  return false;
#endif
}

// Folders in the walk's order, keyed by their own places: a folder's place stays as it is
// while the folder lies ahead, and a copy of it in each map cost two allocations a folder.
struct TPlaceOrder {
  bool operator()(const TPlace* a, const TPlace* b) const { return *a < *b; }
};
using TByPlace = std::map<const TPlace*, TFolderPtr, TPlaceOrder>;

class TReadAheadFileSystem final : public TFileSystem, public TFolderSource {
 public:
  TReadAheadFileSystem(TFileSystemMaker make, unsigned threads)
      : make_(std::move(make)), own_(make_()) {
    readers_ = threads != 0
                   ? threads
                   : std::min(std::max(std::thread::hardware_concurrency(), 2u) - 1, kMaxReaders);
    mostReaders_ = threads != 0 ? threads : std::max(readers_, kMaxWaitingReaders);
  }
  ~TReadAheadFileSystem() override { EndWalk(); }

  char Separator() const override { return own_->Separator(); }
  std::unique_ptr<TFileSearch> NewSearch() override;
  bool IsLinkToAncestor(const std::string& path, uint32_t attr) override {
    return own_->IsLinkToAncestor(path, attr);
  }
  void BeginWalk(const TWalkPlan& plan) override;
  void EndWalk() override;

  TTake Take(const std::string& folder, TFolderPtr& taken) override;
  TFileSystem& Own() override { return *own_; }

 private:
  TFolderPtr Front(const std::string& folder);
  void Drop(const TFolderPtr& folder);
  void Remove(TFolder& folder);
  TFolderPtr NextWaiting();
  void Uncount(TFolder& folder);
  bool ReadOnWalk(std::unique_lock<std::mutex>& lock, const TFolderPtr& folder);
  bool WaitUntilRead(std::unique_lock<std::mutex>& lock, const TFolder& folder);
  bool Answer(std::unique_lock<std::mutex>& lock);
  void Listed(const TFolderPtr& folder);
  void ReadAhead(TFileSystem& files);
  void AddReader();
  bool Read(TFileSystem& files, TFolderReading& reading, TFolderReading& scratch,
            const std::function<bool()>* poll);

  TFileSystemMaker make_;
  std::unique_ptr<TFileSystem> own_;  // the walk thread's
  unsigned readers_ = 1;              // started with the walk
  unsigned mostReaders_ = 1;          // started as readings wait
  std::atomic<bool> slowReading_ = false;
  std::vector<std::thread> threads_;
  TWalkPlan plan_;
  bool walking_ = false;

  std::mutex mutex_;
  std::condition_variable toRead_;  // readers wait here for work or room
  std::condition_variable read_;    // the walk waits here for a folder being read
  std::atomic<bool> stopping_ = false;
  TByPlace ahead_;        // every folder the walk may still ask for
  TByPlace waiting_;      // those of them for the readers, not yet begun
  size_t aheadCost_ = 0;  // of the folders read and not yet taken
  unsigned idleReaders_ = 0;
  TFolderPtr last_;  // the folder taken last: the walk searches each folder twice in a row
  TFolderReading walkScratch_;  // the walk thread's, for the folders it reads itself
};

std::unique_ptr<TFileSearch> TReadAheadFileSystem::NewSearch() {
  if (!walking_) return own_->NewSearch();
  return NewReplayingSearch(*this);
}

void TReadAheadFileSystem::BeginWalk(const TWalkPlan& plan) {
  EndWalk();
  own_->BeginWalk(plan);
  plan_ = plan;
  walking_ = true;
  stopping_ = false;
  slowReading_ = false;
  for (unsigned i = 0; i < readers_; ++i) AddReader();
}

// On the walk's thread only, which alone starts and ends the readers.
void TReadAheadFileSystem::AddReader() {
  std::unique_ptr<TFileSystem> files = own_->NewReader();
  if (!files) files = make_();
  threads_.emplace_back([this, files = std::move(files)]() { ReadAhead(*files); });
}

// The reading grows in `scratch`, which each thread keeps from folder to folder, and the
// folder keeps an exact copy: growing every folder's own buffers from nothing costs
// several allocations and copies a folder, a tenth of what the readers' own code costs.
bool TReadAheadFileSystem::Read(TFileSystem& files, TFolderReading& reading,
                                TFolderReading& scratch, const std::function<bool()>* poll) {
  const auto start = std::chrono::steady_clock::now();
  // The folder's own name stays: the walk looks for it among the folders ahead meanwhile.
  const bool read = ReadFolder(files, reading.Folder, scratch, plan_, poll);
  if (std::chrono::steady_clock::now() - start >= kSlowReading && ReadFromDisk()) {
    slowReading_ = true;
  }
  if (!read) return false;
  reading.Items.assign(scratch.Items.begin(), scratch.Items.end());
  reading.Names.assign(scratch.Names);
  reading.UtcTimes.assign(scratch.UtcTimes.begin(), scratch.UtcTimes.end());
  reading.Whole = scratch.Whole;
  // Grown by a large folder, it is let go: kept, it would weigh on the walk's peak.
  if (scratch.Items.capacity() > kScratchItems) scratch = TFolderReading();
  return true;
}

void TReadAheadFileSystem::EndWalk() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  toRead_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  ahead_.clear();
  waiting_.clear();
  aheadCost_ = 0;
  last_.reset();
  walkScratch_ = TFolderReading();
  walking_ = false;
  own_->EndWalk();
#ifdef __GLIBC__
  // The C library keeps a heap per thread: what the readers freed would stay with the
  // process through the sort, the moment its memory peaks.
  malloc_trim(0);
#endif
}

// The first folder still ahead, once those before `folder` are dropped: the walk goes
// through the folders in its order, so one it passed over is never asked for.
TFolderPtr TReadAheadFileSystem::Front(const std::string& folder) {
  while (!ahead_.empty()) {
    TFolderPtr front = ahead_.begin()->second;
    if (front->Reading.Folder == folder) return front;
    Drop(front);
  }
  return nullptr;
}

void TReadAheadFileSystem::Drop(const TFolderPtr& folder) {
  folder->Dropped = true;
  Remove(*folder);
}

// Out of what lies ahead, whether the walk took the folder or passed it over.
void TReadAheadFileSystem::Remove(TFolder& folder) {
  waiting_.erase(&folder.Place);
  ahead_.erase(&folder.Place);
  Uncount(folder);
}

// The first folder waiting for a reader, out of the waiting ones.
TFolderPtr TReadAheadFileSystem::NextWaiting() {
  TFolderPtr next = waiting_.begin()->second;
  waiting_.erase(waiting_.begin());
  return next;
}

// Readers held back by the limit go on only once the walk has taken half of what lies
// ahead: waking them for every folder taken costs more than it gains.
void TReadAheadFileSystem::Uncount(TFolder& folder) {
  if (!folder.Counted) return;
  folder.Counted = false;
  aheadCost_ -= folder.Reading.Items.size() + 1;
  if (idleReaders_ > 0 && aheadCost_ < kAheadLimit / 2 && !waiting_.empty()) {
    toRead_.notify_all();
  }
}

// A folder read puts its sub-folders ahead, in the order of the folder pass: those it
// delivers (hidden and system folders are never entered), links and deep folders for the
// walk only.
void TReadAheadFileSystem::Listed(const TFolderPtr& folder) {
  folder->State = TFolder::Read;
  if (folder->Taken) read_.notify_all();
  if (folder->Dropped) return;
  const TFolderReading& reading = folder->Reading;
  if (!folder->Taken) {
    folder->Counted = true;
    aheadCost_ += reading.Items.size() + 1;
  }
  const uint32_t exclusion = ExclusionMask(kFolderPassAttr);
  uint32_t position = 0;
  for (const TFolderReading::TItem& item : reading.Items) {
    if ((item.Attr & kAttrDirectory) == 0 || (item.Attr & exclusion) != 0) continue;
    auto child = std::make_shared<TFolder>();
    child->Reading.Folder.reserve(reading.Folder.size() + item.NameLength + 1);
    child->Reading.Folder = reading.Folder;
    child->Reading.Folder += reading.Name(item);
    child->Reading.Folder += Separator();
    child->Place.reserve(folder->Place.size() + 1);
    child->Place = folder->Place;
    child->Place.push_back(position++);
    child->ForReaders =
        (item.Attr & kAttrReparsePoint) == 0 && child->Place.size() <= kReadAheadDepth;
    const TPlace* place = &child->Place;
    if (child->ForReaders) waiting_.emplace(place, child);
    ahead_.emplace(place, std::move(child));
  }
  if (idleReaders_ > 0 && !waiting_.empty() && aheadCost_ < kAheadLimit) toRead_.notify_all();
}

TTake TReadAheadFileSystem::Take(const std::string& folder, TFolderPtr& taken) {
  if (slowReading_.exchange(false) && threads_.size() < mostReaders_) AddReader();
  std::unique_lock lock(mutex_);
  if (!last_ || last_->Reading.Folder != folder) {
    // A folder's search stays open while the walk is below it: what it no longer needs,
    // its path and its place, would make a deep chain cost the square of its depth.
    if (last_) std::string().swap(last_->Reading.Folder);
    last_.reset();
    TFolderPtr front = Front(folder);
    if (front) {
      Remove(*front);
    } else {
      // A folder reached by no way put ahead (the root): what lies ahead starts from it.
      front = std::make_shared<TFolder>();
      front->Reading.Folder = folder;
    }
    front->Taken = true;
    const bool read = front->State == TFolder::Read        ? true
                      : front->State == TFolder::BeingRead ? WaitUntilRead(lock, *front)
                                                           : ReadOnWalk(lock, front);
    if (!read) return TTake::Stopped;
    TPlace().swap(front->Place);  // out of what lies ahead, its sub-folders listed
    last_ = std::move(front);
  }
  taken = last_;
  return last_->Reading.Whole ? TTake::Replay : TTake::Direct;
}

// The folder the walk needs next, not begun by any reader: read on the walk's thread,
// which answers meanwhile.
bool TReadAheadFileSystem::ReadOnWalk(std::unique_lock<std::mutex>& lock,
                                      const TFolderPtr& folder) {
  folder->State = TFolder::BeingRead;
  lock.unlock();
  const bool read = Read(*own_, folder->Reading, walkScratch_,
                         plan_.WhileWaiting ? &plan_.WhileWaiting : nullptr);
  lock.lock();
  if (read) Listed(folder);
  return read;
}

bool TReadAheadFileSystem::WaitUntilRead(std::unique_lock<std::mutex>& lock,
                                         const TFolder& folder) {
  auto lastAnswer = std::chrono::steady_clock::now();
  while (folder.State != TFolder::Read) {
    // Rather than sleep, the walk reads the next folder no reader has begun, answering
    // before each one as it does before each folder it enters.
    if (!waiting_.empty()) {
      if (!Answer(lock)) return false;
      if (waiting_.empty()) continue;  // a reader took it meanwhile
      TFolderPtr next = NextWaiting();
      if (!ReadOnWalk(lock, next)) {
        Drop(next);
        return false;
      }
      continue;
    }
    read_.wait_for(lock, kPollInterval);
    // Other folders' readings wake the walk too: the time, not the wake-ups, says when.
    if (std::chrono::steady_clock::now() - lastAnswer < kPollInterval) continue;
    if (!Answer(lock)) return false;
    lastAnswer = std::chrono::steady_clock::now();
  }
  return true;
}

// Lets the window answer, without holding the lock; false when the run was stopped.
bool TReadAheadFileSystem::Answer(std::unique_lock<std::mutex>& lock) {
  if (!plan_.WhileWaiting) return true;
  lock.unlock();
  const bool goOn = plan_.WhileWaiting();
  lock.lock();
  return goOn;
}

// A reader: the first folder waiting, while the readers are not too far ahead.
void TReadAheadFileSystem::ReadAhead(TFileSystem& files) {
  const std::function<bool()> goOn = [this] { return !stopping_.load(); };
  TFolderReading scratch;
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!stopping_ && (waiting_.empty() || aheadCost_ >= kAheadLimit)) {
      // What the reader keeps open is for the walk, whose own descent may need it.
      lock.unlock();
      files.Idle();
      lock.lock();
      ++idleReaders_;
      toRead_.wait(lock,
                   [this] { return stopping_ || (!waiting_.empty() && aheadCost_ < kAheadLimit); });
      --idleReaders_;
    }
    if (stopping_) return;
    TFolderPtr folder = NextWaiting();
    folder->State = TFolder::BeingRead;
    lock.unlock();
    const bool read = Read(files, folder->Reading, scratch, &goOn);
    lock.lock();
    if (!read) return;
    Listed(folder);
  }
}

}  // namespace

std::unique_ptr<TFileSystem> NewReadAheadFileSystem(TFileSystemMaker make, unsigned threads) {
  return std::make_unique<TReadAheadFileSystem>(std::move(make), threads);
}

}  // namespace ramilux
