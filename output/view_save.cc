// Writing the view's content into a file through a temporary file beside it.
#include "view_save.h"

#include <richedit.h>

#include <algorithm>
#include <limits>

#include "file_handle.h"
#include "replacing_file.h"
#include "rich_edit.h"

namespace ramilux {
namespace {

constexpr char kPlainTextProperty[] = "Ramilux.PlainText";

// An existing target must be a file we may overwrite and that nobody holds open against
// writing or replacing; checked before anything is written so that such a save fails
// at once instead of after a complete stream.
bool TargetReplaceable(const std::string& fileName) {
  DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
  TFileHandle probe(CreateFileA(fileName.c_str(), GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(probe);
}

struct TStreamSink {
  TReplacingFile* File;
  uint64_t Written;
  uint64_t Limit;
};

DWORD CALLBACK WriteChunk(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
  auto* sink = reinterpret_cast<TStreamSink*>(cookie);
  *done = 0;
  uint64_t room = sink->Limit - sink->Written;
  DWORD wanted = static_cast<DWORD>(count);
  DWORD allowed = room < wanted ? static_cast<DWORD>(room) : wanted;
  std::string error;  // the box names the file, not the system's words
  if (allowed > 0 && !sink->File->Write(reinterpret_cast<const char*>(bytes), allowed, error)) {
    return 1;
  }
  sink->Written += allowed;
  *done = static_cast<LONG>(allowed);
  return allowed == wanted ? 0 : 1;
}

// A control that is gone (or refuses) streams nothing and reports no error: the stream
// counts only when it delivered at least the view's text, and an RTF document is never
// empty.
bool StreamInto(HWND view, TReplacingFile* file, const TSaveFaults* faults) {
  if (!IsWindow(view)) return false;
  TStreamSink sink{file, 0,
                   faults ? faults->StreamFailsAfter : std::numeric_limits<uint64_t>::max()};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&sink);
  stream.pfnCallback = WriteChunk;
  bool plain = PlainText(view);
  rich_edit::StreamOut(view, plain ? SF_TEXT : SF_RTF, stream);
  if (stream.dwError != 0) return false;
  uint64_t held = static_cast<uint64_t>(std::max<int64_t>(0, rich_edit::TextLength(view)));
  return sink.Written >= held && (plain || sink.Written > 0);
}

}  // namespace

bool PlainText(HWND view) {
  return GetPropA(view, kPlainTextProperty) != nullptr;
}

TPlainTextOn::TPlainTextOn(HWND view) : view_(view) {
  SetPropA(view_, kPlainTextProperty, reinterpret_cast<HANDLE>(1));
}

TPlainTextOn::~TPlainTextOn() {
  RemovePropA(view_, kPlainTextProperty);
}

TOutcome CannotCreateFile(const std::string& fileName) {
  return TOutcome::Failed(
      "Impossible de cr\xE9"
      "er le fichier " +
      fileName);
}

TOutcome SaveViewToFile(HWND view, const std::string& fileName, const TSaveFaults* faults) {
  const TOutcome cannotCreate = CannotCreateFile(fileName);
  if (!TargetReplaceable(fileName)) return cannotCreate;
  TReplacingFile file(fileName);
  std::string error;  // the box names the file, not the system's words
  if (!file.Create(error)) return cannotCreate;
  bool streamed = StreamInto(view, &file, faults);
  bool closed = file.Close(error);
  if (!streamed || !closed) return TOutcome::Failed("Erreur \xE0 l'enregistrement du flux");
  if (faults && faults->BeforeReplace) faults->BeforeReplace();
  if (!file.MoveOver(error)) return cannotCreate;
  return {};
}

TOutcome SaveWrittenFile(const std::string& fileName, const TFileWriter& write) {
  const TOutcome cannotCreate = CannotCreateFile(fileName);
  if (!TargetReplaceable(fileName)) return cannotCreate;
  TReplacingFile file(fileName);
  std::string error;
  if (!file.Create(error)) return cannotCreate;
  bool written = true;
  write([&](std::string_view text) {
    written = written && file.Write(text.data(), text.size(), error);
  });
  const bool closed = file.Close(error);
  if (!written || !closed) return TOutcome::Failed("Erreur \xE0 l'enregistrement du flux");
  if (!file.MoveOver(error)) return cannotCreate;
  return {};
}

}  // namespace ramilux
