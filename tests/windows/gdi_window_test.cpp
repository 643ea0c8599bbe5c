// The GDI window on a desktop (under Wine, that of an X server): the picture is drawn
// scaled in its colours, a key without a hint is ignored, a key with one is answered, and
// the close button answers Escape. Skipped where no window can be made.
#include "platform/gdi_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace agat {
namespace {

// Waits for the picture window, lets DRIVE act on it from this second thread.
std::thread driver(std::function<void(HWND)> drive) {
  return std::thread([drive = std::move(drive)] {
    HWND window = nullptr;
    for (int i = 0; i < 500 && window == nullptr; ++i, Sleep(10))
      window = FindWindowW(L"sorbel", nullptr);
    if (window != nullptr) drive(window);
  });
}

TEST(GdiWindow, DrawsThePictureAndAnswersOfferedKeys) {
  HWND probe =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (probe == nullptr) GTEST_SKIP() << "no desktop to make windows on";
  DestroyWindow(probe);
  GdiPictureWindow window;
  ASSERT_TRUE(window.open());
  const std::uint8_t pixels[] = {1, 2, 4, 15, 9, 10, 12, 0};  // 4 x 2
  PictureShow show;
  show.picture = Picture{pixels, 4, 4, 2, 1, 1};
  show.title = "DOS33 Sorbel: РИСУНОК";
  show.hints[PICTURE_RIGHT] = "дальше";
  const auto colour = [](std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  };
  const COLORREF wanted[2] = {colour(PICTURE_PALETTE[1]), colour(PICTURE_PALETTE[0])};
  COLORREF seen[2] = {};
  std::thread drive = driver([&seen, &wanted](HWND w) {
    // The window may be found before it is shown and first painted (a loaded machine is
    // slow to get there): its pixels are read until they are the picture's, for 5 s at most.
    for (int i = 0; i < 500 && (seen[0] != wanted[0] || seen[1] != wanted[1]); ++i, Sleep(10)) {
      if (!IsWindowVisible(w)) continue;
      RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      RECT client;
      GetClientRect(w, &client);
      HDC dc = GetDC(w);
      // Pixel (0, 0) and pixel (3, 1): the picture fills the width, under a line of hints.
      seen[0] = GetPixel(dc, 2, GdiPictureWindow::FONTH + 2);
      seen[1] = GetPixel(dc, client.right - 3, client.bottom - GdiPictureWindow::FONTH - 3);
      ReleaseDC(w, dc);
    }
    PostMessageW(w, WM_KEYDOWN, VK_UP, 0);  // no hint: nothing happens
    PostMessageW(w, WM_KEYDOWN, VK_RIGHT, 0);
  });
  EXPECT_EQ(window.show(show), PICTURE_RIGHT);
  drive.join();
  EXPECT_EQ(seen[0], wanted[0]);
  EXPECT_EQ(seen[1], wanted[1]);

  drive = driver([](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); });
  EXPECT_EQ(window.show(show), PICTURE_ESCAPE);
  drive.join();
}

}  // namespace
}  // namespace agat
