#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YStream;

// Binary data stored as text (in XML item texts): either plain hexadecimal, two
// upper-case digits per byte with the high nibble first, or compressed, that is
// deflated at level 9 (zlib format) and then written as the same hexadecimal text.
namespace YBinaryText {

// The whole content of source, sought to its start first.
YString FromStream(YStream& source, bool compressed);
YString FromBytes(const void* bytes, uint32_t size, bool compressed);

// Plain: the first min(size, half the text's length) bytes; returns their count.
// Compressed: exactly size bytes, else raises "Value doesn't have correct format.".
// A character other than a hexadecimal digit raises "Invalid character to be
// converted to a number."; corrupt compressed data raises the zlib stream's errors.
uint32_t ToBytes(const YString& text, void* bytes, uint32_t size, bool compressed);
// Every byte the text holds, written to target.
void ToStream(const YString& text, YStream& target, bool compressed);

}  // namespace YBinaryText
