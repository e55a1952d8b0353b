// Text files are written in UTF-8; files from the Windows era are in
// Shift-JIS (code page 932) and are recognised by not being valid UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vortexa {

bool IsValidUtf8(std::string_view bytes);

// The bytes of a text file as UTF-8: UTF-8 as it is (without a byte order
// mark), anything else decoded as code page 932, with U+FFFD for bytes that
// are not valid there either.
std::string DecodeTextFile(std::string_view bytes);

}  // namespace vortexa
