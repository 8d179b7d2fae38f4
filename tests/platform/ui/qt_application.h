// One QApplication for the suite, created on first use on the offscreen
// platform the suite runs under and destroyed when the suite ends.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

namespace varn::ui::testing {

inline QApplication& Application() {
  static int argc = 1;
  static char name[] = "test_platform_ui";
  static char* argv[] = {name, nullptr};
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  // CTest sets this; a suite run by hand must not need a display either.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return *new QApplication(argc, argv);
}

class QtEnvironment final : public ::testing::Environment {
 public:
  void TearDown() override { delete QCoreApplication::instance(); }
};

inline ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace varn::ui::testing
