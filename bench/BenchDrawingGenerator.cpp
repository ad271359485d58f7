#include "BenchDrawingGenerator.h"

#include <cstdio>
#include <string>

namespace bench {

namespace {

void Tables(std::string& s)
{
    s += "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$DWGCODEPAGE\n  3\nANSI_1252\n"
         "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n5\n";
    static const char* const layers[] = {"0", "Walls", "Doors", "Windows", "Furniture"};
    int colour = 7;
    for (const char* layer : layers) {
        char record[200];
        std::snprintf(record, sizeof record,
                      "  0\nLAYER\n  5\n%X\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n"
                      "  2\n%s\n 70\n0\n 62\n%d\n  6\nContinuous\n",
                      0x10 + colour, layer, colour);
        s += record;
        colour = colour % 6 + 1;
    }
    s += "  0\nENDTAB\n  0\nENDSEC\n";
}

} // namespace

bool WriteBenchDrawing(const std::string& path, int lines, int polylines)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::string s;
    s.reserve(1 << 20);
    Tables(s);
    s += "  0\nSECTION\n  2\nENTITIES\n";
    static const char* const layers[] = {"Walls", "Doors", "Windows", "Furniture"};
    unsigned handle = 0x100;
    char record[512];
    for (int i = 0; i < lines; ++i) {
        const double x = (i % 1000) * 10.0, y = (i / 1000) * 10.0;
        std::snprintf(record, sizeof record,
                      "  0\nLINE\n  5\n%X\n330\n1F\n100\nAcDbEntity\n  8\n%s\n100\nAcDbLine\n"
                      " 10\n%.10f\n 20\n%.10f\n 30\n0.0\n 11\n%.10f\n 21\n%.10f\n 31\n0.0\n",
                      handle++, layers[i % 4], x, y, x + 7.5, y + 3.25);
        s += record;
        if (s.size() > (1u << 20)) {
            std::fwrite(s.data(), 1, s.size(), f);
            s.clear();
        }
    }
    for (int i = 0; i < polylines; ++i) {
        const double x = (i % 200) * 50.0, y = (i / 200) * 50.0 + 20000.0;
        std::snprintf(record, sizeof record,
                      "  0\nLWPOLYLINE\n  5\n%X\n330\n1F\n100\nAcDbEntity\n  8\n%s\n100\nAcDbPolyline\n"
                      " 90\n12\n 70\n1\n 43\n0.0\n",
                      handle++, layers[i % 4]);
        s += record;
        for (int k = 0; k < 12; ++k) {
            std::snprintf(record, sizeof record, " 10\n%.10f\n 20\n%.10f\n", x + (k % 6) * 6.25,
                          y + (k / 6) * 17.25 + k * 0.5);
            s += record;
        }
        if (s.size() > (1u << 20)) {
            std::fwrite(s.data(), 1, s.size(), f);
            s.clear();
        }
    }
    s += "  0\nENDSEC\n  0\nEOF\n";
    const bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace bench
