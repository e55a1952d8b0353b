// Text files are written in UTF-8. Files from the Windows era are in
// Shift-JIS (code page 932), and an editor may have re-saved one as UTF-16
// or mixed a line of another encoding into it; reading takes each line on
// its own, so one stray byte spoils no more than its line.
#pragma once

#include <string>
#include <string_view>

namespace vortexa {

bool IsValidUtf8(std::string_view bytes);

// The bytes of a text file as text for the readers:
// - UTF-16 (little or big endian) is recognised by its byte order mark and
//   converted to UTF-8 whole;
// - otherwise each line that is valid UTF-8 stays as it is (a UTF-8 byte
//   order mark is dropped), a line that is not is decoded as code page 932,
//   and a line that is valid in neither is kept byte for byte, so that
//   writing it back changes nothing.
// Throws std::runtime_error for a file that cannot be taken whole as text
// (broken UTF-16, or NUL characters as in UTF-16 without its mark), so that
// its reader does not take a part of it for all of it.
std::string DecodeTextFile(std::string_view bytes);

}  // namespace vortexa
