// The forms a key takes on its way to the module.
#include "host/ui/terminal/key.hpp"

#include <gtest/gtest.h>

#include "sdk/plugin.hpp"

namespace {

using host::tui::Key;
using host::tui::KeyCode;

TEST(Key, PanelKeyCodesAreTheOnesTheResultsPanelReads) {
  EXPECT_EQ(host::tui::PanelKeyOf(Key::Of(KeyCode::kF7)), 0x176);
  EXPECT_EQ(host::tui::PanelKeyOf(Key::Of(KeyCode::kBackspace)), 8);
  EXPECT_EQ(host::tui::PanelKeyOf(Key::Of(KeyCode::kEnter)), 13);
  EXPECT_EQ(host::tui::PanelKeyOf(Key::Char(L'\x0410')), 0x80);  // Cyrillic A in code page 866
  EXPECT_EQ(host::tui::PanelKeyOf(Key{}), 0);
  EXPECT_EQ(host::tui::ControlStateOf(Key::Of(KeyCode::kF7).WithCtrl()), PKF_CONTROL);
  EXPECT_EQ(host::tui::ControlStateOf(Key::Of(KeyCode::kF7).WithShift().WithAlt()),
            PKF_SHIFT | PKF_ALT);
}

TEST(Key, BreakKeysAreVirtualKeysWithModifierBits) {
  EXPECT_EQ(host::tui::BreakKeyOf(Key::Of(KeyCode::kInsert)), VK_INSERT);
  EXPECT_EQ(host::tui::BreakKeyOf(Key::Of(KeyCode::kDelete)), VK_DELETE);
  EXPECT_EQ(host::tui::BreakKeyOf(Key::Of(KeyCode::kF4)), VK_F4);
  EXPECT_EQ(host::tui::BreakKeyOf(Key::Of(KeyCode::kF4).WithShift()), VK_F4 | 0x400);
  EXPECT_EQ(host::tui::BreakKeyOf(Key::Char(L'a')), 'A');
}

TEST(Key, ConsoleRecordOfEscIsWhatTheEscPollLooksFor) {
  INPUT_RECORD record = host::tui::InputRecordOf(Key::Of(KeyCode::kEsc));
  EXPECT_EQ(record.EventType, KEY_EVENT);
  EXPECT_TRUE(record.Event.KeyEvent.bKeyDown);
  EXPECT_EQ(record.Event.KeyEvent.wVirtualKeyCode, VK_ESCAPE);
  INPUT_RECORD letter = host::tui::InputRecordOf(Key::Char(L'q').WithCtrl());
  EXPECT_EQ(letter.Event.KeyEvent.wVirtualKeyCode, 'Q');
  EXPECT_EQ(letter.Event.KeyEvent.uChar.AsciiChar, 0x11);
  EXPECT_TRUE(letter.Event.KeyEvent.dwControlKeyState & LEFT_CTRL_PRESSED);
}

}  // namespace
