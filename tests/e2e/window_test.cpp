// The real program starts, shows its window and ends with exit code 0.
#include <gtest/gtest.h>

#include "e2e/probe.hpp"

namespace {

TEST(Window, OpensAtItsSizeAndClosesWithExitCodeZero) {
  probe::Program program;
  ASSERT_TRUE(program.start());
  EXPECT_EQ(probe::windowText(program.window()), L"Kurvlux v1.0 [Vevi Version]");
  RECT client{};
  GetClientRect(program.window(), &client);
  EXPECT_EQ(client.right - client.left, 1000);
  EXPECT_EQ(client.bottom - client.top, 279);
  EXPECT_EQ(probe::askHost("screenshot window-start"), "ok");
  EXPECT_EQ(program.close(), 0u);
}

}  // namespace
