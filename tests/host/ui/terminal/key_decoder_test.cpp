// Terminal input sequences to keys.
#include "host/ui/terminal/key_decoder.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using host::tui::Key;
using host::tui::KeyCode;
using host::tui::KeyDecoder;

std::vector<Key> DecodeAll(const std::wstring& input, bool pause_at_end) {
  KeyDecoder decoder;
  std::vector<Key> keys;
  for (wchar_t unit : input) {
    decoder.Feed(unit);
    while (std::optional<Key> key = decoder.Next()) keys.push_back(*key);
  }
  while (pause_at_end && decoder.pending()) {
    if (std::optional<Key> key = decoder.NextAfterPause()) keys.push_back(*key);
  }
  return keys;
}

struct Row {
  const wchar_t* input;
  Key expected;
};

// --- One sequence, one key ---

TEST(KeyDecoder, KnownSequencesOfTheCommonTerminals) {
  const Row rows[] = {
      {L"\x1b[A", Key::Of(KeyCode::kUp)},
      {L"\x1bOB", Key::Of(KeyCode::kDown)},
      {L"\x1b[1;2A", Key::Of(KeyCode::kUp).WithShift()},
      {L"\x1b[1;4D", Key::Of(KeyCode::kLeft).WithShift().WithAlt()},
      {L"\x1b[1;5H", Key::Of(KeyCode::kHome).WithCtrl()},
      {L"\x1b[1~", Key::Of(KeyCode::kHome)},
      {L"\x1b[4~", Key::Of(KeyCode::kEnd)},
      {L"\x1b[7~", Key::Of(KeyCode::kHome)},
      {L"\x1b[F", Key::Of(KeyCode::kEnd)},
      {L"\x1b[2~", Key::Of(KeyCode::kInsert)},
      {L"\x1b[3~", Key::Of(KeyCode::kDelete)},
      {L"\x1b[5~", Key::Of(KeyCode::kPageUp)},
      {L"\x1b[6;2~", Key::Of(KeyCode::kPageDown).WithShift()},
      {L"\x1bOP", Key::Of(KeyCode::kF1)},
      {L"\x1b[[E", Key::Of(KeyCode::kF5)},
      {L"\x1b[15~", Key::Of(KeyCode::kF5)},
      {L"\x1b[18~", Key::Of(KeyCode::kF7)},
      {L"\x1b[21~", Key::Of(KeyCode::kF10)},
      {L"\x1b[23~", Key::Of(KeyCode::kF11)},
      {L"\x1b[24~", Key::Of(KeyCode::kF12)},
      {L"\x1b[Z", Key::Of(KeyCode::kTab).WithShift()},
      {L"\x1b\x1b[B", Key::Of(KeyCode::kDown).WithAlt()},
      {L"\x1bx", Key::Alt(L'x')},
      {L"\r", Key::Of(KeyCode::kEnter)},
      {L"\x7f", Key::Of(KeyCode::kBackspace)},
      {L"\t", Key::Of(KeyCode::kTab)},
      {L"\x12", Key::Ctrl(L'r')},
      {L"\x03", Key::Ctrl(L'c')},
      {L"\x0444", Key::Char(L'\x0444')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.input)));
    std::vector<Key> keys = DecodeAll(row.input, false);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], row.expected);
  }
}

// --- Esc and sequences cut short ---

TEST(KeyDecoder, LoneEscWaitsForThePause) {
  KeyDecoder decoder;
  decoder.Feed(0x1b);
  EXPECT_FALSE(decoder.Next());
  EXPECT_EQ(decoder.NextAfterPause(), Key::Of(KeyCode::kEsc));
  EXPECT_FALSE(decoder.pending());
}

TEST(KeyDecoder, SequenceSplitAcrossReadsStillDecodes) {
  KeyDecoder decoder;
  for (wchar_t unit : std::wstring(L"\x1b[2")) decoder.Feed(unit);
  EXPECT_FALSE(decoder.Next());
  for (wchar_t unit : std::wstring(L"3~")) decoder.Feed(unit);
  EXPECT_EQ(decoder.Next(), Key::Of(KeyCode::kF11));
}

TEST(KeyDecoder, UnknownSequencesAreDroppedAndTheRestStillDecodes) {
  std::vector<Key> keys = DecodeAll(L"\x1b[99~a\x1b[?1;2cb\x1b[<0;1;2Mc", true);
  std::vector<Key> typed;
  for (const Key& key : keys) {
    if (key.code != KeyCode::kNone) typed.push_back(key);
  }
  EXPECT_EQ(typed, (std::vector<Key>{Key::Char(L'a'), Key::Char(L'b'), Key::Char(L'c')}));
}

TEST(KeyDecoder, TwoEscapesAreTwoEscKeys) {
  EXPECT_EQ(DecodeAll(L"\x1b\x1b", true),
            (std::vector<Key>{Key::Of(KeyCode::kEsc), Key::Of(KeyCode::kEsc)}));
}

TEST(KeyDecoder, PastedTextArrivesCharacterByCharacter) {
  std::wstring paste(10000, L'x');
  EXPECT_EQ(DecodeAll(paste, false).size(), 10000u);
}

}  // namespace
