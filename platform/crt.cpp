// The C runtime calls the module asks for by name. Wide case mapping and
// classification run on one private C.UTF-8 locale object, created on first
// use, so the process-global locale never matters; the module's setlocale
// only records which ANSI code page it asked for.
#include "platform/crt.hpp"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// Owns the locale object the wide calls run on, for the life of the process.
class Utf8Locale {
 public:
  Utf8Locale() : locale_(newlocale(LC_ALL_MASK, "C.UTF-8", nullptr)) {
    // Every glibc since 2.35 has C.UTF-8 built in; an older one without it
    // still gets a usable (ASCII-only) locale rather than a null one.
    if (!locale_) locale_ = newlocale(LC_ALL_MASK, "C", nullptr);
  }
  ~Utf8Locale() {
    if (locale_) freelocale(locale_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

  locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

locale_t WideLocale() {
  static const Utf8Locale locale;
  return locale.get();
}

bool IsLocaleCategory(int category) {
  switch (category) {
    case LC_ALL:
    case LC_COLLATE:
    case LC_CTYPE:
    case LC_MONETARY:
    case LC_NUMERIC:
    case LC_TIME: return true;
    default: return false;
  }
}

// ".<code page>" with a code page of 1 to 5 digits.
bool IsCodePageName(const char* name) {
  if (name[0] != '.') return false;
  const size_t digits = std::strlen(name + 1);
  return digits >= 1 && digits <= 5 && std::strspn(name + 1, "0123456789") == digits;
}

int FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

}  // namespace

namespace crt {

const char* setlocale(int category, const char* name) {
  static std::mutex mutex;
  static char current[8] = "C";  // fits ".65535"
  std::lock_guard<std::mutex> lock(mutex);
  if (!IsLocaleCategory(category)) return nullptr;
  if (!name) return current;
  if (std::strcmp(name, "C") != 0 && !IsCodePageName(name)) return nullptr;
  std::strcpy(current, name);
  return current;
}

wint_t towupper(wint_t c) { return towupper_l(c, WideLocale()); }
wint_t towlower(wint_t c) { return towlower_l(c, WideLocale()); }
int iswalnum(wint_t c) { return iswalnum_l(c, WideLocale()); }
int iswalpha(wint_t c) { return iswalpha_l(c, WideLocale()); }
int iswupper(wint_t c) { return iswupper_l(c, WideLocale()); }
int iswlower(wint_t c) { return iswlower_l(c, WideLocale()); }

int memicmp(const void* a, const void* b, size_t n) {
  const auto* left = static_cast<const unsigned char*>(a);
  const auto* right = static_cast<const unsigned char*>(b);
  for (size_t i = 0; i < n; ++i) {
    const int diff = FoldAscii(left[i]) - FoldAscii(right[i]);
    if (diff) return diff;
  }
  return 0;
}

}  // namespace crt
