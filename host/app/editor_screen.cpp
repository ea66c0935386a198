// Editor commands around the editing keys.
#include "host/app/editor_screen.hpp"

#include <ctime>
#include <filesystem>

#include "host/core/char_tables.hpp"
#include "host/app/editor_view.hpp"
#include "host/ui/terminal/key_bar.hpp"
#include "platform/host_bridge.hpp"

namespace host::app {

namespace {

using tui::Key;
using tui::KeyCode;
using tui::Reaction;

const tui::KeyLabels kEditorKeys = {"Help", "Save", "", "", "", "", "", "Table", "", "Quit",
                                    "Plugins", ""};

std::string ClockText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[8] = "";
  if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%H:%M", &local);
  return text;
}

}  // namespace

bool EditorClockWanted() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far\\Screen", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD value = 0, type = 0, size = sizeof value;
  LSTATUS status = RegQueryValueExA(key, "ViewerEditorClock", nullptr, &type,
                                    reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && value != 0;
}

EditorScreen::EditorScreen(Host& host, TerminalUi& ui)
    : host_(host), ui_(ui), buffer_(*host.editor()), keys_(buffer_),
      clock_(EditorClockWanted()) {}

void EditorScreen::Layout(int screen_width, int screen_height) {
  tui::Rect area = tui::EditorTextArea(screen_width, screen_height);
  buffer_.SetWindowSize(area.width, area.height);
  keys_.FollowCursor();
}

void EditorScreen::Render(tui::CellGrid& grid) const {
  tui::EditorStatus status{std::filesystem::path(buffer_.path()).filename().string(),
                           clock_ ? ClockText() : ""};
  tui::RenderEditor(grid, buffer_, status);
  tui::RenderKeyBar(grid, grid.height() - 1, kEditorKeys);
}

tui::Reaction EditorScreen::HandleKey(const Key& key) {
  if (key.Is(KeyCode::kF1)) return Reaction::kHelp;
  if (key.Is(KeyCode::kEsc) || key.Is(KeyCode::kF10)) {
    return ConfirmClose() ? Reaction::kClose : Reaction::kRedraw;
  }
  if (key.Is(KeyCode::kF2)) {
    Save();
  } else if (key.Is(KeyCode::kF8)) {
    NextCharTable();
  } else if (key.Is(KeyCode::kF11)) {
    host_.CallEditorPlugin();
  } else if (!keys_.Handle(key)) {
    return Reaction::kNone;
  }
  keys_.FollowCursor();
  return Reaction::kRedraw;
}

tui::Reaction EditorScreen::Tick() { return clock_ ? Reaction::kRedraw : Reaction::kNone; }

bool EditorScreen::Save() {
  std::string error;
  if (buffer_.Save(&error)) return true;
  // The buffer keeps every change; the person may save elsewhere or retry.
  ui_.ShowMessage(MessageBox{.flags = FMSG_WARNING,
                             .title = "Editor",
                             .lines = {"Cannot save the file", platform::Utf8ToOem(buffer_.path()),
                                       platform::Utf8ToOem(error)},
                             .buttons = {"OK"}});
  return false;
}

// OEM, the host's tables in order, UTF-8 (offered only when the text is
// valid UTF-8), and OEM again.
void EditorScreen::NextCharTable() {
  const int table = buffer_.char_table();
  int next = table == EditorBuffer::kUtf8Table ? EditorBuffer::kOemTable : table + 1;
  if (next == CharTableCount()) next = EditorBuffer::kUtf8Table;
  if (!buffer_.SetCharTable(next)) buffer_.SetCharTable(EditorBuffer::kOemTable);
}

bool EditorScreen::ConfirmClose() {
  if (!buffer_.modified()) return true;
  int answer = ui_.ShowMessage(MessageBox{.flags = FMSG_WARNING,
                                          .title = "Editor",
                                          .lines = {"The file has been changed.", "Save it?"},
                                          .buttons = {"&Save", "Do&n't save", "Cancel"}});
  if (answer == 0) return Save();
  return answer == 1;
}

}  // namespace host::app
