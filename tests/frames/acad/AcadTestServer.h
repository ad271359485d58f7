// The stand-in for AutoCAD's automation server: its class id (registered as
// "AutoCAD.Application" in the test prefix) and its command line.
//   AcadTestServer.exe <record file> <ready event> <quit event> <document name> [options]
// options: --fail-zoom (SendCommand "_zoom..." raises an automation error), --no-document
// (ActiveDocument fails), --fail-command=N (the Nth SendCommand fails).
// Each SendCommand is appended to the record file as one line, its newlines written as "\n".
#pragma once

#include <windows.h>

// {6F1C3A52-8E0B-4B5E-9D21-0A7C5E3B2F11}
const CLSID kAcadTestServerClsid = {0x6f1c3a52, 0x8e0b, 0x4b5e, {0x9d, 0x21, 0x0a, 0x7c, 0x5e, 0x3b, 0x2f, 0x11}};
const char kAcadTestServerClsidText[] = "{6F1C3A52-8E0B-4B5E-9D21-0A7C5E3B2F11}";
