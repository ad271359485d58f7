#include "engine/dwg/DwgSummaryInfo.h"

#include "engine/dwg/DwgBitReader.h"

namespace orvo::dwg {

namespace {

// A drawing has a handful of custom properties; this bounds a forged count.
constexpr uint16_t kMaxProperties = 4096;

// A length (characters, with the terminating zero) and the characters: bytes in the drawing's
// code page in 2004, UTF-16 from 2007 on.
class SummaryReader
{
public:
    SummaryReader(const std::vector<uint8_t>& section, DwgVersion version, const RkDxf::DxfTextDecoder& decoder)
        : m_reader(section.data(), section.size(), version), m_wide(version >= DwgVersion::R2007),
          m_decoder(decoder)
    {
    }

    std::string Text()
    {
        const uint16_t length = m_reader.RS();
        const uint64_t bytes = static_cast<uint64_t>(length) * (m_wide ? 2 : 1);
        if (bytes > m_reader.BitsLeft() / 8) {
            m_reader.Fail();
            return std::string();
        }
        std::vector<uint16_t> units;
        std::string narrow;
        for (uint16_t i = 0; i < length; ++i) {
            if (m_wide)
                units.push_back(m_reader.RS());
            else
                narrow += static_cast<char>(m_reader.RC());
        }
        std::string text = m_wide ? Utf16ToUtf8(units.data(), units.size()) : narrow;
        const size_t end = text.find('\0');
        if (end != std::string::npos)
            text.resize(end);
        return m_decoder.Decode(text);
    }
    DwgBitReader& Raw() { return m_reader; }

private:
    DwgBitReader m_reader;
    bool m_wide;
    const RkDxf::DxfTextDecoder& m_decoder;
};

} // namespace

bool ReadSummaryInfo(const std::vector<uint8_t>& section, DwgVersion version,
                     const RkDxf::DxfTextDecoder& decoder, RkDb::SummaryInfo& summary)
{
    SummaryReader reader(section, version, decoder);
    summary.title = reader.Text();
    summary.subject = reader.Text();
    summary.author = reader.Text();
    summary.keywords = reader.Text();
    summary.comments = reader.Text();
    summary.lastSavedBy = reader.Text();
    summary.revision = reader.Text();
    summary.hyperlinkBase = reader.Text();
    DwgBitReader& raw = reader.Raw();
    const uint32_t days = raw.RL();
    const uint32_t milliseconds = raw.RL();
    summary.totalEditingDays = days + milliseconds / 86400000.0;
    raw.SkipBytes(16); // created and modified
    const uint16_t count = raw.RS();
    for (uint16_t i = 0; i < count && i < kMaxProperties && !raw.Failed(); ++i) {
        std::string name = reader.Text();
        std::string value = reader.Text();
        if (!raw.Failed())
            summary.custom.emplace_back(std::move(name), std::move(value));
    }
    return !raw.Failed();
}

} // namespace orvo::dwg
