#include "app/MainWindow.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

TEST(MainWindowTest, OpensTitledTwinseek) {
    MainWindow window;
    EXPECT_EQ(window.windowTitle(), "Twinseek");
}

}  // namespace
}  // namespace twinseek
