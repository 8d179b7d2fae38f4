// Export and import of the paint file as a page and its host see them: the
// dialogs the host is asked to show, what reaches the disk, and the board
// after an import.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/system/utf_convert.h"
#include "tests/drawing/board.h"
#include "tests/platform/system/scratch_directory.h"

namespace varn::drawing::testing {
namespace {

namespace fs = std::filesystem;
using system::testing::ScratchDirectory;

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::u16string Wide(const std::string& utf8) { return system::Utf8ToUtf16(utf8); }

const char16_t kPaintFilter[] = u"Tembra Paint Files (*.tbp)\0*.tbp\0All Files (*.*)\0*.*\0\0";

// A red stroke on the bottom layer and a blue box on a second, hidden-free one.
void DrawTwoLayers(Board& board) {
  board.PutInt(kDispToolType, kToolPen);
  board.PutText(kDispPaletteColor, u"#ff0000");
  board.PutInt(kDispPenWidth, 6);
  board.Drag({{20, 20}, {120, 20}});
  board.Call(kDispAddLayer);
  board.PutInt(kDispToolType, kToolShape);
  board.PutText(kDispPaletteColor, u"#0000ff");
  board.PutInt(kDispShapeType, kShapeFilledRectangle);
  board.Drag({{150, 150}, {200, 200}});
}

class PaintFileDialogs : public ::testing::Test {
 protected:
  PaintFileDialogs() { board.Resize(300, 300); }

