// Test printers in the Wine prefix.
#include "printers.h"

#include <windows.h>
#include <winspool.h>

namespace ramilux::test {

bool AddPostScriptDriver(const std::string& name, const std::string& ppd) {
  DRIVER_INFO_3A driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<char*>(name.c_str());
  driver.pDriverPath = const_cast<char*>("wineps.drv");
  driver.pConfigFile = const_cast<char*>("wineps.drv");
  driver.pDataFile = const_cast<char*>(ppd.c_str());
  driver.pDefaultDataType = const_cast<char*>("RAW");
  return AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) ||
         GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

bool AddLocalPrinter(const std::string& name, const std::string& port) {
  PRINTER_INFO_2A info{};
  info.pPrinterName = const_cast<char*>(name.c_str());
  info.pPortName = const_cast<char*>(port.c_str());
  info.pDriverName = const_cast<char*>(name.c_str());
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  info.pDatatype = const_cast<char*>("RAW");
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!printer) return GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
  ClosePrinter(printer);
  return true;
}

}  // namespace ramilux::test
