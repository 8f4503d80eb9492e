// Sets up the test printer of a Wine prefix: a PostScript printer whose jobs land as
// files in C:\printed, made the default printer. Run by scripts/test-printer.
//   print_test_printer.exe <PPD file> <port command>
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

#include "printers.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: print_test_printer <PPD file> <port command>\n");
    return 2;
  }
  if (!MapPortToCommand(argv[2])) return std::fprintf(stderr, "port mapping failed\n"), 1;
  if (!ramilux::test::AddPostScriptDriver(kPrinter, argv[1])) {
    return std::fprintf(stderr, "driver failed: %lu\n", GetLastError()), 1;
  }
  if (!ramilux::test::AddLocalPrinter(kPrinter, kPort))
    return std::fprintf(stderr, "printer failed: %lu\n", GetLastError()), 1;
  if (!SetDefaultPrinterA(kPrinter)) return std::fprintf(stderr, "default failed\n"), 1;
  HDC dc = CreateDCA("WINSPOOL", kPrinter, nullptr, nullptr);
  if (!dc) return std::fprintf(stderr, "no device context on %s\n", kPrinter), 1;
  DeleteDC(dc);
  std::printf("test printer \"%s\" ready\n", kPrinter);
  return 0;
}
