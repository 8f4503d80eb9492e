// A snapshot written as JSON folder by folder while the walk goes: the document is never
// whole in memory, only the folder being written.
#include <algorithm>
#include <chrono>

#include "json_text.h"
#include "snapshot.h"

namespace ramilux {
namespace {

constexpr size_t kFlushSize = 64 * 1024;

std::string_view FailureWord(TSearchFailure failure) {
  return failure == TSearchFailure::AccessDenied ? "denied" : "unreadable";
}

// The text and, when it is not UTF-8, its exact bytes.
void AppendText(std::string& out, std::string_view field, std::string_view text) {
  out += '"';
  out += field;
  out += "\": ";
  AppendJsonQuoted(out, text);
  AppendBytesField(out, std::string(field) + "_bytes", text);
}

void AppendItem(std::string& out, const TSnapshotTree& folder, const TSnapshotItem& item) {
  out += "\n    {";
  AppendText(out, "name", folder.Name(item));
  const bool isFolder = (item.Attr & kAttrDirectory) != 0;
  out += isFolder ? ", \"type\": \"folder\"" : ", \"type\": \"file\"";
  out += ", \"attr\": " + std::to_string(item.Attr);
  if (!isFolder && item.Size != kUnknownSize) out += ", \"size\": " + std::to_string(item.Size);
  if (item.Timed()) {
    out += ", \"modified\": [" + std::to_string(item.UtcSeconds) + ", " +
           std::to_string(item.UtcNanoseconds) + "]";
  }
  if (item.LinkToAncestor) out += ", \"link_to_ancestor\": true";
  out += '}';
}

class TSnapshotWriter {
 public:
  TSnapshotWriter(const TTextWriter& write, char separator) : write_(write), sep_(separator) {}

  bool Begin(const std::string& root) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    block_ = "{\"format\": \"";
    block_ += kSnapshotFormat;
    block_ += "\", \"version\": " + std::to_string(kSnapshotVersion) + ",\n";
    AppendText(block_, "root", root);
    block_ += ", \"separator\": ";
    AppendJsonQuoted(block_, std::string(1, sep_));
    block_ += ", \"taken\": " +
              std::to_string(std::chrono::duration_cast<std::chrono::seconds>(now).count());
    block_ += ",\n\"folders\": [";
    return true;
  }

  bool Folder(const TSnapshotTree& folder) {
    const TSnapshotFolder& record = folder.Folders[0];
    block_ += first_ ? "\n  {" : ",\n  {";
    first_ = false;
    std::string path = record.Path;
    std::replace(path.begin(), path.end(), sep_, '/');
    AppendText(block_, "path", path);
    if (record.Failure != TSearchFailure::None) {
      block_ += ", \"unread\": \"";
      block_ += FailureWord(record.Failure);
      block_ += "\", ";
      AppendText(block_, "reason", record.Reason);
    }
    block_ += ", \"entries\": [";
    for (const TSnapshotItem& item : folder.Items) {
      if (&item != folder.Items.data()) block_ += ',';
      AppendItem(block_, folder, item);
      if (block_.size() >= kFlushSize && !Flush()) return false;
    }
    block_ += "]}";
    return block_.size() < kFlushSize || Flush();
  }

  bool End() {
    block_ += "\n]}\n";
    return Flush();
  }

 private:
  bool Flush() {
    const bool written = write_(block_);
    block_.clear();
    return written;
  }

  const TTextWriter& write_;
  char sep_;
  std::string block_;
  bool first_ = true;
};

}  // namespace

bool WriteSnapshot(TFileSystem& files, const std::string& root, const TTextWriter& write,
                   const std::function<bool()>& goOn) {
  std::string folder = root;
  if (folder.empty() || folder.back() != files.Separator()) folder += files.Separator();
  TSnapshotWriter writer(write, files.Separator());
  writer.Begin(folder);
  const auto take = [&writer](const TSnapshotTree& one) { return writer.Folder(one); };
  return WalkSnapshot(files, folder, take, goOn) && writer.End();
}

}  // namespace ramilux
