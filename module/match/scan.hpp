// Plain-text scans with an optional byte translation (such as the OEM
// upper-case table). The table is applied to text bytes only: a caller that
// passes one passes a needle already mapped through it. Neither scan
// allocates. Both return an offset from the start of the text, or -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "module/match/vector_scan.hpp"

// The needle as a scan with `table` takes it: mapped through the table,
// or as it is without one.
std::string MappedNeedle(std::string needle, const uint8_t* table);

// First occurrence; an empty needle is found at 0.
long long FindForward(const char* text, size_t text_length, const char* needle,
                      size_t needle_length, const uint8_t* table);

// FindForward with the vector pre-filter of the given level (kNone: scalar
// only; never one above BestVectorLevel), so that every level can be
// compared with the others.
long long FindForwardAtLevel(const char* text, size_t text_length, const char* needle,
                             size_t needle_length, const uint8_t* table, VectorLevel level);

// Last occurrence; an empty needle is found at text_length.
long long FindBackward(const char* text, size_t text_length, const char* needle,
                       size_t needle_length, const uint8_t* table);
