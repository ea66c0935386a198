// wsprintfA and wvsprintfA: Windows' small formatter, which writes at most
// 1024 bytes including the terminator, truncates silently and never
// overflows. Integers are 32-bit as on Windows, whatever size "long" has
// here.
#include <cstring>
#include <string_view>

#include "platform/win32.hpp"

namespace {

constexpr size_t kBufferSize = 1024;

// Appends to the caller's buffer, dropping what does not fit before the
// terminator.
class BoundedWriter {
 public:
  explicit BoundedWriter(char* buffer) : buffer_(buffer) {}

  void Put(char c) {
    if (length_ < kBufferSize - 1) buffer_[length_++] = c;
  }
  void Put(std::string_view text) {
    for (char c : text) Put(c);
  }
  void Repeat(char c, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(c);
  }
  int Finish() {
    buffer_[length_] = '\0';
    return static_cast<int>(length_);
  }

 private:
  char* buffer_;
  size_t length_ = 0;  // always < kBufferSize
};

struct Spec {
  bool left_align = false;
  bool zero_pad = false;
  size_t width = 0;
  int precision = -1;  // -1: none given
  bool long_arg = false;
  bool short_arg = false;
  char type = '\0';
};

size_t ParseNumber(const char** pos) {
  size_t value = 0;
  while (**pos >= '0' && **pos <= '9') {
    // Widths beyond the buffer mean nothing; cap them rather than overflow.
    if (value < kBufferSize) value = value * 10 + static_cast<size_t>(**pos - '0');
    ++*pos;
  }
  return value;
}

// Reads "[-][0][width][.precision][l|h]type" after the '%'.
Spec ParseSpec(const char** pos) {
  Spec spec;
  for (;; ++*pos) {
    if (**pos == '-') {
      spec.left_align = true;
    } else if (**pos == '0') {
      spec.zero_pad = true;
    } else {
      break;
    }
  }
  spec.width = ParseNumber(pos);
  if (**pos == '.') {
    ++*pos;
    spec.precision = static_cast<int>(ParseNumber(pos));
  }
  if (**pos == 'l') {
    spec.long_arg = true;
    ++*pos;
  } else if (**pos == 'h') {
    spec.short_arg = true;
    ++*pos;
  }
  spec.type = **pos;
  if (spec.type) ++*pos;
  return spec;
}

uint32_t NextInteger(const Spec& spec, va_list* args) {
  // A long is read as long (the caller's type) and cut to Windows' 32 bits.
  const uint32_t value = spec.long_arg ? static_cast<uint32_t>(va_arg(*args, long))
                                       : static_cast<uint32_t>(va_arg(*args, int));
  return spec.short_arg ? static_cast<uint16_t>(value) : value;
}

// The digits of a number, without sign or padding, written backwards from `end`.
std::string_view Digits(uint32_t value, unsigned base, bool upper, char* end) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char* pos = end;
  do {
    *--pos = digits[value % base];
    value /= base;
  } while (value);
  return std::string_view(pos, static_cast<size_t>(end - pos));
}

// A field: sign, `zeros` leading zero digits, then the body, padded to the
// width.
void PutField(BoundedWriter* out, const Spec& spec, std::string_view sign, size_t zeros,
              std::string_view body) {
  const size_t length = sign.size() + zeros + body.size();
  const size_t pad = spec.width > length ? spec.width - length : 0;
  if (spec.left_align) {
    out->Put(sign);
    out->Repeat('0', zeros);
    out->Put(body);
    out->Repeat(' ', pad);
  } else if (spec.zero_pad) {
    out->Put(sign);  // "-0042": the sign goes before the zeros
    out->Repeat('0', pad + zeros);
    out->Put(body);
  } else {
    out->Repeat(' ', pad);
    out->Put(sign);
    out->Repeat('0', zeros);
    out->Put(body);
  }
}

// For an integer, the precision is the least number of digits.
void PutInteger(BoundedWriter* out, const Spec& spec, va_list* args) {
  const uint32_t raw = NextInteger(spec, args);
  const bool is_signed = spec.type == 'd' || spec.type == 'i';
  const bool negative =
      is_signed && (spec.short_arg ? static_cast<int16_t>(raw) < 0 : static_cast<int32_t>(raw) < 0);
  const uint32_t magnitude = negative ? (spec.short_arg ? 0x10000u - raw : 0u - raw) : raw;
  const unsigned base = (spec.type == 'x' || spec.type == 'X') ? 16 : 10;
  char scratch[16];
  const std::string_view digits =
      Digits(magnitude, base, spec.type == 'X', scratch + sizeof(scratch));
  const size_t precision = spec.precision > 0 ? static_cast<size_t>(spec.precision) : 0;
  const size_t zeros = precision > digits.size() ? precision - digits.size() : 0;
  PutField(out, spec, negative ? "-" : "", zeros, digits);
}

void PutString(BoundedWriter* out, const Spec& spec, va_list* args) {
  const char* text = va_arg(*args, const char*);
  if (!text) text = "(null)";
  const size_t limit = spec.precision >= 0 ? static_cast<size_t>(spec.precision) : kBufferSize;
  PutField(out, spec, "", 0, std::string_view(text, strnlen(text, limit)));
}

void PutChar(BoundedWriter* out, const Spec& spec, va_list* args) {
  const char c = static_cast<char>(va_arg(*args, int));
  PutField(out, spec, "", 0, std::string_view(&c, 1));
}

void PutConversion(BoundedWriter* out, const Spec& spec, va_list* args) {
  switch (spec.type) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X': PutInteger(out, spec, args); break;
    case 's': PutString(out, spec, args); break;
    case 'c': PutChar(out, spec, args); break;
    // "%%" and an unknown type both print the character itself.
    default: out->Put(spec.type); break;
  }
}

}  // namespace

extern "C" int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
  if (!buffer || !format) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  BoundedWriter out(buffer);
  va_list rest;
  va_copy(rest, args);
  for (const char* pos = format; *pos;) {
    if (*pos != '%') {
      out.Put(*pos++);
      continue;
    }
    ++pos;
    const Spec spec = ParseSpec(&pos);
    if (spec.type) PutConversion(&out, spec, &rest);
  }
  va_end(rest);
  return out.Finish();
}

extern "C" int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  const int length = wvsprintfA(buffer, format, args);
  va_end(args);
  return length;
}
