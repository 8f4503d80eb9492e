// The rendering: base prefixes, the connector pass, and the lines of the listing with
// their size and date columns, written to the view.
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "columns.h"
#include "listing.h"
#include "utf8.h"

namespace ramilux {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Lines go to the view in blocks of about this size: each insertion is costly in the
// window, and the text, the progress bar and the handling of input stay the same.
constexpr size_t kBlockBytes = 64 * 1024;

// Lines formatted ahead go in chunks of this many entries, at most this many chunks
// waiting for the view: under a megabyte at 60 bytes a line, whatever the listing's size.
constexpr size_t kChunkEntries = 2048;
constexpr size_t kChunksAhead = 4;
constexpr size_t kLineBytes = 64;  // a chunk's room to start with, per line

struct TLineChunk {
  std::string Text;
  std::vector<size_t> LineEnds;
  // Gives its memory back: assigning empty ones would keep the capacity.
  void Release() {
    std::string().swap(Text);
    std::vector<size_t>().swap(LineEnds);
  }
};

// The chunks another thread formats ahead of the view: two in three (the run's thread
// formats the others), never more than kChunksAhead past the last one put in the view.
class TChunksAhead {
 public:
  using TFormat = std::function<void(size_t chunk, TColumnTexts& columns)>;
  static bool Theirs(size_t chunk) { return chunk % 3 != 0; }

  TChunksAhead(size_t chunks, const TTextServices& text, TFormat format)
      : ready_(chunks, false), thread_([this, &text, format] { Work(text, format); }) {}
  // However the output ends, the thread stops and is waited for.
  ~TChunksAhead() {
    {
      const std::lock_guard lock(mutex_);
      abandoned_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  TChunksAhead(const TChunksAhead&) = delete;
  TChunksAhead& operator=(const TChunksAhead&) = delete;

  // Waits until chunk k is formatted; what failed on the thread fails here.
  void WaitFor(size_t k) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return ready_[k] || failure_; });
    if (!ready_[k]) std::rethrow_exception(failure_);
  }
  // Chunk k is in the view.
  void Inserted(size_t k) {
    {
      const std::lock_guard lock(mutex_);
      inserted_ = k + 1;
    }
    changed_.notify_all();
  }

 private:
  void Work(const TTextServices& text, const TFormat& format) {
    try {
      TColumnTexts columns(text);
      for (size_t k = 0; k < ready_.size(); ++k) {
        if (!Theirs(k)) continue;
        {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [&] { return abandoned_ || k < inserted_ + kChunksAhead; });
          if (abandoned_) return;
        }
        format(k, columns);
        const std::lock_guard lock(mutex_);
        ready_[k] = true;
        changed_.notify_all();
      }
    } catch (...) {
      const std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> ready_;
  size_t inserted_ = 0;
  bool abandoned_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: it starts once the rest is made
};

// Bytes that a name may hold but that cannot be shown as they are: control characters,
// the NUL before a name's exact form, and in UTF-8 everything outside ASCII (checked).
bool NeedsCare(unsigned char c, bool utf8) {
  return c < 0x20 || c == 0x7F || (utf8 && c >= 0x80);
}

// Hides the progress bar however EmitLines ends.
class TProgressGuard {
 public:
  explicit TProgressGuard(TRunIndicators& indicators) : indicators_(indicators) {
    indicators_.ShowProgress(true);
  }
  ~TProgressGuard() { indicators_.ShowProgress(false); }
  TProgressGuard(const TProgressGuard&) = delete;
  TProgressGuard& operator=(const TProgressGuard&) = delete;

 private:
  TRunIndicators& indicators_;
};

}  // namespace

TPrefix TListing::MakeBasePrefix(std::string_view directory) {
  size_t depth = std::count(directory.begin(), directory.end(), separator_);
  return TPrefix(depth + 1);
}

