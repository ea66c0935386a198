// Panel keys, the command line and the module's panel and menu commands.
#include "host/app/file_manager.hpp"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "host/app/command.hpp"
#include "host/app/editor_screen.hpp"
#include "host/app/shell_command.hpp"
#include "host/core/folder_listing.hpp"
#include "host/ui/terminal/key_bar.hpp"
#include "platform/host_bridge.hpp"

namespace host::app {

namespace {

using tui::Key;
using tui::KeyCode;
using tui::Reaction;

constexpr const char* kPluginsHelpTopic = "Plugins";

const tui::KeyLabels kPanelKeys = {"Help", "", "", "Edit", "", "", "", "", "Config", "Quit",
                                   "Plugins", ""};

bool IsFunctionKey(const Key& key) {
  return key.code >= KeyCode::kF1 && key.code <= KeyCode::kF12;
}

bool IsFolder(const PluginPanelItem& item) {
  return item.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
}

std::string NameOf(const PluginPanelItem& item) { return item.FindData.cFileName; }

bool IsAbsoluteModulePath(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

std::string JoinModulePath(const std::string& folder, const std::string& name) {
  if (IsAbsoluteModulePath(name)) return name;
  return IsRootFolder(folder) ? folder + name : folder + "\\" + name;
}

std::string ParentOf(const std::string& module_folder) {
  size_t cut = module_folder.find_last_of('\\');
  if (cut == std::string::npos || cut < 2) return module_folder.substr(0, 2) + "\\";
  return cut == 2 ? module_folder.substr(0, 3) : module_folder.substr(0, cut);
}

bool FolderExists(const std::string& module_folder) {
  std::string posix;
  std::error_code error;
  return platform::ToPosixPath(module_folder.c_str(), &posix) &&
         std::filesystem::is_directory(posix, error);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/";
}

// The folder a "cd" names, in the module's form: "~" is the home folder, a
// path from "/" is a POSIX path, anything else is left for the panel to
// resolve against its folder.
std::string FolderRequest(const std::string& oem) {
  if (oem.empty() || oem == "~") return platform::ToModulePath(HomeFolder());
  if (oem.starts_with("~/")) {
    return platform::ToModulePath(HomeFolder() + platform::OemToUtf8(oem.substr(1)));
  }
  if (oem.starts_with("/")) return platform::ToModulePath(platform::OemToUtf8(oem));
  return oem;
}

}  // namespace

FileManager::FileManager(Host& host, TerminalUi& ui, const FirstMatchedLines* first_lines)
    : host_(host), ui_(ui), first_lines_(first_lines), command_line_(ui.history()) {
  PluginInfo info{};
  if (host_.GetPluginInfo(&info) && info.CommandPrefix) prefix_ = info.CommandPrefix;
}

Panel& FileManager::PanelAt(Side side) const {
  bool active = (side == kLeft) == active_is_left_;
  return active ? host_.panels().active() : host_.panels().passive();
}

tui::Rect FileManager::PanelRect(Side side) const {
  int half = width_ / 2;
  int height = std::max(height_ - 2, 3);
  return side == kLeft ? tui::Rect{0, 0, half, height} : tui::Rect{half, 0, width_ - half, height};
}

void FileManager::Layout(int screen_width, int screen_height) {
  width_ = screen_width;
  height_ = screen_height;
  Sync();
}

void FileManager::Sync() {
  for (Side side : {kLeft, kRight}) {
    Panel& panel = PanelAt(side);
    views_[side].Follow(panel.cursor(), static_cast<int>(panel.items().size()), PanelRect(side));
    looks_[side] = panel.plugin() ? ReadModulePanelLook(host_, panel.plugin_handle())
                                  : ModulePanelLook{};
  }
}

void FileManager::Render(tui::CellGrid& grid) const {
  for (Side side : {kLeft, kRight}) {
    Panel& panel = PanelAt(side);
    tui::PanelLook look = panel.plugin() ? looks_[side].panel : tui::PanelLook{panel.folder()};
    views_[side].Render(grid, PanelRect(side), panel.items(), panel.cursor(), look,
                        IsActive(side));
  }
  command_line_.Render(grid, height_ - 2, host_.panels().active().folder());
  tui::KeyLabels labels = kPanelKeys;
  const ModulePanelLook& active = looks_[active_is_left_ ? kLeft : kRight];
  for (size_t i = 0; i < labels.size(); ++i) {
    if (!active.keys[i].empty()) labels[i] = active.keys[i];
  }
  tui::RenderKeyBar(grid, height_ - 1, labels);
}

tui::Reaction FileManager::HandleKey(const Key& key) {
  Reaction reaction = Reaction::kRedraw;
  if (PassToModulePanel(key)) {
    // the module acted on its panel
  } else if (key.Is(KeyCode::kF1)) {
    return Reaction::kHelp;
  } else if (key.Is(KeyCode::kF10)) {
    host_.ExitFAR();
    return Reaction::kClose;
  } else if (key.Is(KeyCode::kF9)) {
    host_.Configure(0);
  } else if (key.Is(KeyCode::kF11)) {
    ShowPluginsMenu();
  } else if (key.Is(KeyCode::kF4)) {
    EditCurrentItem();
  } else if (key.Is(KeyCode::kTab)) {
    host_.panels().SwitchActive();
    active_is_left_ = !active_is_left_;
  } else if (key.IsCtrl(L'r')) {
    Panel& panel = host_.panels().active();
    if (!panel.Reread(true)) KeepFolderAlive(panel);
  } else if (key.Is(KeyCode::kEnter)) {
    if (command_line_.empty()) EnterItem();
    else RunCommandLine();
  } else if (key.IsCtrl(L'e')) {
    command_line_.ShowOlder();
  } else if (key.IsCtrl(L'x')) {
    command_line_.ShowNewer();
  } else if (key == Key::Of(KeyCode::kF8).WithAlt()) {
    ShowCommandHistory();
  } else if (key.Is(KeyCode::kEsc)) {
    command_line_.Clear();
  } else if (key.Is(KeyCode::kInsert) || (command_line_.empty() && key == Key::Char(L' '))) {
    ToggleSelection();
  } else if (!command_line_.empty() && command_line_.HandleKey(key)) {
    // typed into the command line
  } else if (MoveCursor(key) || command_line_.HandleKey(key)) {
    // moved in the panel, or began a command
  } else {
    reaction = Reaction::kNone;  // Ctrl+C among them: Esc is the way out of a command
  }
  Sync();
  return reaction;
}

tui::Reaction FileManager::Tick() {
  bool changed = false;
  for (Side side : {kLeft, kRight}) changed = KeepFolderAlive(PanelAt(side)) || changed;
  if (!changed) return Reaction::kNone;
  Sync();
  return Reaction::kRedraw;
}

bool FileManager::PassToModulePanel(const Key& key) {
  Panel& panel = host_.panels().active();
  if (!panel.plugin() || (!command_line_.empty() && !IsFunctionKey(key))) return false;
  int code = tui::PanelKeyOf(key);
  return code && host_.ProcessKey(code, tui::ControlStateOf(key)) != 0;
}

bool FileManager::MoveCursor(const Key& key) {
  Panel& panel = host_.panels().active();
  int rows = tui::PanelView::ItemRows(PanelRect(active_is_left_ ? kLeft : kRight));
  int cursor = panel.cursor();
  int last = static_cast<int>(panel.items().size()) - 1;
  if (key.Is(KeyCode::kUp)) cursor -= 1;
  else if (key.Is(KeyCode::kDown)) cursor += 1;
  else if (key.Is(KeyCode::kPageUp)) cursor -= rows;
  else if (key.Is(KeyCode::kPageDown)) cursor += rows;
  else if (key.Is(KeyCode::kHome) && command_line_.empty()) cursor = 0;
  else if (key.Is(KeyCode::kEnd) && command_line_.empty()) cursor = last;
  else return false;
  panel.SetCursor(cursor);
  return true;
}

void FileManager::ToggleSelection() {
  Panel& panel = host_.panels().active();
  int cursor = panel.cursor();
  if (cursor >= static_cast<int>(panel.items().size())) return;
  bool selected = panel.items()[static_cast<size_t>(cursor)].Flags & PPIF_SELECTED;
  panel.Select(cursor, !selected);
  panel.SetCursor(cursor + 1);
}

void FileManager::EnterItem() {
  Panel& panel = host_.panels().active();
  if (panel.items().empty()) return;
  const PluginPanelItem& item = panel.items()[static_cast<size_t>(panel.cursor())];
  std::string name = NameOf(item);
  bool up = IsParentItem(item);
  if (!IsFolder(item) && !up) return;
  if (panel.plugin()) {
    host_.SetDirectory(name.c_str(), 0);
    return;
  }
  std::string from = panel.folder();
  if (!panel.SetFolder(name)) {
    Warn("Folder", "Cannot open the folder " + name);
    KeepFolderAlive(panel);
    return;
  }
  // Going up puts the cursor on the folder just left.
  if (up) {
    std::string left = from.substr(from.find_last_of('\\') + 1);
    for (size_t i = 0; i < panel.items().size(); ++i) {
      if (NameOf(panel.items()[i]) == left) panel.SetCursor(static_cast<int>(i));
    }
  }
}

void FileManager::RunCommandLine() {
  std::string line = command_line_.Take();
  int warnings = ui_.warnings_shown();
  Execute(line);
  if (ui_.warnings_shown() != warnings) command_line_.SetText(line);
}

void FileManager::ShowCommandHistory() {
  // The commands are the user's own text: an '&' in one is no hotkey mark.
  Menu menu{.flags = FMENU_WRAPMODE | FMENU_SHOWAMPERSAND, .title = "History"};
  for (const std::string& command : command_line_.History()) menu.items.push_back({command});
  if (menu.items.empty()) return;
  MenuChoice choice = ui_.ShowMenu(menu);
  if (choice.index >= 0) command_line_.SetText(menu.items[static_cast<size_t>(choice.index)].text);
}

void FileManager::Execute(const std::string& oem_line) {
  Command command = ParseCommand(oem_line, prefix_);
  switch (command.kind) {
    case Command::Kind::kNone: return;
    case Command::Kind::kModule:
      LeaveResultsPanel();
      OpenModule(OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(command.argument.c_str()),
                 platform::OemToUtf8(prefix_ + ":" + command.argument));
      return;
    case Command::Kind::kChangeFolder: ChangeFolder(command.argument); return;
    case Command::Kind::kShell: RunShell(command.argument); return;
  }
}

void FileManager::ChangeFolder(const std::string& oem_folder) {
  host_.ClosePlugin();
  if (!host_.panels().active().SetFolder(FolderRequest(oem_folder))) {
    Warn("Folder", "Cannot open the folder " + oem_folder);
  }
}

void FileManager::RunShell(const std::string& oem_command) {
  Panel& active = host_.panels().active();
  std::string folder;
  if (!platform::ToPosixPath(active.folder().c_str(), &folder)) folder = HomeFolder();
  std::string command = platform::OemToUtf8(oem_command);
  ui_.terminal().Suspend();
  std::string shown = "\n" + folder + "$ " + command + "\n";
  std::fputs(shown.c_str(), stdout);
  std::fflush(stdout);
  RunShellCommand(command, folder);
  WaitForEnter("\n[finderix] press Enter to return ");
  ui_.terminal().Resume();
  for (Side side : {kLeft, kRight}) {
    Panel& panel = PanelAt(side);
    if (!panel.Reread(true)) KeepFolderAlive(panel);
  }
}

void FileManager::ShowPluginsMenu() {
  PluginInfo info{};
  if (!host_.GetPluginInfo(&info)) return;
  Menu menu{.flags = FMENU_WRAPMODE, .title = "Plugins", .help_topic = kPluginsHelpTopic};
  for (int i = 0; info.PluginMenuStrings && i < info.PluginMenuStringsNumber; ++i) {
    const char* text = info.PluginMenuStrings[i];
    menu.items.push_back(MenuEntry{.text = text ? text : ""});
  }
  if (menu.items.empty()) return;
  MenuChoice choice = ui_.ShowMenu(menu);
  if (choice.index < 0) return;
  LeaveResultsPanel();
  OpenModule(OPEN_PLUGINSMENU, choice.index,
             platform::OemToUtf8(menu.items[static_cast<size_t>(choice.index)].text));
}

void FileManager::OpenModule(int open_from, intptr_t item, const std::string& command) {
  std::string folder;
  platform::ToPosixPath(host_.panels().active().folder().c_str(), &folder);
  {
    RecordedRun run(undo_, folder, command);
    host_.OpenPlugin(open_from, item);
  }
  const std::string undo_error = undo_ ? undo_->TakeError() : "";
  if (!undo_error.empty()) Warn("Undo", platform::Utf8ToOem(undo_error));
}

void FileManager::LeaveResultsPanel() { host_.ClosePlugin(); }

void FileManager::EditCurrentItem() {
  Panel& panel = host_.panels().active();
  if (panel.items().empty()) return;
  const PluginPanelItem& item = panel.items()[static_cast<size_t>(panel.cursor())];
  if (IsFolder(item) || IsParentItem(item)) return;
  std::string module_path = JoinModulePath(panel.folder(), NameOf(item));
  std::string posix, error;
  if (!platform::ToPosixPath(module_path.c_str(), &posix)) {
    Warn("Editor", "Cannot find the file " + module_path);
    return;
  }
  if (!host_.OpenEditor(posix, &error)) {
    Warn("Editor", platform::Utf8ToOem(error));
    return;
  }
  GoToFirstMatch(panel, module_path);
  EditorScreen editor(host_, ui_);
  ui_.Run(editor);
  host_.CloseEditor();
  if (!panel.Reread(true)) KeepFolderAlive(panel);
}

void FileManager::GoToFirstMatch(const Panel& panel, const std::string& module_path) {
  if (!first_lines_ || !panel.plugin() || !host_.editor()) return;
  std::optional<int64_t> line = first_lines_->LineOf(module_path);
  if (!line || *line > INT_MAX) return;
  EditorSetPosition position{.CurLine = static_cast<int>(*line - 1), .CurPos = 0, .CurTabPos = -1,
                             .TopScreenLine = -1, .LeftPos = -1, .Overtype = -1};
  host_.editor()->Control(ECTL_SETPOSITION, &position);
}

void FileManager::Warn(const std::string& oem_title, const std::string& oem_line) {
  ui_.ShowMessage(MessageBox{.flags = FMSG_WARNING, .title = oem_title, .lines = {oem_line},
                             .buttons = {"OK"}});
}

bool FileManager::KeepFolderAlive(Panel& panel) {
  if (panel.plugin() || FolderExists(panel.folder())) return false;
  std::string folder = panel.folder();
  while (!IsRootFolder(folder)) {
    folder = ParentOf(folder);
    if (panel.SetFolder(folder)) return true;
  }
  return panel.SetFolder(folder);
}

}  // namespace host::app
