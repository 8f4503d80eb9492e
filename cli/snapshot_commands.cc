// --snapshot: the walk of the folder written straight into the replaced file; and the
// words of a snapshot that cannot be read.
#include "snapshot_commands.h"

#include <ctime>

#include "platform.h"
#include "system.h"

namespace arbo {
namespace {

std::string ProblemText(const ramilux::TSnapshotError& error) {
  using ramilux::TSnapshotProblem;
  switch (error.Problem) {
    case TSnapshotProblem::CannotOpen:
      return error.Detail;
    case TSnapshotProblem::Truncated:
      return Say("instantané tronqué", "truncated snapshot");
    case TSnapshotProblem::Foreign:
      return Say("ce fichier n'est pas un instantané", "this file is not a snapshot");
    case TSnapshotProblem::Newer:
      return Say("instantané de version ", "snapshot of version ") + error.Detail +
             Say(", trop récente pour ce programme", ", too new for this program");
    case TSnapshotProblem::Invalid:
    case TSnapshotProblem::None:
      break;
  }
  return Say("instantané invalide : ", "invalid snapshot: ") + error.Detail;
}

}  // namespace

std::shared_ptr<const ramilux::TSnapshotTree> LoadSnapshot(const std::string& path,
                                                           std::string& error) {
  auto tree = std::make_shared<ramilux::TSnapshotTree>();
  ramilux::TSnapshotError problem;
  if (ramilux::ReadSnapshot(path, *tree, problem)) return tree;
  error = path + ": " + ProblemText(problem);
  return nullptr;
}

std::string SnapshotNotice(const std::string& path, const ramilux::TSnapshotTree& tree) {
  const std::time_t taken = static_cast<std::time_t>(tree.Taken);
  char when[32] = "?";
  if (const std::tm* fields = std::gmtime(&taken)) {
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", fields);
  }
  return Say("instantané ", "snapshot ") + path + Say(" de ", " of ") +
         MessageText(tree.Root, true) + Say(", du ", ", taken ") + when;
}

int RunSnapshot(const TArboOptions& options) {
  constexpr int kFailure = 2, kInterrupted = 130;
  if (std::string error; !CheckFolder(options.Folder, error)) {
    WriteStderr("arbo: " + error + "\n");
    return kFailure;
  }
  std::string error;
  std::unique_ptr<TOutputTarget> target = OpenOutputFile(*options.Snapshot, error);
  if (!target) {
    WriteStderr("arbo: " + error + "\n");
    return kFailure;
  }
  // A snapshot keeps the exact names, whatever the listing would show.
  auto files = ramilux::NewPlatformFileSystem(ramilux::TEncoding::Utf8);
  const std::string root = EngineFolder(AbsoluteFolder(options.Folder), true);
  const auto write = [&](std::string_view text) {
    return target->Write(text.data(), text.size(), error);
  };
  CatchInterrupt();
  const bool written = ramilux::WriteSnapshot(*files, root, write, [] { return !Interrupted(); });
  if (Interrupted()) return kInterrupted;  // the file keeps its old contents
  if (!written || !target->Commit(error)) {
    WriteStderr("arbo: " + error + "\n");
    return kFailure;
  }
  return 0;
}

}  // namespace arbo
