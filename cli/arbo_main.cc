// arbo: the listing of a folder tree on standard output or into a file, made by the same
// engine and with the same lines as the window's view.
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "compare.h"
#include "console_output.h"
#include "console_window.h"
#include "format_listing.h"
#include "json_listing.h"
#include "listing.h"
#include "options.h"
#include "platform.h"
#include "snapshot_commands.h"
#include "system.h"

namespace arbo {
namespace {

constexpr int kSuccess = 0;
constexpr int kIncomplete = 1;  // the listing is written, but some folders could not be read
constexpr int kFailure = 2;
constexpr int kInterrupted = 130;  // as a shell reports a program ended by SIGINT

int Fail(const std::string& message) {
  WriteStderr("arbo: " + message + "\n");
  return kFailure;
}

int ReportUnread(const std::vector<ramilux::TUnreadFolder>& unread, bool utf8);

std::unique_ptr<TOutputTarget> OpenTarget(const TArboOptions& options, std::string& error) {
  if (!options.OutputFile) return OpenStandardOutput();
  return OpenOutputFile(*options.OutputFile, error);
}

int WriteJson(const ramilux::TListing& listing, char separator, const TArboOptions& options,
              TOutputTarget& target) {
  TConsoleOutput output(target, TEncodingChoice::Ansi);  // the document's bytes as they are
  if (!WriteJsonListing(listing, separator, options.Summary, output)) return kInterrupted;
  if (!output.Finish()) return Fail(output.Error());
  return kSuccess;
}

int Run(const std::vector<std::string>& arguments) {
  TArboOptions options;
  std::string error;
  if (!ParseArguments(arguments, options, error)) return Fail(error);
  if (options.Help) {
    WriteStdoutText(UsageText());
    return kSuccess;
  }
  if (options.Snapshot) return RunSnapshot(options);
  if (options.Compare) return RunCompare(options);
  std::shared_ptr<const ramilux::TSnapshotTree> snapshot;
  if (options.From) {
    snapshot = LoadSnapshot(*options.From, error);
    if (!snapshot) return Fail(error);
  } else if (!CheckFolder(options.Folder, error)) {
    return Fail(error);
  }
  // The output is opened before the walk, so that an unwritable file fails at once.
  std::unique_ptr<TOutputTarget> target = OpenTarget(options, error);
  if (!target) return Fail(error);

  // In utf8 the engine works on the exact names; in ansi, on what the platform shows. A JSON
  // document holds the exact names whatever the encoding.
  // So does every format but text.
  const bool lines = options.Format == TOutputFormat::Text;
  const bool utf8 = options.Encoding == TEncodingChoice::Utf8 || !lines;
  const ramilux::TEncoding encoding = utf8 ? ramilux::TEncoding::Utf8 : ramilux::PlatformEncoding();
  std::unique_ptr<ramilux::TFileSystem> files = snapshot ? ramilux::NewSnapshotFileSystem(snapshot)
                                                         : ramilux::NewPlatformFileSystem(encoding);
  std::unique_ptr<ramilux::TTextServices> text = ramilux::NewPlatformTextServices(encoding);
  if (options.Mask) options.Mask = EngineText(*options.Mask, utf8);
  if (options.Exclude) options.Exclude = EngineText(*options.Exclude, utf8);
  // Outside text the run's lines go nowhere: the document is written from the entries.
  TNowhereTarget nowhere;
  TConsoleOutput output(lines ? *target : nowhere,
                        lines ? options.Encoding : TEncodingChoice::Ansi);
  TProgressLine progress(StderrIsTerminal());
  TConsoleWindow window(options, output, progress);
  ramilux::TListing listing({*files, *text, window, window, window});
  window.Attach(listing);
  // The header names the snapshot's root as the disk's listing would: standard error says
  // which snapshot it was.
  if (snapshot) WriteStderr("arbo: " + SnapshotNotice(*options.From, *snapshot) + "\n");
  listing.SetRoot(snapshot ? snapshot->Root : EngineFolder(AbsoluteFolder(options.Folder), utf8));
  listing.SetMaxDepth(options.MaxDepth);
  if (options.Exclude) listing.SetExcludeMasks(*options.Exclude);

  // The window would put "0" back into a size box that holds no number and go on; a
  // command line says so instead, with or without -f.
  if (options.SizeDirection != TSizeDirection::None) {
    listing.SetMinSize(options.SizeText);
    if (window.SizeTextRejected()) {
      return Fail(Say("taille invalide : ", "invalid size: ") + options.SizeText);
    }
  }

  CatchInterrupt();
  const bool completed = listing.Run();
  progress.Clear();
  if (Interrupted()) return kInterrupted;  // nothing is committed: a file keeps its old text
  if (!completed || !window.Error().empty()) {
    return Fail(window.Error().empty() ? Say("échec de la liste", "listing failed")
                                       : window.Error());
  }
  if (options.Json) {
    const int status = WriteJson(listing, files->Separator(), options, *target);
    return status != kSuccess ? status : ReportUnread(listing.Unread(), utf8);
  }
  if (!lines) {
    TConsoleOutput formatted(*target, TEncodingChoice::Ansi);  // UTF-8 bytes as they are
    if (!WriteFormattedListing(listing, files->Separator(), options, formatted)) {
      return kInterrupted;
    }
    if (!formatted.Finish()) return Fail(formatted.Error());
    return ReportUnread(listing.Unread(), utf8);
  }
  if (options.Summary) output.Put(SummaryLine(listing, CountEntries(listing.Entries())) + "\r\n");
  if (!output.Finish()) return Fail(output.Error());
  return ReportUnread(listing.Unread(), utf8);
}

// The listing is complete, or stderr says which folders it lacks and why.
int ReportUnread(const std::vector<ramilux::TUnreadFolder>& unread, bool utf8) {
  if (unread.empty()) return kSuccess;
  // Messages are UTF-8; the paths and reasons of an ANSI run on Windows are ANSI bytes.
  auto message = [utf8](const std::string& text) { return MessageText(text, utf8); };
  for (const ramilux::TUnreadFolder& folder : unread) {
    WriteStderr("arbo: " + message(folder.Path) + ": " + message(folder.Reason) + "\n");
  }
  const std::string count = std::to_string(unread.size());
  WriteStderr("arbo: " + count +
              Say(" dossier(s) non lu(s), liste incomplète\n",
                  " folder(s) not read, listing incomplete\n"));
  return kIncomplete;
}

}  // namespace
}  // namespace arbo

int main(int argc, char** argv) {
  arbo::LimitHeaps();
  try {
    return arbo::Run(arbo::ProgramArguments(argc, argv));
  } catch (const std::exception& error) {
    return arbo::Fail(error.what());
  }
}
