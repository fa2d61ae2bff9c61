// The window tests need a QApplication on the test's own thread.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/start_up.h"

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  app::PrepareProcess();
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
