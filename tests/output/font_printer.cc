// The default printer the font dialog needs, made in the Wine prefix when missing.
#include "font_printer.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "printers.h"
#include "save_harness.h"

namespace ramilux::test {
namespace {

constexpr char kPrinterName[] = "Ramilux Test PS";
constexpr char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// Ghostscript's PDF PPD, whose folder carries Ghostscript's version.
std::string FindPpd() {
  const std::string base = "Z:\\usr\\share\\ghostscript\\";
  for (const std::string& version : FilesIn(base)) {
    std::string ppd = base + version + "\\lib\\ghostpdf.ppd";
    if (GetFileAttributesA(ppd.c_str()) != INVALID_FILE_ATTRIBUTES) return ppd;
  }
  return {};
}

bool AddTestPrinter() {
  std::string ppd = FindPpd();
  if (ppd.empty()) return false;
  return AddPostScriptDriver(kPrinterName, ppd) && AddLocalPrinter(kPrinterName, "FILE:") &&
         SetDefaultPrinterA(kPrinterName);
}

}  // namespace

std::string DefaultPrinterName() {
  char name[512] = {};
  DWORD size = sizeof name;
  return GetDefaultPrinterA(name, &size) ? std::string(name) : std::string();
}

std::string EnsureDefaultPrinter() {
  std::string name = DefaultPrinterName();
  if (name.empty() && AddTestPrinter()) name = DefaultPrinterName();
  // A printer without a usable driver is no printer for the font dialog.
  HDC info = name.empty() ? nullptr : CreateICA("WINSPOOL", name.c_str(), nullptr, nullptr);
  if (!info) return {};
  DeleteDC(info);
  return name;
}

NoDefaultPrinter::NoDefaultPrinter() : previous_(DefaultPrinterName()) {
  WriteProfileStringA("windows", "device", nullptr);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, "Device");
    RegCloseKey(key);
  }
}

NoDefaultPrinter::~NoDefaultPrinter() {
  if (!previous_.empty()) SetDefaultPrinterA(previous_.c_str());
}

}  // namespace ramilux::test
