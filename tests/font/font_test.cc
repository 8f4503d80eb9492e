// Ramilux.ttf, registered like the program does it, is the face "Ramilux" for ANSI text
// and draws the connector bytes 0xC3, 0xC0, 0xB3, 0xC4 as box-drawing lines that join.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::string FontPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1) + "Ramilux.ttf";
}

// The font file is registered for the whole suite, as the program keeps it for its lifetime.
class FontRegistration : public testing::Environment {
 public:
  void SetUp() override { ASSERT_GT(AddFontResourceA(FontPath().c_str()), 0) << FontPath(); }
  void TearDown() override { RemoveFontResourceA(FontPath().c_str()); }
};
const auto* const registration = testing::AddGlobalTestEnvironment(new FontRegistration);

// A white memory bitmap with the "Ramilux" font selected, ANSI character set as in the view.
class Canvas {
 public:
  static constexpr int kSize = 64;
  static constexpr int kOrigin = 8;  // where a cell is drawn, away from the bitmap's edges

  explicit Canvas(int height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, kSize, kSize);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                        DEFAULT_PITCH, "Ramilux");
    old_bitmap_ = SelectObject(dc_, bitmap_);
    old_font_ = SelectObject(dc_, font_);
  }
  ~Canvas() {
    SelectObject(dc_, old_font_);
    SelectObject(dc_, old_bitmap_);
    DeleteObject(font_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }

  std::string Face() const {
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc_, LF_FACESIZE, face);
    return face;
  }

  WORD GlyphW(wchar_t ch) const {
    WORD glyph = 0;
    GetGlyphIndicesW(dc_, &ch, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    return glyph;
  }

  // The byte goes through the font's ANSI code page, as the view's bytes do.
  WORD GlyphA(unsigned char byte) const {
    char text[] = {static_cast<char>(byte), 0};
    WORD glyph = 0;
    GetGlyphIndicesA(dc_, text, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    return glyph;
  }

  // Clears the bitmap and draws one byte at the origin; returns the cell's size.
  SIZE Draw(unsigned char byte) {
    RECT all{0, 0, kSize, kSize};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc_, RGB(0, 0, 0));
    SetBkMode(dc_, TRANSPARENT);
    char text[] = {static_cast<char>(byte), 0};
    TextOutA(dc_, kOrigin, kOrigin, text, 1);
    SIZE cell{};
    GetTextExtentPoint32A(dc_, text, 1, &cell);
    return cell;
  }

  // Ink at (x, y) of the cell drawn last.
  bool Ink(int x, int y) const {
    return GetPixel(dc_, kOrigin + x, kOrigin + y) != RGB(255, 255, 255);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HFONT font_;
  HGDIOBJ old_bitmap_;
  HGDIOBJ old_font_;
};

constexpr WORD kMissing = 0xFFFF;  // GGI_MARK_NONEXISTING_GLYPHS

TEST(RamiluxFont, IsSelectedByNameWithTheAnsiCharacterSet) {
  Canvas canvas(-12);
  EXPECT_EQ(canvas.Face(), "Ramilux");
  TEXTMETRICA metrics{};
  ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &metrics));
  EXPECT_EQ(metrics.tmCharSet, ANSI_CHARSET);
  EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "a fixed-pitch face";
}

struct Connector {
  const char* name;
  unsigned char byte;  // as the listing writes it
  wchar_t latin1;      // what the view stores for that byte (code page 1252)
  wchar_t box;         // the box-drawing character whose glyph it must show
};

constexpr Connector kConnectors[] = {
    {"Branch", 0xC3, L'\u00C3', L'\u251C'},
    {"Corner", 0xC0, L'\u00C0', L'\u2514'},
    {"VerticalBar", 0xB3, L'\u00B3', L'\u2502'},
    {"HorizontalBar", 0xC4, L'\u00C4', L'\u2500'},
};

TEST(RamiluxFont, ConnectorsShowTheBoxDrawingGlyphs) {
  Canvas canvas(-12);
  const WORD letter_a = canvas.GlyphW(L'A');
  for (const Connector& c : kConnectors) {
    SCOPED_TRACE(c.name);
    const WORD box = canvas.GlyphW(c.box);
    EXPECT_NE(box, kMissing) << "the box-drawing character itself is kept";
    EXPECT_EQ(canvas.GlyphW(c.latin1), box);
    EXPECT_EQ(canvas.GlyphA(c.byte), box);
    EXPECT_NE(box, letter_a);
  }
}

