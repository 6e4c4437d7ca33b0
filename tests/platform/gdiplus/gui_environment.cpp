// Text drawing needs the GUI application's font database: one offscreen application for the program.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char arg0_[16] = "tests";
  char* argv_[2] = {arg0_, nullptr};
  std::unique_ptr<QGuiApplication> app_;
};

const auto* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