  ScratchDirectory folder;
  Board board;
};

TEST_F(PaintFileDialogs, ExportAsksTheHostToSaveWithTheOverwriteQuestion) {
  const std::string path = folder / "mine.tbp";
  board.Dialogs().ChooseFile(Wide(path));
  board.TakeEvents();
  EXPECT_EQ(board.Call(kDispExportToFile), S_OK);

  ASSERT_EQ(board.Dialogs().fileDialogs.size(), 1u);
  const varn::testing::FileDialogSeen& request = board.Dialogs().fileDialogs[0];
  EXPECT_EQ(request.kind, kHostFileDialogSave);
  EXPECT_EQ(request.filter, std::u16string(kPaintFilter, std::size(kPaintFilter) - 1));
  EXPECT_EQ(request.initialName, u"paint.tbp");
  EXPECT_EQ(request.defaultExt, u"tbp");
  EXPECT_EQ(request.flags, OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING);
  // A new board: one 300 x 300 layer and no texts.
  EXPECT_EQ(ReadAll(path).size(), 360068u);
  EXPECT_TRUE(board.TakeEvents().empty());
}

TEST_F(PaintFileDialogs, ImportAsksTheHostToOpenTbpFiles) {
  board.Dialogs().CancelFile();
  EXPECT_EQ(board.Call(kDispImportFromFile), S_OK);
  ASSERT_EQ(board.Dialogs().fileDialogs.size(), 1u);
  const varn::testing::FileDialogSeen& request = board.Dialogs().fileDialogs[0];
  EXPECT_EQ(request.kind, kHostFileDialogOpen);
  EXPECT_EQ(request.filter, std::u16string(kPaintFilter, std::size(kPaintFilter) - 1));
  EXPECT_EQ(request.initialName, u"*.tbp");
  EXPECT_EQ(request.defaultExt, u"tbp");
  EXPECT_EQ(request.flags, OFN_EXPLORER | OFN_ENABLESIZING);
}

TEST_F(PaintFileDialogs, CancelledDialogsDoNothing) {
  const std::string earlier = folder / "earlier.tbp";
  WriteAll(earlier, {'k', 'e', 'e', 'p'});
  board.PutInt(kDispImageWidth, 120);
  board.TakeEvents();
  board.Dialogs().CancelFile();
  board.Dialogs().CancelFile();
  EXPECT_EQ(board.Call(kDispExportToFile), S_OK);
  EXPECT_EQ(board.Call(kDispImportFromFile), S_OK);
  EXPECT_EQ(board.Dialogs().fileDialogs.size(), 2u);
  EXPECT_TRUE(board.TakeEvents().empty());
  EXPECT_EQ(board.GetInt(kDispImageWidth), 120);
  EXPECT_EQ(ReadAll(earlier).size(), 4u);
}

// Every entry of a folder as it stands: its kind, where a link points, what a
// file holds and its permissions.
using FolderContents = std::map<std::string, std::string>;

FolderContents Contents(const std::string& path) {
  FolderContents contents;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    const fs::file_status status = entry.symlink_status();
    std::string seen = std::to_string(static_cast<int>(status.type())) + " " +
                       std::to_string(static_cast<int>(status.permissions()));
    if (fs::is_symlink(status)) seen += " -> " + fs::read_symlink(entry.path()).string();
    if (fs::is_regular_file(status)) {
      const std::vector<char> bytes = ReadAll(entry.path());
      seen += " " + std::string(bytes.begin(), bytes.end());
    }
    contents[entry.path().filename().string()] = seen;
  }
  return contents;
}

constexpr char16_t kSaveCaption[] = u"Save Drawing";
constexpr char16_t kNoFolder[] =
    u"The folder for this file does not exist. The drawing was not saved.";
constexpr char16_t kNotAFile[] = u"That name is not an ordinary file. The drawing was not saved.";
constexpr char16_t kReadOnly[] =
    u"The file is read-only, or its folder cannot be written to. The drawing was not saved.";

// A name the member picks and what stands there already.
struct RefusedExport {
  const char* what;
  const char* name;
  std::function<void(const std::string& path)> make;
  const char16_t* message;
};

void ReadOnlyFile(const std::string& path) {
  WriteAll(path, {'o', 'l', 'd'});
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(PaintFileDialogs, RefusedExportsTellTheMemberAndWriteNothing) {
  const std::string kept = folder / "kept.tbp";
  ReadOnlyFile(kept);
  const std::vector<RefusedExport> refusals = {
      {"missing folder", "missing-folder/paint.tbp", nullptr, kNoFolder},
      {"file as folder", "kept.tbp/paint.tbp", nullptr, kNoFolder},
      {"pipe", "pipe.tbp", [](const std::string& path) { mkfifo(path.c_str(), 0600); }, kNotAFile},
      {"link to a device", "null.tbp",
       [](const std::string& path) { fs::create_symlink("/dev/null", path); }, kNotAFile},
      {"folder", "folder.tbp", [](const std::string& path) { fs::create_directory(path); },
       kNotAFile},
      {"read-only file", "read-only.tbp", ReadOnlyFile, kReadOnly},
      {"link to a read-only file", "link.tbp",
       [](const std::string& path) { fs::create_symlink("kept.tbp", path); }, kReadOnly},
  };
  board.TakeEvents();
  for (const RefusedExport& refusal : refusals) {
    const std::string path = folder / refusal.name;
    if (refusal.make) refusal.make(path);
    const FolderContents before = Contents(folder.Path());
    board.Dialogs().messageBoxes.clear();
    board.Dialogs().ChooseFile(Wide(path));
    EXPECT_EQ(board.Call(kDispExportToFile), S_OK) << refusal.what;
    ASSERT_EQ(board.Dialogs().messageBoxes.size(), 1u) << refusal.what;
    const varn::testing::MessageBoxSeen& box = board.Dialogs().messageBoxes[0];
    EXPECT_EQ(box.text, refusal.message) << refusal.what;
    EXPECT_EQ(box.caption, kSaveCaption) << refusal.what;
    EXPECT_EQ(box.type, MB_OK | MB_ICONWARNING) << refusal.what;
    EXPECT_EQ(Contents(folder.Path()), before) << refusal.what;
    EXPECT_TRUE(board.TakeEvents().empty()) << refusal.what;
  }
  EXPECT_FALSE(fs::exists(folder / "missing-folder"));
}

TEST_F(PaintFileDialogs, ExportThroughALinkWritesTheFileItNames) {
  fs::create_directory(folder / "real");
  const std::string target = folder / "real/drawing.tbp";
  WriteAll(target, {'o', 'l', 'd'});
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  const std::string link = folder / "link.tbp";
  fs::create_symlink("real/drawing.tbp", link);

  board.Dialogs().ChooseFile(Wide(link));
  EXPECT_EQ(board.Call(kDispExportToFile), S_OK);
  EXPECT_TRUE(board.Dialogs().messageBoxes.empty());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "real/drawing.tbp");
  EXPECT_EQ(ReadAll(target).size(), 360068u);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Contents(folder / "real").size(), 1u);
}

