// sample-ebook.exe: the Windows build of the sample E-Book. One window shows
// the whole book as plain text in a read-only edit control; the texts come
// from the variable table packed into its own executable.
#include "platform/module_path.h"
#include "tools/sample-ebook/book_source.h"
#include "tools/sample-ebook/book_text.h"

// After the platform and formats headers: <windows.h> defines macros that
// would rename their constants.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr char kClassName[] = "RebranderSampleEBook";
constexpr int kMargin = 8;

struct BookWindow {
  HWND text = nullptr;
  HFONT font = nullptr;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* book = reinterpret_cast<BookWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_SIZE:
      if (book && book->text) {
        MoveWindow(book->text, kMargin, kMargin, LOWORD(lParam) - 2 * kMargin,
                   HIWORD(lParam) - 2 * kMargin, TRUE);
      }
      return 0;
    case WM_SETFOCUS:
      if (book && book->text) SetFocus(book->text);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HFONT MakeReadingFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  LOGFONTA font = metrics.lfMessageFont;
  font.lfHeight = font.lfHeight * 5 / 4;  // a book is read, not scanned
  return CreateFontIndirectA(&font);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // Held open until the program ends, as the Linux book does; Windows keeps a
  // running executable from being written anyway.
  const sample_ebook::CBookSource source(platform::ModuleFileName());

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) return 1;

  BookWindow book;
  const std::string title = sample_ebook::BookTitle(source);
  HWND window = CreateWindowExA(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 560, nullptr, nullptr, instance, &book);
  if (!window) return 1;
  // An edit control shows every byte as text: nothing in the table is markup.
  book.text = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", "",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0,
      window, nullptr, instance, nullptr);
  book.font = MakeReadingFont();
  SendMessageA(book.text, WM_SETFONT, reinterpret_cast<WPARAM>(book.font), TRUE);
  SetWindowTextA(book.text, sample_ebook::ComposeBookText(source).c_str());
  RECT client;
  GetClientRect(window, &client);
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));

  ShowWindow(window, showCommand);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (book.font) DeleteObject(book.font);
  return static_cast<int>(message.wParam);
}
