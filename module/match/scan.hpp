// Plain-text scans with an optional byte translation (such as the OEM
// upper-case table). The table is applied to text bytes only: a caller that
// passes one passes a needle already mapped through it. Neither scan
// allocates. Both return an offset from the start of the text, or -1.
#pragma once

#include <cstddef>
#include <cstdint>

// First occurrence; an empty needle is found at 0.
long long FindForward(const char* text, size_t text_length, const char* needle,
                      size_t needle_length, const uint8_t* table);

// Last occurrence; an empty needle is found at text_length.
long long FindBackward(const char* text, size_t text_length, const char* needle,
                       size_t needle_length, const uint8_t* table);
