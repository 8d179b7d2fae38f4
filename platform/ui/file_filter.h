// The file-type choices of a file dialog, and their two spellings: the Windows
// filter string a host receives and the name filters of a Qt dialog.
#pragma once

#include <span>
#include <string>

namespace varn::ui {

struct FileFilter {
  std::u16string description;  // "Tembra Paint Files (*.tbp)"
  std::u16string pattern;      // "*.tbp", several separated by ';'
};

// Each description and pattern followed by a 0 character, and one more 0 at the
// end; empty for no filters. A 0 inside a text ends that text.
std::u16string ToWindowsFilter(std::span<const FileFilter> filters);

// "Description (p1 p2)": a parenthesised tail of the description is replaced
// by the patterns, and "*.*" lists every file as it does on Windows.
std::u16string ToNameFilter(const FileFilter& filter);

}  // namespace varn::ui