// Bottom-up, each entry's own connector from the entries below it: a branch when an entry
// of its level follows before any shallower one, else a corner; the columns above it are
// carried down when the lines are written. An entry with no entry just before it at its
// level or the one above (the first of the list, or one after a jump of several levels,
// which only a list made by hand has) keeps its columns itself.
void TListing::FixConnectors() {
  if (FEntries.empty() || FStopRequested) return;
  using TGroup = TPrefix::TGroup;
  std::vector<bool> follows;  // by level: an entry of that level follows, none shallower between
  std::vector<TGroup> groups;
  for (size_t k = FEntries.size(); k-- > 0;) {
    TPrefix& prefix = FEntries[k].Prefix;
    const size_t count = prefix.Groups();
    if (count == 0) {  // an entry made without a prefix: those above it end there
      follows.clear();
      continue;
    }
    const size_t level = count - 1;
    const TGroup own = level < follows.size() && follows[level] ? TGroup::Branch : TGroup::Corner;
    const size_t before = k == 0 ? 0 : FEntries[k - 1].Prefix.Groups();
    if (level > before) {
      groups.clear();
      for (size_t g = 0; g < level; ++g) {
        groups.push_back(g < follows.size() && follows[g] ? TGroup::Bar : TGroup::Blank);
      }
      groups.push_back(own);
      prefix = TPrefix(groups, FEntries.Strings);
    } else {
      prefix.SetOwn(own);
    }
    follows.resize(level + 1);
    follows[level] = true;
  }
}

std::string TListing::SizeText(int64_t size) const {
  std::string text;
  AppendSizeText(text, size, text_.DecimalSeparator());
  return text;
}

std::string TListing::DateTimeText(uint32_t time) const {
  std::string text;
  TColumnTexts(text_).AppendDateTime(text, time);
  return text;
}

void TListing::AppendDisplayText(std::string& out, std::string_view text, bool utf8) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t plain = 0;
  while (plain < text.size() && !NeedsCare(bytes[plain], utf8)) ++plain;
  out.append(text.data(), plain);
  for (size_t i = plain; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0) {
      // A name's exact form, kept for the search, runs to the next separator.
      i = text.find(separator_, i);
      if (i == std::string_view::npos) break;
    } else if (c < 0x20 || c == 0x7F) {
      out += '?';  // a newline or a tab in a name must not break the outline
      ++i;
    } else if (!utf8 || c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (size_t bad = 0, length = WellFormedUtf8Length(text.substr(i), bad); length != 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += "\xEF\xBF\xBD";  // U+FFFD for each byte that is no valid UTF-8
      ++i;
    }
  }
}

std::string TListing::DisplayText(std::string_view text) const {
  std::string shown;
  shown.reserve(text.size());
  AppendDisplayText(shown, text, text_.Encoding() == TEncoding::Utf8);
  return shown;
}

TListing::TShownColumns TListing::ShownColumns() {
  TShownColumns shown;
  shown.Files = options_.FileChecked();
  if (shown.Files) {
    shown.Size = options_.SizeChecked();
    shown.DateTime = options_.DateTimeChecked();
  }
  return shown;
}

void TListing::AppendEntryLine(std::string& block, const TFileObject& entry,
                               TPrefixWriter& prefixes, TColumnTexts& columns, bool utf8,
                               const TShownColumns& shown) {
  prefixes.Append(block, entry.Prefix);
  AppendDisplayText(block, entry.Name, utf8);
  // A folder's totals take the place of its size column.
  const bool totals = totalsOn_ && (entry.Attr() & kAttrDirectory) != 0;
  if (totals) {
    block += "  ";
    columns.AppendTotals(block, FolderTotals(entry));
  }
  if (shown.Size && !totals && entry.Size != 0 && !(entry.Attr() & kAttrSizeUnknown)) {
    block += "  ";
    columns.AppendSize(block, entry.Size);
    block += " Ko";
  }
  if (shown.DateTime && entry.Time != 0) {
    block += "  ";
    if (!columns.AppendDateTime(block, entry.Time)) block.resize(block.size() - 2);
  }
  if (const std::string_view mark = UnreadMarker(entry, utf8); !mark.empty()) {
    block += "  ";
    block += mark;
  }
  block += kLineEnd;
}

