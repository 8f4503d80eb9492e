// The print tests' dialog driver and printed-job reader.
#include "print_test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace ramilux::test {

bool IsPrintDialog(HWND dialog) {
  return GetDlgItem(dialog, 0x473) != nullptr;
}

std::string ShownText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  char utf8[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
}

void ChooseRange(HWND dialog, int radio) {
  for (int id : {kAllPages, kSelection, kPageNums}) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, id == radio ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

DialogDriver::DialogDriver(Answer answer, int timeoutMs)
    : answer_(std::move(answer)),
      watcher_([this](HWND dialog) { OnOpen(dialog); }, [this](HWND) { timedOut_ = true; },
               std::chrono::milliseconds(timeoutMs)) {}

std::vector<SeenDialog> DialogDriver::seen() {
  std::lock_guard lock(mutex_);
  return seen_;
}

void DialogDriver::OnOpen(HWND dialog) {
  {
    std::lock_guard lock(mutex_);
    seen_.push_back({IsPrintDialog(dialog), ShownText(dialog)});
  }
  answer_(dialog);
}

namespace {

std::vector<std::string> JobFiles() {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(kPrintedFolder) + "\\job-*.ps").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(std::string(kPrintedFolder) + "\\" + found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string UnixPath(const std::string& windowsPath) {
  std::string name = windowsPath.substr(windowsPath.find_last_of('\\') + 1);
  return UnixPrintedFolder() + "/" + name;
}

// The spooler hands the job to the port's command when the document ends; wait until
// the PostScript is whole.
void WaitComplete(const std::string& psFile) {
  for (int i = 0; i < 500; ++i) {
    std::string text = ReadFile(psFile);
    if (text.find("%%EOF") != std::string::npos) return;
    Sleep(10);
  }
}

}  // namespace

std::string UnixPrintedFolder() {
  char prefix[1024] = {};
  GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  return std::string(prefix) + "/drive_c/printed";
}

void RunUnix(const std::string& command) {
  std::string line = "/bin/sh -c \"" + command + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return;
  }
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

PrintedJobs::PrintedJobs() : before_(JobFiles()) {}

std::vector<std::string> PrintedJobs::NewJobFiles(size_t expected) const {
  std::vector<std::string> files;
  // The port's command may still be starting when the document has ended.
  DWORD deadline = GetTickCount() + (expected == 0 ? 500 : 5000);
  do {
    Sleep(10);
    files.clear();
    for (const std::string& file : JobFiles()) {
      if (std::find(before_.begin(), before_.end(), file) == before_.end()) files.push_back(file);
    }
  } while ((expected == 0 || files.size() < expected) &&
           static_cast<int>(deadline - GetTickCount()) > 0);
  for (const std::string& file : files) WaitComplete(file);
  return files;
}

std::string PrintedJobs::ToText(const std::string& psFile) {
  std::string ps = UnixPath(psFile);
  std::string base = ps.substr(0, ps.size() - 3);
  std::string txt = psFile.substr(0, psFile.size() - 3) + ".txt";
  DeleteFileA(txt.c_str());
  RunUnix("ps2pdf '" + ps + "' '" + base + ".pdf' && pdftotext -layout '" + base + ".pdf' '" +
          base + ".tmp' && mv '" + base + ".tmp' '" + base + ".txt'");
  for (int i = 0; i < 1000 && GetFileAttributesA(txt.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(10);
  }
  return ReadFile(txt);
}

int PrintedJobs::PageCountOf(const std::string& psFile) {
  std::string text = ToText(psFile);
  return static_cast<int>(std::count(text.begin(), text.end(), '\f'));
}

namespace {

// pdftotext lays text out again from glyph positions, so runs of blanks come back with
// another length: compare lines with each run as one blank, none at the ends.
std::string SqueezeBlanks(const std::string& line) {
  std::string squeezed;
  for (char c : line) {
    if (c == '\f' || c == '\r') continue;
    if (c == ' ' && (squeezed.empty() || squeezed.back() == ' ')) continue;
    squeezed += c;
  }
  while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
  return squeezed;
}

}  // namespace

std::string PrintedJobs::TitleOf(const std::string& psFile) {
  std::string ps = ReadFile(psFile);
  size_t start = ps.find("%%Title: ");
  if (start == std::string::npos) return "(no title)";
  start += 9;
  return ps.substr(start, ps.find('\n', start) - start);
}

std::vector<std::string> PrintedJobs::PageTexts(const std::string& psFile) {
  std::vector<std::string> pages;
  std::string text = ToText(psFile);
  size_t start = 0;
  for (size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1) {
    pages.push_back(text.substr(start, end - start));
  }
  return pages;
}

namespace {

// Runs `command` with the job's Unix path for {ps} and returns what it wrote to {out}.
std::string RunOnJob(const std::string& psFile, const std::string& command) {
  std::string ps = UnixPath(psFile);
  std::string base = ps.substr(0, ps.size() - 3);
  std::string out = psFile.substr(0, psFile.size() - 3) + ".out";
  DeleteFileA(out.c_str());
  std::string line = command;
  for (auto [key, value] : {std::pair<std::string, std::string>{"{ps}", "'" + ps + "'"},
                            {"{pdf}", "'" + base + ".pdf'"},
                            {"{out}", "'" + base + ".tmp'"}}) {
    for (size_t at; (at = line.find(key)) != std::string::npos;)
      line.replace(at, key.size(), value);
  }
  RunUnix(line + " && mv '" + base + ".tmp' '" + base + ".out'");
  for (int i = 0; i < 1000 && GetFileAttributesA(out.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(10);
  }
  return ReadFile(out);
}

double Attribute(const std::string& tag, const std::string& name) {
  size_t at = tag.find(" " + name + "=\"");
  return at == std::string::npos ? 0 : std::atof(tag.c_str() + at + name.size() + 3);
}

}  // namespace

std::vector<PrintedJobs::Page> PrintedJobs::WordsOf(const std::string& psFile) {
  std::string html = RunOnJob(psFile, "ps2pdf {ps} {pdf} && pdftotext -bbox {pdf} {out}");
  std::vector<Page> pages;
  std::istringstream in(html);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("<page ") != std::string::npos) {
      pages.push_back({Attribute(line, "width"), Attribute(line, "height"), {}});
    } else if (line.find("<word ") != std::string::npos && !pages.empty()) {
      size_t open = line.find('>'), close = line.find("</word>");
      pages.back().words.push_back({Attribute(line, "xMin"), Attribute(line, "yMin"),
                                    Attribute(line, "xMax"), Attribute(line, "yMax"),
                                    line.substr(open + 1, close - open - 1)});
    }
  }
  return pages;
}

std::vector<PrintedJobs::InkBox> PrintedJobs::InkOf(const std::string& psFile) {
  std::string boxes =
      RunOnJob(psFile, "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=bbox {ps} 2> {out}");
  std::vector<InkBox> ink;
  std::istringstream in(boxes);
  std::string line;
  while (std::getline(in, line)) {
    InkBox box{};
    if (std::sscanf(line.c_str(), "%%%%HiResBoundingBox: %lf %lf %lf %lf", &box.x0, &box.y0,
                    &box.x1, &box.y1) == 4 &&
        box.x1 > box.x0) {
      ink.push_back(box);
    }
  }
  return ink;
}

std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = SqueezeBlanks(line);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ListingLines(int count) {
  std::vector<std::string> lines = {
      "Arborescence a partir de: C:\\Donn\xE9"
      "es\\",
      " "};
  for (int i = 0; i < count; ++i) {
    std::string connector = i + 1 < count ? "\xC3\xC4\xC4" : "\xC0\xC4\xC4";
    std::string depth = (i % 3 == 2) ? "\xB3  \xC3\xC4\xC4" : "";
    lines.push_back(depth + connector + "dossier " + std::to_string(i + 1) + " \xE9t\xE9");
  }
  return lines;
}

std::string AsPrinted(const std::string& line, bool boxGlyphs) {
  std::wstring wide(line.size(), L'\0');
  int n = MultiByteToWideChar(1252, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                              static_cast<int>(wide.size()));
  if (boxGlyphs) {
    const std::map<wchar_t, wchar_t> boxes = {{L'\u00C3', L'\u251C'},
                                              {L'\u00C0', L'\u2514'},
                                              {L'\u00B3', L'\u2502'},
                                              {L'\u00C4', L'\u2500'}};
    for (wchar_t& c : wide) {
      if (boxes.count(c)) c = boxes.at(c);
    }
  }
  std::string utf8(static_cast<size_t>(n) * 4, '\0');
  int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(static_cast<size_t>(m));
  return SqueezeBlanks(utf8);
}

void PumpFor(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  MSG message;
  while (static_cast<int>(end - GetTickCount()) > 0) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
}

}  // namespace ramilux::test
