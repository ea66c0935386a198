// Escape sequence decoding.
#include "host/ui/terminal/key_decoder.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

namespace host::tui {

namespace {

constexpr wchar_t kEsc = 0x1B;

struct Decoded {
  Key key;
  size_t used = 0;  // 0: the sequence is not complete yet
};

Key SingleUnit(wchar_t unit) {
  switch (unit) {
    case L'\r':
    case L'\n': return Key::Of(KeyCode::kEnter);
    case L'\t': return Key::Of(KeyCode::kTab);
    case 0x08:
    case 0x7F: return Key::Of(KeyCode::kBackspace);
    case kEsc: return Key::Of(KeyCode::kEsc);
    default: break;
  }
  if (unit >= 0x01 && unit <= 0x1A) return Key::Ctrl(static_cast<wchar_t>(L'a' + unit - 1));
  if (unit < 0x20 || (unit >= 0x80 && unit < 0xA0)) return Key{};
  return Key::Char(unit);
}

// xterm's modifier parameter: 1 + (Shift 1, Alt 2, Ctrl 4).
Key WithModifier(Key key, int parameter) {
  int bits = parameter > 1 ? parameter - 1 : 0;
  key.shift = key.shift || (bits & 1);
  key.alt = key.alt || (bits & 2);
  key.ctrl = key.ctrl || (bits & 4);
  return key;
}

KeyCode LetterKey(wchar_t final) {
  switch (final) {
    case L'A': return KeyCode::kUp;
    case L'B': return KeyCode::kDown;
    case L'C': return KeyCode::kRight;
    case L'D': return KeyCode::kLeft;
    case L'H': return KeyCode::kHome;
    case L'F': return KeyCode::kEnd;
    case L'P': return KeyCode::kF1;
    case L'Q': return KeyCode::kF2;
    case L'R': return KeyCode::kF3;
    case L'S': return KeyCode::kF4;
    case L'M': return KeyCode::kEnter;  // keypad Enter in application mode
    default: return KeyCode::kNone;
  }
}

KeyCode TildeKey(int number) {
  switch (number) {
    case 1: case 7: return KeyCode::kHome;
    case 2: return KeyCode::kInsert;
    case 3: return KeyCode::kDelete;
    case 4: case 8: return KeyCode::kEnd;
    case 5: return KeyCode::kPageUp;
    case 6: return KeyCode::kPageDown;
    case 11: case 12: case 13: case 14: case 15:
      return FunctionKey(number - 10);
    case 17: case 18: case 19: case 20: case 21:
      return FunctionKey(number - 11);
    case 23: case 24:
      return FunctionKey(number - 12);
    default: return KeyCode::kNone;
  }
}

// "Esc [" and what follows it, from in[2]; nothing when incomplete.
Decoded ControlSequence(std::wstring_view in) {
  if (in.size() >= 3 && in[2] == L'[') {  // the Linux console's F1..F5: Esc [ [ A..E
    if (in.size() < 4) return {};
    bool known = in[3] >= L'A' && in[3] <= L'E';
    return {known ? Key::Of(FunctionKey(in[3] - L'A' + 1)) : Key{}, 4};
  }
  std::vector<int> parameters{0};
  bool private_marker = false;
  for (size_t i = 2; i < in.size(); ++i) {
    wchar_t c = in[i];
    if (c >= L'0' && c <= L'9') {
      parameters.back() = std::min(parameters.back() * 10 + (c - L'0'), 9999);
    } else if (c == L';') {
      parameters.push_back(0);
    } else if (c == L'<' || c == L'=' || c == L'>' || c == L'?') {
      private_marker = true;
    } else if (c >= 0x40 && c <= 0x7E) {
      Decoded result{Key{}, i + 1};
      if (private_marker) return result;
      int modifier = parameters.size() > 1 ? parameters[1] : 0;
      if (c == L'~') {
        result.key = WithModifier(Key::Of(TildeKey(parameters[0])), modifier);
      } else if (c == L'Z') {
        result.key = Key::Of(KeyCode::kTab).WithShift();
      } else if (KeyCode code = LetterKey(c); code != KeyCode::kNone) {
        result.key = WithModifier(Key::Of(code), modifier);
      }
      if (result.key.code == KeyCode::kNone) result.key = Key{};
      return result;
    } else {
      return {Key{}, i + 1};  // not a sequence after all: drop what was read
    }
  }
  return {};
}

// "Esc O" and the letter after it, with an optional modifier digit.
Decoded ShiftedSequence(std::wstring_view in) {
  size_t at = 2;
  int modifier = 0;
  if (in.size() > at && in[at] >= L'1' && in[at] <= L'9') modifier = in[at++] - L'0';
  if (in.size() <= at) return {};
  KeyCode code = LetterKey(in[at]);
  return {code == KeyCode::kNone ? Key{} : WithModifier(Key::Of(code), modifier), at + 1};
}

Decoded Decode(std::wstring_view in, bool quiet) {
  if (in[0] != kEsc) return {SingleUnit(in[0]), 1};
  if (in.size() == 1) return quiet ? Decoded{Key::Of(KeyCode::kEsc), 1} : Decoded{};

  Decoded sequence;
  if (in[1] == L'[') {
    sequence = ControlSequence(in);
  } else if (in[1] == L'O') {
    sequence = ShiftedSequence(in);
  } else if (in[1] == kEsc) {
    // Some terminals send Alt with a special key as Esc and its sequence.
    if (in.size() >= 3 && (in[2] == L'[' || in[2] == L'O')) {
      Decoded inner = Decode(in.substr(1), quiet);
      if (inner.used) return {inner.key.WithAlt(), inner.used + 1};
      if (!quiet) return {};
    }
    if (in.size() == 2 && !quiet) return {};
    return {Key::Of(KeyCode::kEsc), 1};
  } else {
    Key key = SingleUnit(in[1]);
    return {key.code == KeyCode::kNone ? key : key.WithAlt(), 2};
  }
  if (sequence.used || !quiet) return sequence;
  // Cut short by a pause: "Esc [" or "Esc O" alone was Alt with that
  // character; anything longer is dropped.
  if (in.size() == 2) return {Key::Alt(in[1]), 2};
  return {Key{}, in.size()};
}

}  // namespace

std::optional<Key> KeyDecoder::Take(bool quiet) {
  if (buffer_.empty()) return std::nullopt;
  Decoded decoded = Decode(buffer_, quiet);
  if (!decoded.used) return std::nullopt;
  buffer_.erase(0, decoded.used);
  return decoded.key;
}

}  // namespace host::tui