TEST(RamiluxFont, OtherLatin1LettersKeepTheirGlyphs) {
  Canvas canvas(-12);
  const WORD e_acute = canvas.GlyphA(0xE9);
  EXPECT_EQ(e_acute, canvas.GlyphW(L'\u00E9'));
  EXPECT_NE(e_acute, kMissing);
  EXPECT_NE(e_acute, canvas.GlyphW(L'e'));
  for (const Connector& c : kConnectors) EXPECT_NE(e_acute, canvas.GlyphW(c.box)) << c.name;
  // The neighbours of the connectors are untouched letters.
  EXPECT_NE(canvas.GlyphA(0xC1), canvas.GlyphA(0xC0)) << "Aacute";
  EXPECT_NE(canvas.GlyphA(0xC2), canvas.GlyphA(0xC3)) << "Acircumflex";
}

// Which of the four arms from the cell's centre a connector draws.
struct Shape {
  const char* name;
  unsigned char byte;
  bool up, down, left, right;
};

constexpr Shape kShapes[] = {
    {"Branch", 0xC3, true, true, false, true},
    {"Corner", 0xC0, true, false, false, true},
    {"VerticalBar", 0xB3, true, true, false, false},
    {"HorizontalBar", 0xC4, false, false, true, true},
};

// The first column inked from top to bottom of the cell, or -1.
int FullColumn(const Canvas& canvas, SIZE cell) {
  for (int x = 0; x < cell.cx; ++x) {
    bool full = true;
    for (int y = 0; y < cell.cy && full; ++y) full = canvas.Ink(x, y);
    if (full) return x;
  }
  return -1;
}

// The first row inked from left to right edge of the cell, or -1.
int FullRow(const Canvas& canvas, SIZE cell) {
  for (int y = 0; y < cell.cy; ++y) {
    bool full = true;
    for (int x = 0; x < cell.cx && full; ++x) full = canvas.Ink(x, y);
    if (full) return y;
  }
  return -1;
}

bool InkedBetween(const Canvas& canvas, POINT from, POINT to) {
  for (int y = from.y; y <= to.y; ++y) {
    for (int x = from.x; x <= to.x; ++x) {
      if (!canvas.Ink(x, y)) return false;
    }
  }
  return true;
}

// Lines must reach the cell's edges so that the connectors of neighbouring characters
// and of consecutive lines join; the sizes are the view's and a larger one.
TEST(RamiluxFont, ConnectorsAreLinesThatJoinAtTheCellEdges) {
  for (int height : {-12, -16, -24}) {
    SCOPED_TRACE("height " + std::to_string(height));
    Canvas canvas(height);
    SIZE cell = canvas.Draw(0xB3);
    const int cx = FullColumn(canvas, cell);
    ASSERT_GE(cx, 0) << "the vertical bar spans the cell's height";
    EXPECT_NEAR(cx, cell.cx / 2, cell.cx / 4) << "in the middle of the cell";
    cell = canvas.Draw(0xC4);
    const int cy = FullRow(canvas, cell);
    ASSERT_GE(cy, 0) << "the horizontal bar spans the cell's width";
    EXPECT_NEAR(cy, cell.cy / 2, cell.cy / 4) << "in the middle of the cell";

    for (const Shape& s : kShapes) {
      SCOPED_TRACE(s.name);
      cell = canvas.Draw(s.byte);
      const LONG right = cell.cx - 1, bottom = cell.cy - 1;
      EXPECT_EQ(InkedBetween(canvas, {cx, 0}, {cx, cy}), s.up);
      EXPECT_EQ(InkedBetween(canvas, {cx, cy}, {cx, bottom}), s.down);
      EXPECT_EQ(InkedBetween(canvas, {0, cy}, {cx, cy}), s.left);
      EXPECT_EQ(InkedBetween(canvas, {cx, cy}, {right, cy}), s.right);
    }
  }
}

}  // namespace
