// Prints what a window of a running program shows, for scripts that drive a
// program under Wine: the title of the visible top-level window whose title
// begins with the given text, then one line per visible control inside it,
// at any depth: its text, its class and its rectangle on the screen (left top
// right bottom), tab separated, in UTF-8. Exits 1 when no such window is open.
//   window_texts.exe "Kurvlux Installation"
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t *text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  return result;
}

// Asks the control itself: another process's control answers WM_GETTEXT
// through the system, and one that hangs does not hang this program.
std::string text_of(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  return utf8(text);
}

BOOL CALLBACK print_control(HWND control, LPARAM) {
  if (!IsWindowVisible(control)) return TRUE;
  wchar_t class_name[128] = {};
  GetClassNameW(control, class_name, sizeof class_name / sizeof class_name[0]);
  RECT r{};
  GetWindowRect(control, &r);
  std::printf("%s\t%s\t%ld %ld %ld %ld\n", text_of(control).c_str(), utf8(class_name).c_str(), r.left, r.top,
              r.right, r.bottom);
  return TRUE;
}

struct Search {
  std::wstring title_start;
  HWND found = nullptr;
};

BOOL CALLBACK find_window(HWND window, LPARAM search_address) {
  auto &search = *reinterpret_cast<Search *>(search_address);
  wchar_t title[512] = {};
  GetWindowTextW(window, title, sizeof title / sizeof title[0]);
  if (!IsWindowVisible(window) || std::wstring(title).rfind(search.title_start, 0) != 0) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_texts.exe TITLE\n");
    return 2;
  }
  Search search{argv[1]};
  EnumWindows(find_window, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return 1;
  std::printf("%s\n", text_of(search.found).c_str());
  EnumChildWindows(search.found, print_control, 0);
  return 0;
}
