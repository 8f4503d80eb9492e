// The arithmetic of printed pages.
#include "page_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ramilux {

int RoundHalfEven(double value) {
  return static_cast<int>(std::nearbyint(value));
}

int DeviceFontHeight(int screenHeight, int screenDpi, int deviceDpi) {
  if (screenDpi == deviceDpi || screenDpi <= 0) return screenHeight;
  int points = RoundHalfEven(std::abs(screenHeight) * 72.0 / screenDpi);
  int pixels = std::max(1, RoundHalfEven(points * static_cast<double>(deviceDpi) / 72.0));
  return screenHeight < 0 ? -pixels : pixels;
}

int RowsPerSheet(int pageHeight, int pitch) {
  return std::max(1, pageHeight / std::max(1, pitch));
}

int32_t PageCount(int64_t rows, int rowsPerSheet) {
  if (rows <= 0) return 0;
  int64_t perSheet = std::max(1, rowsPerSheet);
  return static_cast<int32_t>((rows + perSheet - 1) / perSheet);
}

int LinesPerPage(const TPrintGeometry& geometry) {
  return RowsPerSheet(
      geometry.PageHeight,
      std::abs(DeviceFontHeight(geometry.FontHeight, geometry.ScreenDpi, geometry.PrinterDpi)));
}

}  // namespace ramilux
