// Text drawing needs the GUI application's font database: the platform's offscreen one, made first.
#include <gtest/gtest.h>

#include "platform/win/surface.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { win::EnsureGuiApplication(); }
};

const auto* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
