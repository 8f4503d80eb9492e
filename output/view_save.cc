// Writing the view's content into a file through a temporary file beside it.
#include "view_save.h"

#include <richedit.h>

#include <algorithm>
#include <limits>

#include "rich_edit.h"

namespace ramilux {
namespace {

constexpr char kPlainTextProperty[] = "Ramilux.PlainText";

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    if (!valid()) return true;
    bool ok = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

// The new content's file, named by GetTempFileNameA in the target's folder (so that the
// final move is a rename on one volume); deleted unless it was moved into place.
class TempFile {
 public:
  explicit TempFile(const std::string& folder) {
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(folder.c_str(), "rlx", 0, name)) name_ = name;
  }
  ~TempFile() {
    if (!name_.empty()) DeleteFileA(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool created() const { return !name_.empty(); }
  const std::string& name() const { return name_; }
  bool MoveOver(const std::string& target) {
    if (!MoveFileExA(name_.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return false;
    }
    name_.clear();
    return true;
  }

 private:
  std::string name_;
};

std::string FolderOf(const std::string& fileName) {
  char full[MAX_PATH] = {};
  char* filePart = nullptr;
  DWORD length = GetFullPathNameA(fileName.c_str(), MAX_PATH, full, &filePart);
  if (length == 0 || length >= MAX_PATH || filePart == nullptr) return {};
  return std::string(full, filePart);
}

// An existing target must be a file we may overwrite and that nobody holds open against
// writing or replacing; checked before anything is written so that such a save fails
// at once instead of after a complete stream.
bool TargetReplaceable(const std::string& fileName) {
  DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
  FileHandle probe(CreateFileA(fileName.c_str(), GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return probe.valid();
}

struct StreamSink {
  HANDLE file;
  uint64_t written;
  uint64_t limit;
};

DWORD CALLBACK WriteChunk(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
  auto* sink = reinterpret_cast<StreamSink*>(cookie);
  *done = 0;
  uint64_t room = sink->limit - sink->written;
  DWORD wanted = static_cast<DWORD>(count);
  DWORD allowed = room < wanted ? static_cast<DWORD>(room) : wanted;
  DWORD out = 0;
  if (allowed > 0 && !WriteFile(sink->file, bytes, allowed, &out, nullptr)) return 1;
  sink->written += out;
  *done = static_cast<LONG>(out);
  return out == wanted ? 0 : 1;
}

// A control that is gone (or refuses) streams nothing and reports no error: the stream
// counts only when it delivered at least the view's text, and an RTF document is never
// empty.
bool StreamInto(HWND view, HANDLE file, const SaveFaults* faults) {
  if (!IsWindow(view)) return false;
  StreamSink sink{file, 0,
                  faults ? faults->streamFailsAfter : std::numeric_limits<uint64_t>::max()};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&sink);
  stream.pfnCallback = WriteChunk;
  bool plain = PlainText(view);
  rich_edit::StreamOut(view, plain ? SF_TEXT : SF_RTF, stream);
  if (stream.dwError != 0) return false;
  uint64_t held = static_cast<uint64_t>(std::max<int64_t>(0, rich_edit::TextLength(view)));
  return sink.written >= held && (plain || sink.written > 0);
}

}  // namespace

bool PlainText(HWND view) {
  return GetPropA(view, kPlainTextProperty) != nullptr;
}

PlainTextOn::PlainTextOn(HWND view) : view_(view) {
  SetPropA(view_, kPlainTextProperty, reinterpret_cast<HANDLE>(1));
}

PlainTextOn::~PlainTextOn() {
  RemovePropA(view_, kPlainTextProperty);
}

SaveResult SaveViewToFile(HWND view, const std::string& fileName, const SaveFaults* faults) {
  if (!TargetReplaceable(fileName)) return SaveResult::kCannotCreate;
  std::string folder = FolderOf(fileName);
  if (folder.empty()) return SaveResult::kCannotCreate;
  TempFile temp(folder);
  if (!temp.created()) return SaveResult::kCannotCreate;
  FileHandle file(CreateFileA(temp.name().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return SaveResult::kCannotCreate;
  bool streamed = StreamInto(view, file.get(), faults);
  bool closed = file.Close();
  if (!streamed || !closed) return SaveResult::kStreamFailed;
  if (faults && faults->beforeReplace) faults->beforeReplace();
  if (!temp.MoveOver(fileName)) return SaveResult::kCannotCreate;
  return SaveResult::kSaved;
}

std::string SaveErrorText(SaveResult result, const std::string& fileName) {
  switch (result) {
    case SaveResult::kSaved:
      return {};
    case SaveResult::kCannotCreate:
      return "Impossible de cr\xE9"
             "er le fichier " +
             fileName;
    case SaveResult::kStreamFailed:
      return "Erreur \xE0 l'enregistrement du flux";
  }
  return {};
}

}  // namespace ramilux
