// UTF-8 inside the program, UTF-16 at the window system's wide calls.
#pragma once

#include <string>

namespace win32_text {

// The UTF-16 form of a UTF-8 string; null counts as empty. Bytes that are not
// UTF-8 become U+FFFD, so no text is ever dropped whole.
std::wstring Wide(const char* utf8);

}  // namespace win32_text
