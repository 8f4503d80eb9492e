// Sets up the test printer of a Wine prefix: a PostScript printer whose jobs land as
// files in C:\printed, made the default printer. Run by scripts/test-printer.
//   print_test_printer.exe <PPD file> <port command>
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kPrinter[] = "Ramilux Test";
constexpr char kPort[] = "LPT1:";

bool MapPortToCommand(const std::string& command) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG status =
      RegSetValueExA(key, kPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool AddDriver(const std::string& ppd) {
  DRIVER_INFO_3A driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<char*>(kPrinter);
  driver.pDriverPath = const_cast<char*>("wineps.drv");
  driver.pConfigFile = const_cast<char*>("wineps.drv");
  driver.pDataFile = const_cast<char*>(ppd.c_str());
  driver.pDefaultDataType = const_cast<char*>("RAW");
  return AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
}

bool AddTestPrinter() {
  HANDLE existing = nullptr;
  if (OpenPrinterA(const_cast<char*>(kPrinter), &existing, nullptr)) {
    ClosePrinter(existing);
    return true;
  }
  PRINTER_INFO_2A info{};
  info.pPrinterName = const_cast<char*>(kPrinter);
  info.pPortName = const_cast<char*>(kPort);
  info.pDriverName = const_cast<char*>(kPrinter);
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  info.pDatatype = const_cast<char*>("RAW");
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!printer) return false;
  ClosePrinter(printer);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: print_test_printer <PPD file> <port command>\n");
    return 2;
  }
  if (!MapPortToCommand(argv[2])) return std::fprintf(stderr, "port mapping failed\n"), 1;
  if (!AddDriver(argv[1])) {
    return std::fprintf(stderr, "driver failed: %lu\n", GetLastError()), 1;
  }
  if (!AddTestPrinter()) return std::fprintf(stderr, "printer failed: %lu\n", GetLastError()), 1;
  if (!SetDefaultPrinterA(kPrinter)) return std::fprintf(stderr, "default failed\n"), 1;
  HDC dc = CreateDCA("WINSPOOL", kPrinter, nullptr, nullptr);
  if (!dc) return std::fprintf(stderr, "no device context on %s\n", kPrinter), 1;
  DeleteDC(dc);
  std::printf("test printer \"%s\" ready\n", kPrinter);
  return 0;
}
