#include "platform/ui/file_filter.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace varn::ui {
namespace {

// The whole literal, embedded 0 characters included.
template <std::size_t N>
std::u16string WithZeros(const char16_t (&text)[N]) {
  return std::u16string(text, N - 1);
}

TEST(FileFilter, WindowsFormTerminatesEveryTextAndTheList) {
  const std::vector<FileFilter> filters = {{u"Tembra Paint Files (*.tbp)", u"*.tbp"},
                                           {u"All Files (*.*)", u"*.*"}};
  const std::u16string windows = ToWindowsFilter(filters);
  EXPECT_EQ(windows, WithZeros(u"Tembra Paint Files (*.tbp)\0*.tbp\0All Files (*.*)\0*.*\0\0"));
  EXPECT_EQ(windows.size(), 54u);
  EXPECT_TRUE(ToWindowsFilter({}).empty());
  // A 0 inside a text cannot split it into two entries.
  const std::vector<FileFilter> odd = {{std::u16string(u"A\0B", 3), u"*.a"}};
  EXPECT_EQ(ToWindowsFilter(odd), WithZeros(u"A\0*.a\0\0"));
}

TEST(FileFilter, QtNameFiltersListThePatternsOnce) {
  EXPECT_EQ(ToNameFilter({u"Tembra Paint Files (*.tbp)", u"*.tbp"}), u"Tembra Paint Files (*.tbp)");
  EXPECT_EQ(ToNameFilter({u"All Files (*.*)", u"*.*"}), u"All Files (*)");
  EXPECT_EQ(ToNameFilter({u"Pictures", u"*.jpg;*.png; *.gif"}), u"Pictures (*.jpg *.png *.gif)");
  EXPECT_EQ(ToNameFilter({u"", u""}), u"* (*)");
}

}  // namespace
}  // namespace varn::ui
