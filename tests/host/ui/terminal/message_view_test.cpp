// Message boxes: buttons, separators, long lines and warnings.
#include "host/ui/terminal/message_view.hpp"

#include <gtest/gtest.h>

namespace {

using host::MessageBox;
using host::tui::Key;
using host::tui::KeyCode;
using host::tui::MessageView;
using host::tui::Reaction;

MessageBox Question() {
  return MessageBox{.help_topic = "FRAskReplace",
                    .title = "Replace",
                    .lines = {"Replace", "foo", "\x01", "with", "bar"},
                    .buttons = {"Replace", "&All", "Skip", "Cancel"}};
}

TEST(MessageView, ArrowsAndTabMoveAlongTheButtonsAndWrap) {
  MessageView view(Question());
  view.Layout(80, 25);
  view.HandleKey(Key::Of(KeyCode::kRight));
  view.HandleKey(Key::Of(KeyCode::kTab));
  EXPECT_EQ(view.focus(), 2);
  view.HandleKey(Key::Of(KeyCode::kLeft));
  view.HandleKey(Key::Of(KeyCode::kLeft));
  view.HandleKey(Key::Of(KeyCode::kLeft));
  EXPECT_EQ(view.focus(), 3);
  EXPECT_EQ(view.HandleKey(Key::Of(KeyCode::kEnter)), Reaction::kClose);
  EXPECT_EQ(view.result(), 3);
}

TEST(MessageView, EscIsMinusOneAndAHotkeyChoosesItsButton) {
  MessageView cancelled(Question());
  cancelled.Layout(80, 25);
  EXPECT_EQ(cancelled.HandleKey(Key::Of(KeyCode::kEsc)), Reaction::kClose);
  EXPECT_EQ(cancelled.result(), -1);

  MessageView all(Question());
  all.Layout(80, 25);
  EXPECT_EQ(all.HandleKey(Key::Char(L'a')), Reaction::kClose);
  EXPECT_EQ(all.result(), 1);
}

TEST(MessageView, LinesAreCentredAndTheSeparatorLineJoinsTheFrame) {
  MessageView view(Question());
  view.Layout(80, 25);
  host::tui::CellGrid grid(80, 25);
  view.Render(grid);
  const host::tui::Rect& frame = view.frame();
  EXPECT_NE(grid.Row(frame.y).find(L" Replace "), std::wstring::npos);
  EXPECT_NE(grid.Row(frame.y + 2).find(L"foo"), std::wstring::npos);
  EXPECT_EQ(grid.at(frame.x, frame.y + 3).ch, L'╟');
  EXPECT_EQ(grid.at(frame.right(), frame.y + 3).ch, L'╢');
  EXPECT_NE(grid.Row(frame.y + 6).find(L"[ Replace ] [ All ] [ Skip ] [ Cancel ]"),
            std::wstring::npos);
}

TEST(MessageView, WarningsUseTheWarningColours) {
  MessageBox box = Question();
  box.flags = FMSG_WARNING;
  MessageView view(box);
  view.Layout(80, 25);
  host::tui::CellGrid grid(80, 25);
  view.Render(grid);
  EXPECT_EQ(grid.at(view.frame().x, view.frame().y).role, host::tui::Role::kWarning);
}

TEST(MessageView, ALongPathWrapsInsideTheScreen) {
  std::string path = "C:\\" + std::string(150, 'p') + "\\file.txt";
  MessageView view(MessageBox{.title = "Finderix", .lines = {"Cannot read", path},
                              .buttons = {"OK"}});
  view.Layout(60, 20);
  host::tui::CellGrid grid(60, 20);
  view.Render(grid);
  EXPECT_GE(view.frame().x, 0);
  EXPECT_LE(view.frame().right(), 59);
  std::wstring shown;
  for (int y = view.frame().y; y <= view.frame().bottom(); ++y) shown += grid.Row(y);
  EXPECT_NE(shown.find(L"file.txt"), std::wstring::npos);
}

TEST(MessageView, WrapBreaksAtBlanksWhereItCan) {
  EXPECT_EQ(host::tui::WrapLine(L"one two three", 8),
            (std::vector<std::wstring>{L"one two", L"three"}));
  EXPECT_EQ(host::tui::WrapLine(L"abcdefghij", 4),
            (std::vector<std::wstring>{L"abcd", L"efgh", L"ij"}));
}

}  // namespace