void TListing::AddLine(std::string_view text) {
  std::string line(text);
  line += kLineEnd;
  std::string error;
  if (!view_.ReplaceSelection(line, error)) throw TRunError(error);
}

// Puts a block of whole lines into the view. When the view refuses the block, the lines
// go in one by one so that the view ends with exactly the lines before the one that
// failed, and the run ends there (TRunError).
void TListing::InsertLines(std::string_view block, const std::vector<size_t>& lineEnds) {
  std::string error;
  if (block.empty() || view_.ReplaceSelection(block, error)) return;
  size_t begin = 0;
  for (size_t end : lineEnds) {
    if (!view_.ReplaceSelection(block.substr(begin, end - begin), error)) throw TRunError(error);
    begin = end;
  }
}

void TListing::EmitLines() {
  indicators_.SetProgressMax(static_cast<int64_t>(FEntries.size()));
  TProgressGuard progress(indicators_);
  const bool utf8 = text_.Encoding() == TEncoding::Utf8;
  if (options_.FixedDuringOutput() && FEntries.size() > 2 * kChunkEntries && EmitLinesAhead(utf8)) {
    return;
  }
  std::string block;
  block.reserve(kBlockBytes + 1024);
  std::vector<size_t> lineEnds;
  TColumnTexts columns(text_);
  TPrefixWriter prefixes;
  for (size_t i = 0; i < FEntries.size(); ++i) {
    indicators_.SetProgressPosition(static_cast<int64_t>(i) + 1);
    indicators_.ProcessMessages();
    AppendEntryLine(block, FEntries[i], prefixes, columns, utf8, ShownColumns());
    lineEnds.push_back(block.size());
    if (block.size() >= kBlockBytes) {
      InsertLines(block, lineEnds);
      block.clear();
      lineEnds.clear();
    }
  }
  InsertLines(block, lineEnds);
}

// With options that nothing can change during the output, most chunks of lines are
// formatted on another thread while this one formats the rest and puts every chunk into
// the view in order. Each chunk starts from the prefix writer as the lines before it leave
// it, so the text is the one a single pass makes. False, with nothing written, when no
// thread could be started: the single pass then does it all.
bool TListing::EmitLinesAhead(bool utf8) {
  const size_t count = FEntries.size();
  const size_t chunks = (count + kChunkEntries - 1) / kChunkEntries;
  std::vector<TPrefixWriter> starts;  // the prefixes alone, one pass: cheap
  TPrefixWriter prefixes;
  std::string scratch;
  for (size_t i = 0; i < count; ++i) {
    if (i % kChunkEntries == 0) starts.push_back(prefixes);
    scratch.clear();
    prefixes.Append(scratch, FEntries[i].Prefix);
  }
  std::vector<TLineChunk> done(chunks);
  const TShownColumns shown = ShownColumns();  // the other thread reads no option
  const auto format = [&](size_t k, TColumnTexts& columns) {
    TPrefixWriter writer = starts[k];
    done[k].Text.reserve(kChunkEntries * kLineBytes);
    for (size_t i = k * kChunkEntries; i < std::min(count, (k + 1) * kChunkEntries); ++i) {
      AppendEntryLine(done[k].Text, FEntries[i], writer, columns, utf8, shown);
      done[k].LineEnds.push_back(done[k].Text.size());
    }
  };
  std::unique_ptr<TChunksAhead> ahead;
  try {
    ahead = std::make_unique<TChunksAhead>(chunks, text_, format);
  } catch (const std::system_error&) {
    return false;
  }
  TColumnTexts columns(text_);
  for (size_t k = 0; k < chunks; ++k) {
    if (TChunksAhead::Theirs(k)) {
      ahead->WaitFor(k);
    } else {
      format(k, columns);
    }
    indicators_.SetProgressPosition(static_cast<int64_t>(std::min(count, (k + 1) * kChunkEntries)));
    indicators_.ProcessMessages();
    InsertLines(done[k].Text, done[k].LineEnds);
    done[k].Release();
    ahead->Inserted(k);
  }
  return true;
}

}  // namespace ramilux
