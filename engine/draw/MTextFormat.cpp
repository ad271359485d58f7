#include "engine/draw/MTextFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace RkDraw {

namespace {

// Braces nest at most this deep; deeper ones keep the look they are in.
constexpr std::size_t kMaxDepth = 256;
constexpr double kPi = 3.14159265358979323846;

// The number a code's value starts with, or nothing when it is not a finite number.
bool Number(const std::string& value, double& out)
{
    if (value.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

// "2x" is relative to the current value, "2" absolute; the result must lie in (0, limit].
void Scaled(const std::string& value, double& current, double limit)
{
    double v = 0.0;
    if (!Number(value, v))
        return;
    const bool relative = !value.empty() && (value.back() == 'x' || value.back() == 'X');
    const double result = relative ? current * v : v;
    if (result > 0.0 && result <= limit)
        current = result;
}

// The end of a code's value: the next ';' not escaped by a backslash (or the end).
std::size_t ValueEnd(const std::string& s, std::size_t from)
{
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size())
            ++i;
        else if (s[i] == ';')
            return i;
    }
    return s.size();
}

// A stack's text with its escapes resolved ("\;" ";", "\/" "/", ...).
std::string Unescaped(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size())
            ++i;
        out += s[i];
    }
    return out;
}

class Reader
{
public:
    Reader(const std::string& s, const MTextLook& base) : m_s(s), m_base(base), m_look(base)
    {
        m_paragraphs.emplace_back();
        m_paragraphs.back().look = base;
    }

    std::vector<MTextParagraph> Read()
    {
        for (m_i = 0; m_i < m_s.size() && m_pieces < MTextFormat::kMaxPieces; ++m_i)
            Step();
        Flush();
        return std::move(m_paragraphs);
    }

private:
    void Step()
    {
        const char c = m_s[m_i];
        if (c == '{') {
            Flush();
            if (m_stack.size() < kMaxDepth)
                m_stack.push_back(m_look);
            else
                ++m_lostDepth;
        } else if (c == '}') {
            Flush();
            if (m_lostDepth > 0) {
                --m_lostDepth;
            } else if (!m_stack.empty()) {
                m_look = m_stack.back();
                m_stack.pop_back();
            }
        } else if (c == '^' && m_i + 1 < m_s.size() && (m_s[m_i + 1] == 'I' || m_s[m_i + 1] == 'J')) {
            // Caret codes: a tab, a line break.
            if (m_s[++m_i] == 'J')
                NewParagraph();
            else
                m_text += '\t';
        } else if (c == '\\' && m_i + 1 < m_s.size()) {
            Code(m_s[++m_i]);
        } else {
            m_text += c;
        }
    }

    // The value after a code letter at m_i, up to its ';', which m_i is left on.
    std::string Value()
    {
        const std::size_t end = ValueEnd(m_s, m_i + 1);
        std::string v = m_s.substr(m_i + 1, end - m_i - 1);
        m_i = end;
        return v;
    }

    void Code(char code)
    {
        switch (code) {
        case 'P': case 'n': case 'N': case 'X': Flush(); NewParagraph(); break;
        case '~': m_text += "\xC2\xA0"; break;
        case '\\': case '{': case '}': m_text += code; break;
        case 'L': case 'l': Toggle(m_look.underline, code == 'L'); break;
        case 'O': case 'o': Toggle(m_look.overline, code == 'O'); break;
        case 'K': case 'k': Toggle(m_look.strike, code == 'K'); break;
        case 'S': Stack(Value()); break;
        case 'p': ParagraphCodes(Value()); break;
        default: LookCode(code, Value()); break;
        }
    }

    void Toggle(bool& flag, bool on)
    {
        if (flag == on)
            return;
        Flush();
        flag = on;
    }

    void LookCode(char code, const std::string& v)
    {
        Flush();
        double n = 0.0;
        switch (code) {
        case 'H': Scaled(v, m_look.height, 1e12); break;
        case 'W': Scaled(v, m_look.widthFactor, 100.0); break;
        case 'T': Scaled(v, m_look.tracking, 10.0); break;
        case 'Q':
            if (Number(v, n) && std::fabs(n) <= 85.0)
                m_look.oblique = n * kPi / 180.0;
            break;
        case 'A':
            if (Number(v, n) && n >= 0 && n <= 2)
                m_look.verticalAlign = static_cast<std::uint8_t>(n);
            break;
        case 'C': Aci(v); break;
        case 'c': TrueColour(v); break;
        case 'f': Font(v); break;
        case 'F':
            m_look.fontFile = v.substr(0, v.find('|'));
            m_look.face.clear();
            break;
        default: break;                 // codes this reader does not draw
        }
    }

    // 0 (by block) and 256 (by layer) give the entity's own colour back.
    void Aci(const std::string& v)
    {
        double n = 0.0;
        if (!Number(v, n))
            return;
        if (n >= 1 && n <= 255) {
            m_look.colour = MTextLook::Colour::Aci;
            m_look.colourValue = static_cast<std::uint32_t>(n);
        } else if (n == 0 || n == 256) {
            m_look.colour = MTextLook::Colour::Entity;
        }
    }

    // The stored value keeps red in its low byte.
    void TrueColour(const std::string& v)
    {
        double n = 0.0;
        if (!Number(v, n) || n < 0 || n > 0xFFFFFF)
            return;
        const auto bgr = static_cast<std::uint32_t>(n);
        m_look.colour = MTextLook::Colour::Rgb;
        m_look.colourValue = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    }

