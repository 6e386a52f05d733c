// The conversions built for Windows behave exactly as the native ones; the
// text type meets the platform's wide strings without loss.
#include <windows.h>

#include <gtest/gtest.h>

#include "text/convert.hpp"
#include "text/wide_text_win32.hpp"

namespace kurvlux {
namespace {

TEST(ConvertOnWindows, NumbersRoundTripAsOnEveryPlatform) {
  EXPECT_EQ(formatFixed(3.125f, 2), u"3.12");
  EXPECT_EQ(formatFixed(266.666656f, 2), u"266.67");
  EXPECT_EQ(parseInteger(u"99999999999999999999"), 7766279631452241919);
  for (int v = 0; v <= 255; ++v) EXPECT_EQ(parseInteger(formatDecimal(v)), v);
}

TEST(ConvertOnWindows, WideTextKeepsEveryCodeUnit) {
  const Text german = u"verfügbare COM-Ports";
  const std::wstring wide = wideText(german);
  EXPECT_EQ(wide, L"verfügbare COM-Ports");
  EXPECT_EQ(textFromWide(wide.c_str()), german);
  wchar_t buffer[16] = L"abc";
  EXPECT_EQ(textFromWide(buffer, 16), u"abc");
}

TEST(ConvertOnWindows, AWindowOpensAndCloses) {
  HWND window = CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  wchar_t title[16] = {};
  GetWindowTextW(window, title, 16);
  EXPECT_STREQ(title, L"probe");
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace kurvlux