TEST_F(PaintFileDialogs, ImportIntoAnotherBoardRestoresTheDrawingAsOneUndoStep) {
  board.PutInt(kDispImageWidth, 240);
  board.PutInt(kDispImageHeight, 220);
  DrawTwoLayers(board);
  const std::vector<uint32_t> drawn = board.Paint(240, 220);
  const std::string path = folder / "two-layers.tbp";
  board.Dialogs().ChooseFile(Wide(path));
  board.Call(kDispExportToFile);

  Board other;
  other.Resize(300, 300);
  other.PutInt(kDispZoomValue, 3);
  other.PutInt(kDispPenWidth, 9);
  other.PutText(kDispPaletteColor, u"#123456");
  other.PutInt(kDispToolType, kToolEraser);
  other.TakeEvents();
  other.Dialogs().ChooseFile(Wide(path));
  EXPECT_EQ(other.Call(kDispImportFromFile), S_OK);

  // The plain canvas size: the zoom went back to 1 first.
  EXPECT_EQ(other.TakeEvents(), (Events{{kOnSizeChange, {240, 220}}, {kOnInvalidateInfo, {}}}));
  EXPECT_EQ(other.GetInt(kDispZoomValue), 1);
  EXPECT_EQ(other.GetInt(kDispImageWidth), 240);
  EXPECT_EQ(other.GetInt(kDispImageHeight), 220);
  EXPECT_EQ(other.Paint(240, 220), drawn);
  other.Call(kDispRequestLayersInfo);
  board.Call(kDispRequestLayersInfo);
  board.TakeEvents();
  const Events layers = other.TakeEvents();
  EXPECT_EQ(layers.size(), 2u);
  // The board's own settings stay: they are not part of the file.
  EXPECT_EQ(other.GetInt(kDispPenWidth), 9);
  EXPECT_EQ(other.GetText(kDispPaletteColor), u"#123456");
  EXPECT_EQ(other.GetInt(kDispToolType), kToolEraser);

  // Undo goes back to the empty board of the default size.
  other.Call(kDispUndo);
  EXPECT_EQ(other.TakeEvents(), (Events{{kOnSizeChange, {300, 300}}, {kOnInvalidateInfo, {}}}));
  const std::vector<uint32_t> empty = other.Paint(300, 300);
  EXPECT_EQ(empty[20 * 300 + 70], kWhite);
  other.Call(kDispRedo);
  const std::vector<uint32_t> again = other.Paint(240, 220);
  EXPECT_EQ(again[20 * 240 + 70], kRed);
  EXPECT_EQ(again[175 * 240 + 175], kBlue);
}

TEST_F(PaintFileDialogs, RefusedFilesLeaveTheBoardAndFireNothing) {
  DrawTwoLayers(board);
  const std::string good = folder / "good.tbp";
  board.Dialogs().ChooseFile(Wide(good));
  board.Call(kDispExportToFile);
  const std::vector<char> bytes = ReadAll(good);
  ASSERT_GT(bytes.size(), 100u);

  std::vector<char> truncated(bytes.begin(), bytes.end() - 1);
  std::vector<char> wrongVersion = bytes;
  wrongVersion[16] = 0x02;
  const std::string cut = folder / "cut.tbp";
  const std::string version = folder / "version.tbp";
  WriteAll(cut, truncated);
  WriteAll(version, wrongVersion);

  Board other;
  other.Resize(300, 300);
  other.PutInt(kDispImageWidth, 111);
  other.PutInt(kDispZoomValue, 2);
  other.TakeEvents();
  const std::vector<uint32_t> before = other.Paint(222, 600);
  for (const std::string& path : {cut, version, folder / "absent.tbp"}) {
    other.Dialogs().ChooseFile(Wide(path));
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(other.Call(kDispImportFromFile), S_OK);
  EXPECT_TRUE(other.TakeEvents().empty());
  EXPECT_EQ(other.GetInt(kDispImageWidth), 111);
  EXPECT_EQ(other.GetInt(kDispZoomValue), 2);
  EXPECT_EQ(other.Paint(222, 600), before);
  // Nothing was added to the history either: one undo reaches the start.
  other.Call(kDispUndo);
  EXPECT_EQ(other.GetInt(kDispImageWidth), 300);
}

}  // namespace
}  // namespace varn::drawing::testing
