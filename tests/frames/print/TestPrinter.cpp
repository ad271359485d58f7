#include "tests/frames/print/TestPrinter.h"

#include "tests/support/TestSupport.h"

#include <winspool.h>

#include <cstring>

namespace orvo::test {

const char kTestPrinterName[] = "Orvo Test Printer";

namespace {

const char kDriverName[] = "Orvo Test PostScript";
const char kPpdName[] = "orvotest.ppd";

const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*FormatVersion: \"4.3\"\n"
    "*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*PCFileName: \"ORVOTEST.PPD\"\n"
    "*Manufacturer: \"Orvo\"\n"
    "*Product: \"(Orvo Test)\"\n"
    "*PSVersion: \"(3010) 0\"\n"
    "*ModelName: \"Orvo Test Printer\"\n"
    "*NickName: \"Orvo Test Printer\"\n"
    "*ColorDevice: True\n"
    "*DefaultColorSpace: RGB\n"
    "*LanguageLevel: \"3\"\n"
    "*DefaultResolution: 150dpi\n"
    "*OpenUI *PageSize: PickOne\n"
    "*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*DefaultImageableArea: A4\n"
    "*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n"
    "*PaperDimension A4/A4: \"595 842\"\n"
    "*DefaultFont: Courier\n"
    "*Font Courier: Standard \"(002.004S)\" Standard ROM\n";

bool PrinterExists()
{
    HANDLE printer = nullptr;
    if (!::OpenPrinterA(const_cast<char*>(kTestPrinterName), &printer, nullptr))
        return false;
    ::ClosePrinter(printer);
    return true;
}

} // namespace

bool EnsureTestPrinter(std::string& why)
{
    if (PrinterExists())
        return true;
    char folder[MAX_PATH] = {};
    DWORD size = 0;
    if (!::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &size)) {
        why = "no printer driver folder";
        return false;
    }
    const std::string ppd = std::string(folder) + "\\" + kPpdName;
    if (!WriteFileBytes(ppd, kPpd, std::strlen(kPpd))) {
        why = "cannot write " + ppd;
        return false;
    }
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriverName);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>(kPpdName);
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    if (!::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) &&
        ::GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        why = "AddPrinterDriverEx failed: " + std::to_string(::GetLastError());
        return false;
    }
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(kTestPrinterName);
    info.pPortName = const_cast<char*>("FILE:");
    info.pDriverName = const_cast<char*>(kDriverName);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    const HANDLE printer = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer && ::GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        why = "AddPrinter failed: " + std::to_string(::GetLastError());
        return false;
    }
    if (printer)
        ::ClosePrinter(printer);
    return true;
}

HDC CreateTestPrinterDC()
{
    return ::CreateDCA("WINSPOOL", kTestPrinterName, nullptr, nullptr);
}

} // namespace orvo::test
