// The C runtime pieces the module asks for by name: its locale call, wide
// case mapping and classification, and a case-insensitive byte compare.
// Wide calls run on a private C.UTF-8 locale object, never on the process's
// global locale, which nobody changes; the module's locale call only records
// the ANSI code page it names.
#pragma once

#include <cstddef>
#include <cwctype>

namespace crt {

// Accepts ".<codepage>" (the module's ".1251") and "C"; returns the name now
// in force, or nullptr for a name it does not know. Never touches the
// process-global locale.
const char* setlocale(int category, const char* name);

wint_t towupper(wint_t c);
wint_t towlower(wint_t c);
int iswalnum(wint_t c);
int iswalpha(wint_t c);
int iswupper(wint_t c);
int iswlower(wint_t c);

// Compares n bytes, folding ASCII letters only (the module folds OEM
// letters through its own upper-case table).
int memicmp(const void* a, const void* b, size_t n);

}  // namespace crt
