// arbo's system layer on Win32: the console's Ctrl-C, the console window, full path
// names, and the output through file handles with a temporary file moved at the end.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// CommandLineToArgvW, which needs windows.h first
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform.h"
#include "system.h"
#include "wide_text.h"

namespace arbo {
namespace {

// Set by the console's control handler (another thread), read by the walk at its polls
// for input.
volatile LONG g_interrupted = 0;

BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // A second Ctrl-C falls through to the default handler, which ends the program.
  return InterlockedExchange(&g_interrupted, 1) == 0 ? TRUE : FALSE;
}

// Messages, arguments and paths are UTF-8 here (a console shows messages through
// WriteConsoleW); the system's words come as wide text and are converted on their way in.
std::string Utf8(std::wstring_view wide) {
  return ramilux::FromWide(wide, CP_UTF8);
}

std::string LastError() {
  return ramilux::SystemErrorText(GetLastError(), ramilux::TEncoding::Utf8);
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool WriteAll(HANDLE handle, const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : DWORD(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr)) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::string CannotWrite(const std::string& path) {
  return Say("écriture impossible dans ", "cannot write to ") + path + ": " + LastError();
}

std::string CannotCreate(const std::string& path) {
  return Say("impossible de créer le fichier ", "cannot create the file ") + path + ": " +
         LastError();
}

std::wstring WidePath(const std::string& path) {
  return ramilux::ToWide(path, CP_UTF8);
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str());
}

// Whether `path` names a link (a symbolic link, a junction, any reparse point) itself,
// dangling or not: the search reports the entry's own attributes.
bool IsLink(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return false;  // no file has that name
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileExW(WidePath(path).c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

class TStandardOutputTarget final : public TOutputTarget {
 public:
  bool Write(const char* data, size_t size, std::string& error) override {
    if (WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), data, size)) return true;
    error =
        Say("écriture impossible dans la sortie standard: ", "cannot write to standard output: ") +
        LastError();
    return false;
  }
  bool Commit(std::string&) override { return true; }
};

}  // namespace

void LimitHeaps() {}  // the Windows heap is not one a thread

void CatchInterrupt() {
  SetConsoleCtrlHandler(OnControl, TRUE);
}

bool Interrupted() {
  return g_interrupted != 0;
}

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

int TerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
    return info.srWindow.Right - info.srWindow.Left + 1;
  }
  return 80;
}

namespace {

// Our texts are UTF-8 and paths are ANSI: text that is not UTF-8 is read as ANSI.
std::wstring Wide(std::string_view text) {
  for (UINT codePage : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int length =
        MultiByteToWideChar(codePage, flags, text.data(), int(text.size()), nullptr, 0);
    if (length <= 0 && !text.empty()) continue;
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), int(text.size()), wide.data(), length);
    return wide;
  }
  return {};
}

void WriteText(DWORD which, FILE* stream, std::string_view text) {
  const HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = Wide(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace

void WriteStderr(std::string_view text) {
  WriteText(STD_ERROR_HANDLE, stderr, text);
}
void WriteStdoutText(std::string_view text) {
  WriteText(STD_OUTPUT_HANDLE, stdout, text);
}

bool FrenchMessages() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH;
}

bool AnsiByDefault() {
  return true;
}

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) {
    arguments.push_back(Utf8(words[i]));
  }
  if (words != nullptr) LocalFree(words);
  return arguments;
}

std::string EngineText(const std::string& argument, bool utf8) {
  if (utf8 || argument.empty()) return argument;
  return ramilux::FromWide(WidePath(argument), CP_ACP);
}

std::string EngineFolder(const std::string& path, bool utf8) {
  if (utf8) return path;
  std::string folder;
  for (size_t begin = 0; begin < path.size();) {
    const size_t end = std::min(path.find_first_of("\\/", begin), path.size());
    const std::string name = path.substr(begin, end - begin);
    const std::string ansi = EngineText(name, false);
    folder += ansi;
    if (WidePath(name) != ramilux::ToWide(ansi, CP_ACP)) folder += '\0' + name;
    if (end < path.size()) folder += path[end];
    begin = end + 1;
  }
  return folder;
}

std::string MessageText(const std::string& text, bool utf8) {
  if (utf8 || text.empty()) return text;
  return Utf8(ramilux::ToWide(text, CP_ACP));
}

bool CheckFolder(const std::string& path, std::string& error) {
  const DWORD attributes = AttributesOf(path);
  std::string problem;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    problem = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                  ? Say("dossier introuvable", "no such folder")
                  : LastError();
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    problem = Say("n'est pas un dossier", "not a folder");
  } else {
    return true;
  }
  error = path + ": " + problem;
  return false;
}

// GetFullPathNameW works on the text of the path alone: it never follows a link.
std::string AbsoluteFolder(const std::string& path) {
  const std::wstring wide = WidePath(path);
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
  }
  full.resize(length == 0 ? 0 : length);
  std::string absolute = full.empty() ? path : Utf8(full);
  if (absolute.empty()) return absolute;
  if (!IsSeparator(absolute.back())) absolute += '\\';
  return absolute;
}

std::unique_ptr<TOutputTarget> OpenStandardOutput() {
  // Binary: the listing's CR LF goes out as it is, not as CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  return std::make_unique<TStandardOutputTarget>();
}

std::unique_ptr<TOutputTarget> OpenOutputFile(const std::string& path, std::string& error) {
  if (IsLink(path)) {
    error = Say("refus d'écrire à travers un lien : ", "will not write through a link: ") + path;
    return nullptr;
  }
  const DWORD attributes = AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = path + ": " + Say("est un dossier", "is a folder");
    return nullptr;
  }
  // A read-only file is not replaced behind the user's back.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    error = CannotWrite(path);
    return nullptr;
  }
  std::string folder = path;
  while (!folder.empty() && !IsSeparator(folder.back()) && folder.back() != ':') folder.pop_back();
  if (folder.empty()) folder = ".";
  // The file itself is made after the walk; whether its folder exists is known now.
  const DWORD folderAttributes = AttributesOf(folder);
  if (folderAttributes == INVALID_FILE_ATTRIBUTES ||
      (folderAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = CannotCreate(path);
    return nullptr;
  }
  return NewReplacedFileTarget(path);
}

}  // namespace arbo
