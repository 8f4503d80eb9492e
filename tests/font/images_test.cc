// The button glyphs, menu images and icon decode as the window system reads resources:
// 16x16 with 16 colours, magenta background at the bottom-left pixel, icon in two sizes.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

constexpr COLORREF kBackground = RGB(255, 0, 255);

TEST(Images, AreSixteenColourSquaresWithTheBackgroundBottomLeft) {
  for (const char* name : {"IMG_FOLDER", "IMG_PRINTER", "IMG_REFRESH", "IMG_STOP", "IMG_FONT",
                           "IMG_RTF", "IMG_TXT", "IMG_ABOUT"}) {
    SCOPED_TRACE(name);
    auto bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBmih.biWidth, 16);
    EXPECT_EQ(dib.dsBmih.biHeight, 16) << "bottom-up";
    EXPECT_EQ(dib.dsBmih.biBitCount, 4);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 15), kBackground);
    int drawn = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) drawn += GetPixel(dc, x, y) != kBackground;
    }
    EXPECT_GT(drawn, 40) << "a picture, not an empty square";
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
}

TEST(Images, IconHasSmallAndLargeImages) {
  for (int size : {16, 32}) {
    SCOPED_TRACE(size);
    auto icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "RAMILUX", IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_NE(info.hbmMask, nullptr) << "transparent around the picture";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

}  // namespace
