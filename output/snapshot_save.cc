// A snapshot of a folder from the window: the walk of the platform's search with exact
// names (UTF-8), written as it goes into a replacing file.
#include "snapshot_save.h"

#include "platform.h"
#include "replacing_file.h"
#include "snapshot.h"
#include "view_save.h"
#include "wide_text.h"

namespace ramilux {

const char kSnapshotFilter[] = "Instantan\xE9s (*.json)|*.json|Tous fichiers (*.*)|*.*";
const char kSnapshotName[] = "Ramilux.json";

TOutcome SaveSnapshot(const std::wstring& root, const std::string& fileName,
                      const std::function<bool()>& goOn) {
  TReplacingFile file(fileName);
  std::string error;  // the box names the file, not the system's words
  if (!file.Create(error)) return CannotCreateFile(fileName);
  std::unique_ptr<TFileSystem> files = NewPlatformFileSystem(TEncoding::Utf8);
  std::wstring folder = root;
  if (!folder.ends_with(L'\\')) folder += L'\\';
  bool stopped = false;
  const bool written = WriteSnapshot(
      *files, FromWide(folder, CP_UTF8),
      [&](std::string_view text) { return file.Write(text.data(), text.size(), error); },
      [&] { return !(stopped = !goOn()); });
  if (stopped) return {};  // the user's own stop: nothing to tell
  if (!written || !file.Commit(error)) {
    return TOutcome::Failed("Erreur \xE0 l'enregistrement de l'instantan\xE9");
  }
  return {};
}

}  // namespace ramilux
