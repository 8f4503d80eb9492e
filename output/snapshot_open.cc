// Reading a snapshot for the window: the file whole or one French box, and the names in
// the window's own form.
#include "snapshot_open.h"

#include <algorithm>

#include "saving.h"
#include "snapshot_save.h"
#include "wide_text.h"

namespace ramilux {
namespace {

std::string ProblemText(const TSnapshotError& error, const std::string& fileName) {
  const std::string quoted = "\"" + fileName + "\"";
  switch (error.Problem) {
    case TSnapshotProblem::CannotOpen:
      return "Impossible d'ouvrir le fichier " + quoted + " : " +
             FromWide(ToWide(error.Detail, CP_UTF8), CP_ACP);
    case TSnapshotProblem::Truncated:
      return "L'instantan\xE9 " + quoted + " est tronqu\xE9";
    case TSnapshotProblem::Foreign:
      return "Le fichier " + quoted + " n'est pas un instantan\xE9";
    case TSnapshotProblem::Newer:
      return "L'instantan\xE9 " + quoted + " est de version " + error.Detail +
             ", trop r\xE9"
             "cente pour ce programme";
    case TSnapshotProblem::Invalid:
    case TSnapshotProblem::None:
      break;
  }
  return "L'instantan\xE9 " + quoted + " est invalide : " + error.Detail;
}

// One name as the window's search would give it. A POSIX name may hold "\", the window's
// separator: it shows as "?", as a character the name cannot show would.
std::string WindowName(std::string_view exact, bool posix) {
  std::string name(exact);
  if (posix) std::replace(name.begin(), name.end(), '\\', '?');
  return EngineName(ToWide(name, CP_UTF8), CP_ACP);
}

// A path of names each ending in the tree's separator, name by name.
std::string WindowPath(std::string_view path, char separator, bool posix) {
  std::string out;
  for (size_t begin = 0; begin < path.size();) {
    size_t end = path.find(separator, begin);
    if (end == std::string_view::npos) end = path.size();
    out += WindowName(path.substr(begin, end - begin), posix);
    if (end < path.size()) out += '\\';
    begin = end + 1;
  }
  return out;
}

}  // namespace

const char kSnapshotOpenTitle[] = "Ouvrir un instantan\xE9";
const char kSnapshotCompareTitle[] = "Comparer \xE0 un instantan\xE9";

std::optional<std::string> AskSnapshotFileName(HWND owner, const char* title) {
  const std::string filter = DialogFilter(kSnapshotFilter);
  char name[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;  // modal: no run starts while it is open
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title;
  dialog.Flags =
      OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  return std::string(name);
}

TResult<std::shared_ptr<TSnapshotTree>> LoadSnapshotFile(const std::string& fileName) {
  auto tree = std::make_shared<TSnapshotTree>();
  TSnapshotError error;
  if (!ReadSnapshot(FromWide(ToWide(fileName, CP_ACP), CP_UTF8), *tree, error)) {
    return TOutcome::Failed(ProblemText(error, fileName));
  }
  return tree;
}

void ToWindowNames(TSnapshotTree& tree) {
  const bool posix = tree.Separator == '/';
  tree.Root = WindowPath(tree.Root, tree.Separator, posix);  // "/tmp/x/" as "\tmp\x\"
  for (TSnapshotFolder& folder : tree.Folders) {
    folder.Path = WindowPath(folder.Path, tree.Separator, posix);
    folder.Reason = FromWide(ToWide(folder.Reason, CP_UTF8), CP_ACP);
  }
  std::string names;
  names.reserve(tree.Names.size());
  for (TSnapshotItem& item : tree.Items) {
    const std::string name = WindowName(tree.Name(item), posix);
    item.NameOffset = static_cast<uint32_t>(names.size());
    item.NameLength = static_cast<uint16_t>(name.size());
    names += name;
  }
  tree.Names = std::move(names);
  tree.Separator = '\\';
}

std::string SnapshotNote(const TSnapshotTree& tree, const std::string& fileName,
                         const std::string& what) {
  // Seconds since 1970 to the 100 ns steps since 1601 of a FILETIME.
  constexpr int64_t kEpochSeconds = 11644473600;
  const uint64_t ticks = uint64_t(tree.Taken + kEpochSeconds) * 10000000u;
  FILETIME utc{DWORD(ticks), DWORD(ticks >> 32)}, local{};
  SYSTEMTIME fields{};
  char date[64] = "?", time[64] = "";
  if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &fields)) {
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &fields, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &fields, nullptr, time, sizeof time);
  }
  return " (" + what + " du " + date + " " + time + ", fichier " + fileName + ")";
}

}  // namespace ramilux