    // "\fArial|b1|i0|c0|p34;": the face, then bold and italic switches.
    void Font(const std::string& v)
    {
        std::size_t start = 0;
        for (bool first = true; start <= v.size(); first = false) {
            std::size_t bar = v.find('|', start);
            if (bar == std::string::npos)
                bar = v.size();
            const std::string part = v.substr(start, bar - start);
            if (first) {
                if (!part.empty()) {
                    m_look.face = part;
                    m_look.fontFile.clear();
                }
            } else if (part.size() >= 2 && (part[0] == 'b' || part[0] == 'i')) {
                (part[0] == 'b' ? m_look.bold : m_look.italic) = part[1] != '0';
            }
            start = bar + 1;
        }
    }

    // "\pxi-1,l1,r0.5,qc,t4,8;": indents (multiples of the base height), alignment; tab stops
    // and spacing are passed over.
    void ParagraphCodes(std::string v)
    {
        Flush();
        MTextParagraph& p = m_paragraphs.back();
        if (!v.empty() && v[0] == 'x')
            v.erase(0, 1);
        std::size_t start = 0;
        bool inTabs = false;
        while (start < v.size()) {
            std::size_t comma = v.find(',', start);
            if (comma == std::string::npos)
                comma = v.size();
            ParagraphItem(p, v.substr(start, comma - start), inTabs);
            start = comma + 1;
        }
        std::sort(p.tabs.begin(), p.tabs.end());
    }

    // "t4" starts the tab stops ("tz" clears them), the plain numbers after it go on; a stop
    // may carry its kind ("c4", "r8", "d12"), drawn as a left stop.
    void ParagraphItem(MTextParagraph& p, const std::string& item, bool& inTabs)
    {
        if (item.empty())
            return;
        double stop = 0.0;
        const char first = item[0];
        if (first == 't') {
            p.tabs.clear();
            inTabs = item != "tz";
            if (inTabs && Number(item.substr(1), stop))
                AddTab(p, stop);
            return;
        }
        if (inTabs && (first == 'c' || first == 'r' || first == 'd') && Number(item.substr(1), stop)) {
            AddTab(p, stop);
            return;
        }
        if (inTabs && Number(item, stop)) {
            AddTab(p, stop);
            return;
        }
        inTabs = false;
        double n = 0.0;
        const bool number = Number(item.substr(1), n) && std::fabs(n) < 1e6;
        const double units = n * m_base.height;
        switch (item[0]) {
        case 'i': if (number) p.firstIndent = units; break;
        case 'l': if (number) p.leftIndent = units; break;
        case 'r': if (number) p.rightIndent = units; break;
        case 'q':
            if (item.size() >= 2)
                p.align = AlignOf(item[1]);
            break;
        default: break;
        }
    }

    void AddTab(MTextParagraph& p, double stop) const
    {
        if (stop > 0.0 && stop < 1e6 && p.tabs.size() < 64)
            p.tabs.push_back(stop * m_base.height);
    }

    static MTextParagraph::Align AlignOf(char c)
    {
        switch (c) {
        case 'l': return MTextParagraph::Align::Left;
        case 'c': return MTextParagraph::Align::Centre;
        case 'r': return MTextParagraph::Align::Right;
        case 'j': return MTextParagraph::Align::Justified;
        case 'd': return MTextParagraph::Align::Distributed;
        default: return MTextParagraph::Align::ByAttachment;
        }
    }

    // "\S1/2;" "\S1#2;" "\S+0.1^-0.2;": the first unescaped divider splits upper from lower.
    void Stack(const std::string& v)
    {
        Flush();
        MTextPiece piece;
        piece.look = m_look;
        piece.stacked = true;
        std::size_t at = std::string::npos;
        for (std::size_t k = 0; k < v.size(); ++k) {
            if (v[k] == '\\') {
                ++k;
            } else if (v[k] == '/' || v[k] == '#' || v[k] == '^') {
                at = k;
                break;
            }
        }
        if (at == std::string::npos) {
            piece.stacked = false;
            piece.text = Unescaped(v);
        } else {
            piece.stackKind = v[at];
            piece.upper = Unescaped(v.substr(0, at));
            piece.lower = Unescaped(v.substr(at + 1));
        }
        Add(std::move(piece));
    }

    void Flush()
    {
        if (m_text.empty())
            return;
        MTextPiece piece;
        piece.text = std::move(m_text);
        piece.look = m_look;
        m_text.clear();
        Add(std::move(piece));
    }

    void Add(MTextPiece piece)
    {
        if (m_pieces >= MTextFormat::kMaxPieces)
            return;
        ++m_pieces;
        m_paragraphs.back().pieces.push_back(std::move(piece));
    }

    // A paragraph keeps the alignment and indents of the one before it until it sets its own.
    void NewParagraph()
    {
        Flush();
        if (m_paragraphs.size() >= MTextFormat::kMaxPieces)
            return;
        MTextParagraph next;
        const MTextParagraph& last = m_paragraphs.back();
        next.align = last.align;
        next.firstIndent = last.firstIndent;
        next.leftIndent = last.leftIndent;
        next.rightIndent = last.rightIndent;
        next.tabs = last.tabs;
        next.look = m_look;
        m_paragraphs.push_back(std::move(next));
    }

    const std::string& m_s;
    const MTextLook m_base;
    MTextLook m_look;
    std::vector<MTextLook> m_stack;
    std::size_t m_lostDepth = 0;
    std::vector<MTextParagraph> m_paragraphs;
    std::string m_text;
    std::size_t m_i = 0;
    std::size_t m_pieces = 0;
};

} // namespace

std::vector<MTextParagraph> MTextFormat::Parse(const std::string& contents, const MTextLook& base)
{
    return Reader(contents, base).Read();
}

} // namespace RkDraw
