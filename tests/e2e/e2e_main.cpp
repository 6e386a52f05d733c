// Entry of the end-to-end test program; run under Wine by tests/e2e/run_e2e.sh.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
