// libFuzzer target of the text formatting readers: the input as an SHX shape font (each glyph
// looked up) and as the contents of a multiline text (its paragraphs and pieces).
#include "engine/draw/MTextFormat.h"
#include "engine/draw/ShxFont.h"
#include "tests/engine/portable/ShxBuilder.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    if (!folder)
        return 0;
    const orvo::portable::ShxBuilder font = orvo::portable::TestFont();
    const std::string regular = font.Regular(), unifont = font.Unifont();
    const std::string mtext = "{\\fArial|b1|i1;\\C1;\\H2x;a}\\P\\pxi-1,l2,qc;\\S1/2;\\L\\W0.8;\\T1.5;\\Q15;x\\~y";
    std::ofstream(std::string(folder) + "/regular.shx", std::ios::binary).write(regular.data(), static_cast<std::streamsize>(regular.size()));
    std::ofstream(std::string(folder) + "/unifont.shx", std::ios::binary).write(unifont.data(), static_cast<std::streamsize>(unifont.size()));
    std::ofstream(std::string(folder) + "/mtext.txt", std::ios::binary).write(mtext.data(), static_cast<std::streamsize>(mtext.size()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (const auto font = RkDraw::ShxFont::Parse(input)) {
        double sum = 0.0;
        for (std::uint32_t cp = 0; cp < 512; ++cp) {
            if (const RkDraw::ShxFont::Glyph* g = font->Find(cp))
                sum += g->advance.x + static_cast<double>(g->strokes.size());
        }
        (void)sum;
    }
    RkDraw::MTextLook base;
    base.height = 2.5;
    std::size_t pieces = 0;
    for (const RkDraw::MTextParagraph& p : RkDraw::MTextFormat::Parse(input, base))
        pieces += p.pieces.size();
    if (pieces > RkDraw::MTextFormat::kMaxPieces)
        std::abort();
    return 0;
}
