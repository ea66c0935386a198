// The panels screen: two file panels, the command line and the key bar,
// and what each key does there. Keys go to a module panel's ProcessKey
// first; the module's entry points are called through the host, whose
// panels are the state this screen shows.
#pragma once

#include <string>

#include "host/app/first_matched_lines.hpp"
#include "host/app/module_panel_look.hpp"
#include "host/core/host.hpp"
#include "host/core/undo_recorder.hpp"
#include "host/ui/terminal/command_line.hpp"
#include "host/ui/terminal/panel_view.hpp"
#include "host/ui/terminal/view.hpp"
#include "host/ui/terminal_ui.hpp"

namespace host::app {

class FileManager : public tui::View {
 public:
  // All must outlive the screen. first_lines, when given, is the sink the
  // host reports matches to: F4 on a search result opens the editor at the
  // file's first matched line.
  FileManager(Host& host, TerminalUi& ui, const FirstMatchedLines* first_lines = nullptr);
  // Each module command then becomes a run of `recorder` (which must
  // outlive the screen), so --undo can take back what it changed.
  void RecordRunsFor(UndoRecorder* recorder) { undo_ = recorder; }

  void Layout(int screen_width, int screen_height) override;
  void Render(tui::CellGrid& grid) const override;
  tui::Reaction HandleKey(const tui::Key& key) override;
  tui::Reaction Tick() override;
  std::string help_topic() const override { return "Contents"; }

 private:
  enum Side { kLeft, kRight };

  Panel& PanelAt(Side side) const;
  bool IsActive(Side side) const { return (side == kLeft) == active_is_left_; }
  tui::Rect PanelRect(Side side) const;
  // Lets a module panel handle the key; true when it did.
  bool PassToModulePanel(const tui::Key& key);
  bool MoveCursor(const tui::Key& key);
  void ToggleSelection();
  void EnterItem();
  // Runs the command line's command; one that ends in a warning stays on
  // the line to be corrected.
  void RunCommandLine();
  void ShowCommandHistory();
  void Execute(const std::string& oem_line);
  void ChangeFolder(const std::string& oem_folder);
  void RunShell(const std::string& oem_command);
  void ShowPluginsMenu();
  // Opens the module as one recorded run; `command` is what --history shows.
  void OpenModule(int open_from, intptr_t item, const std::string& command);
  // The module's file commands work on a folder: one started over a
  // results panel runs on the folder the panel was opened from, which the
  // panel gives way to.
  void LeaveResultsPanel();
  void EditCurrentItem();
  // Puts the editor's cursor on the line the file first matched on, when
  // the item is a search result of the panel.
  void GoToFirstMatch(const Panel& panel, const std::string& module_path);
  void Warn(const std::string& oem_title, const std::string& oem_line);
  // A file panel whose folder went away shows the nearest folder above it
  // that still exists; true when the panel changed.
  bool KeepFolderAlive(Panel& panel);
  // Scrolls both panels to their cursors and reads the module panels' looks.
  void Sync();

  Host& host_;
  TerminalUi& ui_;
  const FirstMatchedLines* first_lines_;
  tui::CommandLine command_line_;
  tui::PanelView views_[2];
  ModulePanelLook looks_[2];
  bool active_is_left_ = true;
  int width_ = 0, height_ = 0;
  std::string prefix_;  // the module's command-line prefix
  UndoRecorder* undo_ = nullptr;
};

}  // namespace host::app
