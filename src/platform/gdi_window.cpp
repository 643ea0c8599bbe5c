#include "platform/gdi_window.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/win32_host.h"
#include "platform/graph_scale.h"

namespace agat {

namespace {

constexpr wchar_t kClassName[] = L"sorbel";
constexpr int FONTH = GdiPictureWindow::FONTH;

// What the window procedure needs of the picture being shown.
struct Showing {
  const PictureShow* show = nullptr;
  std::wstring comment;
  int winw = 0, winh = 0;
  GraphScale scale;
  int picx0 = 0, picy0 = 0;
  int fin = -1;  // the key accepted; -1 while none is

  void fit(int max_w, int max_h) {
    const Picture& p = show->picture;
    scale = CALC_SCALE(p.width, p.height, p.shape_w, p.shape_h, max_w, max_h);
  }
  void centre() {
    picx0 = (winw - scale.PICRW) / 2;
    picy0 = (winh - scale.PICRH) / 2;
  }
};

std::wstring wide(const std::string& utf8) {
  return wide_of_utf8(utf8);
}

void text_line(HDC dc, const RECT& area, const std::wstring& text, UINT align) {
  if (text.empty()) return;
  RECT r = area;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            align | DT_SINGLELINE | DT_NOPREFIX);
}

void draw(HDC dc, const Showing& s) {
  RECT client{0, 0, s.winw, s.winh};
  FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  SetBkMode(dc, TRANSPARENT);
  const PictureShow& show = *s.show;
  text_line(dc, client, wide(show.hints[PICTURE_LEFT]), DT_LEFT | DT_TOP);
  text_line(dc, client, wide(show.hints[PICTURE_UP]), DT_CENTER | DT_TOP);
  text_line(dc, client, wide(show.hints[PICTURE_RIGHT]), DT_RIGHT | DT_TOP);
  text_line(dc, client, s.comment, DT_LEFT | DT_BOTTOM);
  text_line(dc, client, wide(show.hints[PICTURE_DOWN]), DT_CENTER | DT_BOTTOM);

  const GraphScale& g = s.scale;
  if (g.PICRW <= 0 || g.PICRH <= 0) return;
  // The scaled picture as one bitmap: a top-down DIB of 32-bit 0x00RRGGBB pixels.
  const std::vector<std::uint32_t> rgb = scaled_rgb(show.picture, g.SCALEX, g.SCALEY);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = g.PICRW;
  info.bmiHeader.biHeight = -g.PICRH;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, s.picx0, s.picy0, static_cast<DWORD>(g.PICRW), static_cast<DWORD>(g.PICRH),
                    0, 0, 0, static_cast<UINT>(g.PICRH), rgb.data(), &info, DIB_RGB_COLORS);
}

// The picture key of a virtual-key code; false for a key that is none.
bool picture_key(WPARAM key, PictureKey& out) {
  switch (key) {
    case VK_RETURN:
      out = PICTURE_RETURN;
      return true;
    case VK_ESCAPE:
    case VK_F3:
      out = PICTURE_ESCAPE;
      return true;
    case VK_LEFT:
      out = PICTURE_LEFT;
      return true;
    case VK_UP:
      out = PICTURE_UP;
      return true;
    case VK_RIGHT:
      out = PICTURE_RIGHT;
      return true;
    case VK_DOWN:
      out = PICTURE_DOWN;
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* s = reinterpret_cast<Showing*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (s == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_SIZE:
      s->winw = LOWORD(lparam);
      s->winh = HIWORD(lparam);
      s->fit(s->winw, s->winh - 2 * FONTH);
      s->centre();
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      draw(dc, *s);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the drawing fills the whole client area
    case WM_CLOSE:
      s->fin = PICTURE_ESCAPE;
      return 0;
    case WM_KEYDOWN: {
      PictureKey key;
      if (picture_key(wparam, key) && !s->show->hints[key].empty()) s->fin = key;
      return 0;
    }
    case WM_CHAR:
      if ((wparam == L's' || wparam == L'S') && s->show->save) {
        s->comment = wide(s->show->save());
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

bool GdiPictureWindow::open() {
  if (registered_) return true;
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  // A class already registered (by an earlier window of this program) serves as it is.
  if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  screen_w_ = GetSystemMetrics(SM_CXSCREEN);
  screen_h_ = GetSystemMetrics(SM_CYSCREEN);
  registered_ = screen_w_ > 0 && screen_h_ > 0;
  return registered_;
}

PictureKey GdiPictureWindow::show(const PictureShow& show) {
  Showing s;
  s.show = &show;
  s.comment = wide(show.comment);
  s.fit(screen_w_ - 20, screen_h_ - 80);
  s.winw = std::max(s.scale.PICRW, 1);
  s.winh = s.scale.PICRH + 2 * FONTH;
  s.centre();

  // The client area centred on the screen, the window around it.
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  RECT r{(screen_w_ - s.winw) / 2, (screen_h_ - s.winh) / 2, 0, 0};
  r.right = r.left + s.winw;
  r.bottom = r.top + s.winh;
  AdjustWindowRectEx(&r, kStyle, FALSE, WS_EX_TOPMOST);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, kClassName, wide(show.title).c_str(), kStyle, r.left,
                                r.top, r.right - r.left + 1, r.bottom - r.top + 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), &s);
  if (window == nullptr) return PICTURE_ESCAPE;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetActiveWindow(window);
  BringWindowToTop(window);
  SetForegroundWindow(window);

  MSG message;
  while (s.fin < 0 && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return s.fin < 0 ? PICTURE_ESCAPE : static_cast<PictureKey>(s.fin);
}

}  // namespace agat
