// The editor screen: the host's editor buffer drawn full-screen with its
// status line and key bar, the editing keys, and the editor's commands:
// F2 saves, F8 cycles the character table, F11 calls the module from the
// editor, Esc or F10 closes (asking first when the text was changed).
#pragma once

#include <string>

#include "host/core/host.hpp"
#include "host/app/editor_keys.hpp"
#include "host/ui/terminal/view.hpp"
#include "host/ui/terminal_ui.hpp"

namespace host::app {

class EditorScreen : public tui::View {
 public:
  // The host's editor must be open, and stays so while the screen lives.
  EditorScreen(Host& host, TerminalUi& ui);

  void Layout(int screen_width, int screen_height) override;
  void Render(tui::CellGrid& grid) const override;
  tui::Reaction HandleKey(const tui::Key& key) override;
  tui::Reaction Tick() override;
  std::string help_topic() const override { return "Editor"; }

 private:
  bool Save();
  void NextCharTable();
  // True when the editor may close: nothing changed, or the person chose
  // to save (and it worked) or to drop the changes.
  bool ConfirmClose();

  Host& host_;
  TerminalUi& ui_;
  EditorBuffer& buffer_;
  tui::EditorKeys keys_;
  bool clock_;  // the host's ViewerEditorClock setting
};

// Whether HKEY_CURRENT_USER\Software\Far\Screen has ViewerEditorClock set.
bool EditorClockWanted();

}  // namespace host::app
