// A real PostScript printer in the test prefix: a minimal PPD, the Wine PostScript driver and a
// printer on port FILE:, made once and kept. Jobs given an output file write PostScript there.
#pragma once

#include <windows.h>

#include <string>

namespace orvo::test {

extern const char kTestPrinterName[];

// Installs the printer when it is missing; false (with the reason) when the prefix refuses.
bool EnsureTestPrinter(std::string& why);
// A device context of the test printer; the caller deletes it.
HDC CreateTestPrinterDC();

} // namespace orvo::test
