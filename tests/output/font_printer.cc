// The default printer the font dialog needs, made in the Wine prefix when missing.
#include "font_printer.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

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
  DRIVER_INFO_3A driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<char*>(kPrinterName);
  driver.pDriverPath = const_cast<char*>("wineps.drv");
  driver.pConfigFile = const_cast<char*>("wineps.drv");
  driver.pDataFile = ppd.data();
  driver.pDefaultDataType = const_cast<char*>("RAW");
  if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                           APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) &&
      GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    return false;
  }
  PRINTER_INFO_2A printer{};
  printer.pPrinterName = const_cast<char*>(kPrinterName);
  printer.pPortName = const_cast<char*>("FILE:");
  printer.pDriverName = const_cast<char*>(kPrinterName);
  printer.pPrintProcessor = const_cast<char*>("WinPrint");
  printer.pDatatype = const_cast<char*>("RAW");
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE added = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  if (added) {
    ClosePrinter(added);
  } else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
    return false;
  }
  return SetDefaultPrinterA(kPrinterName);
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
