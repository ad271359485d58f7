// Text for the wide (UTF-16) system calls from the program's narrow strings, which hold either
// the ANSI code page or UTF-8 (names read from drawings: layouts, layers, blocks, properties).
#pragma once

#include <string>

namespace orvo {

// The text as UTF-8 when its bytes are valid UTF-8 (plain ASCII is both), else in the ANSI code
// page. length -1: up to the terminating zero.
std::wstring WideText(const char* text, int length = -1);

} // namespace orvo
