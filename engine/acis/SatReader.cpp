#include "engine/acis/SatReader.h"

#include "engine/acis/SabConverter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace RkAcis {

namespace {

using RkDb::AcisEdge;
using RkDb::Vec3;

constexpr double kTwoPi = 6.283185307179586;
constexpr int kMaxDegree = 25;
// A vertex or point record is a handful of fields; a longer one is not read, so that a forged
// text cannot make every edge tokenize one huge record.
constexpr std::size_t kMaxSmallRecord = 512;

// One record: its type name and the text of its fields, up to its '#'.
struct Record
{
    std::string_view type;
    std::string_view body;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The whitespace-separated tokens of a record body. "@n text" (a counted string of 7.0 and later)
// is one token, so its text cannot pass for numbers or pointers.
std::vector<std::string_view> Tokens(std::string_view body)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < body.size()) {
        while (i < body.size() && IsSpace(body[i]))
            ++i;
        std::size_t end = i;
        while (end < body.size() && !IsSpace(body[end]))
            ++end;
        if (end == i)
            break;
        std::string_view token = body.substr(i, end - i);
        i = end;
        if (token.size() > 1 && token[0] == '@') {
            std::size_t length = 0;
            const auto r = std::from_chars(token.data() + 1, token.data() + token.size(), length);
            if (r.ec == std::errc() && i < body.size()) {
                const std::size_t skip = length + 1 < body.size() - i ? length + 1 : body.size() - i;
                out.push_back(body.substr(i, skip));
                i += skip;
                continue;
            }
        }
        out.push_back(token);
    }
    return out;
}

bool Number(std::string_view token, double& value)
{
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    const auto r = std::from_chars(token.data(), token.data() + token.size(), value);
    return r.ec == std::errc() && r.ptr == token.data() + token.size() && std::isfinite(value);
}

// A pointer token "$n": the record index, or -1.
long Pointer(std::string_view token)
{
    long index = -1;
    if (token.size() < 2 || token[0] != '$')
        return -1;
    const auto r = std::from_chars(token.data() + 1, token.data() + token.size(), index);
    return r.ec == std::errc() ? index : -1;
}

// A record of that kind or of a kind derived from it: ASM writes tolerant vertices and edges
// ("tvertex-vertex", "tedge-edge") where a body was healed.
bool IsKind(std::string_view type, std::string_view kind)
{
    if (type == kind)
        return true;
    return type.size() > kind.size() + 1 && type.substr(type.size() - kind.size()) == kind &&
           type[type.size() - kind.size() - 1] == '-';
}

// The parameter range an edge of SAT 7.0 and later keeps after each vertex pointer.
struct EdgeRange
{
    bool known = false;
    double start = 0.0, end = 0.0;
};

class SatModel
{
public:
    bool Parse(std::string_view sat);
    void CollectEdges(std::vector<AcisEdge>& edges, std::size_t maxEdges) const;

private:
    bool VertexPoint(long vertex, Vec3& point) const;
    bool PointOf(long index, Vec3& point) const;
    bool Curve(long index, bool reversed, AcisEdge& edge, bool hasStart, bool hasEnd,
               const EdgeRange& range) const;
    static bool Ellipse(const std::vector<std::string_view>& tokens, std::size_t from, bool reversed,
                        AcisEdge& edge, bool closed, const EdgeRange& range);
    static bool Spline(const std::vector<std::string_view>& tokens, std::size_t from, AcisEdge& edge);
    const Record* At(long index) const
    {
        return index >= 0 && static_cast<std::size_t>(index) < m_records.size() ? &m_records[index]
                                                                               : nullptr;
    }

    std::vector<Record> m_records;
};

// The header is one line before 2.0 and three lines (version, product, units) after it.
std::size_t RecordsStart(std::string_view sat, long version)
{
    const int lines = version < 200 ? 1 : 3;
    std::size_t at = 0;
    for (int i = 0; i < lines; ++i) {
        const std::size_t nl = sat.find('\n', at);
        if (nl == std::string_view::npos)
            return sat.size();
        at = nl + 1;
    }
    return at;
}

bool SatModel::Parse(std::string_view sat)
{
    std::size_t i = 0;
    while (i < sat.size() && IsSpace(sat[i]))
        ++i;
    long version = 0;
    const auto r = std::from_chars(sat.data() + i, sat.data() + sat.size(), version);
    if (r.ec != std::errc() || version < 100)
        return false;
    std::size_t at = RecordsStart(sat, version);
    while (at < sat.size()) {
        const std::size_t hash = sat.find('#', at);
        if (hash == std::string_view::npos)
            break;
        std::string_view text = sat.substr(at, hash - at);
        at = hash + 1;
        std::size_t b = 0;
        while (b < text.size() && IsSpace(text[b]))
            ++b;
        text.remove_prefix(b);
        // Records of 7.0 and later may start with their own index ("-12 edge ...").
        if (!text.empty() && text[0] == '-') {
            const std::size_t space = text.find(' ');
            text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
        }
        const std::size_t space = text.find_first_of(" \t\r\n");
        Record record;
        record.type = text.substr(0, space);
        record.body = space == std::string_view::npos ? std::string_view() : text.substr(space);
        if (record.type.rfind("End-of-", 0) == 0)
            break;
        m_records.push_back(record);
    }
    return !m_records.empty();
}

bool SatModel::PointOf(long index, Vec3& point) const
{
    const Record* record = At(index);
    if (!record || record->type != "point" || record->body.size() > kMaxSmallRecord)
        return false;
    const std::vector<std::string_view> tokens = Tokens(record->body);
    if (tokens.size() < 3)
        return false;
    const std::size_t n = tokens.size();
    return Number(tokens[n - 3], point.x) && Number(tokens[n - 2], point.y) &&
           Number(tokens[n - 1], point.z);
}

bool SatModel::VertexPoint(long vertex, Vec3& point) const
{
    const Record* record = At(vertex);
    if (!record || !IsKind(record->type, "vertex") || record->body.size() > kMaxSmallRecord)
        return false;
    long last = -1;
    for (std::string_view token : Tokens(record->body)) {
        if (!token.empty() && token[0] == '$')
            last = Pointer(token);
    }
    return PointOf(last, point);
}

bool SatModel::Ellipse(const std::vector<std::string_view>& tokens, std::size_t from, bool reversed,
                       AcisEdge& edge, bool closed, const EdgeRange& range)
{
    double v[10];
    if (tokens.size() < from + 10)
        return false;
    for (int k = 0; k < 10; ++k) {
        if (!Number(tokens[from + k], v[k]))
            return false;
    }
    edge.kind = AcisEdge::Kind::Ellipse;
    edge.center = {v[0], v[1], v[2]};
    edge.normal = RkDb::Normalized({v[3], v[4], v[5]});
    edge.majorAxis = {v[6], v[7], v[8]};
    edge.ratio = v[9];
    const double major = RkDb::Length(edge.majorAxis);
    if (!(major > 0.0) || !(edge.ratio > 0.0) || edge.ratio > 1e6)
        return false;
    const Vec3 u = edge.majorAxis * (1.0 / major);
    const Vec3 w = RkDb::Cross(edge.normal, u);
    const auto param = [&](const Vec3& p) {
        const Vec3 d = p - edge.center;
        return std::atan2(RkDb::Dot(d, w) / edge.ratio, RkDb::Dot(d, u));
    };
    if (range.known) {
        // The edge's own range, in the curve's parameters (negated for an edge against it).
        double a = reversed ? -range.end : range.start;
        double b = reversed ? -range.start : range.end;
        if (b - a > kTwoPi + 1e-9 || b - a < 1e-12)
            b = a + kTwoPi;
        edge.startParam = a;
        edge.endParam = b;
        return true;
    }
    if (closed) {
        edge.startParam = 0.0;
        edge.endParam = kTwoPi;
        return true;
    }
    // The edge runs from its start to its end vertex; against the curve when reversed.
    double a = param(reversed ? edge.end : edge.start);
    double b = param(reversed ? edge.start : edge.end);
    while (b <= a + 1e-12)
        b += kTwoPi;
    edge.startParam = a;
    edge.endParam = b;
    return true;
}

// The B-spline of an intcurve: "nubs|nurbs degree open|closed|periodic count (knot mult)*count
// control points". ACIS keeps the end knots with multiplicity degree; the usual vector repeats
// each once more.
bool SatModel::Spline(const std::vector<std::string_view>& tokens, std::size_t from, AcisEdge& edge)
{
    std::size_t i = from;
    const std::size_t scanEnd = from + 8 < tokens.size() ? from + 8 : tokens.size();
    while (i < scanEnd && tokens[i] != "nubs" && tokens[i] != "nurbs")
        ++i;
    if (i >= scanEnd || i + 4 > tokens.size())
        return false;
    const bool rational = tokens[i] == "nurbs";
    double degree = 0.0, count = 0.0;
    if (!Number(tokens[i + 1], degree) || !Number(tokens[i + 3], count) || degree < 1 ||
        degree > kMaxDegree || count < 2 || count > static_cast<double>(tokens.size()))
        return false;
    i += 4;
    const auto pairs = static_cast<std::size_t>(count);
    if (tokens.size() - i < 2 * pairs)
        return false;
    std::vector<double> knots;
    for (std::size_t k = 0; k < pairs; ++k, i += 2) {
        double knot = 0.0, mult = 0.0;
        if (!Number(tokens[i], knot) || !Number(tokens[i + 1], mult) || mult < 1 || mult > kMaxDegree + 1)
            return false;
        if (!knots.empty() && knot < knots.back())
            return false;
        knots.insert(knots.end(), static_cast<std::size_t>(mult), knot);
    }
    const int d = static_cast<int>(degree);
    if (knots.size() < static_cast<std::size_t>(d) + 1)
        return false;
    const std::size_t controls = knots.size() - static_cast<std::size_t>(d) + 1;
    const std::size_t each = rational ? 4 : 3;
    if ((tokens.size() - i) / each < controls)
        return false;
    edge.kind = AcisEdge::Kind::Spline;
    edge.degree = d;
    edge.knots.reserve(knots.size() + 2);
    edge.knots.push_back(knots.front());
    edge.knots.insert(edge.knots.end(), knots.begin(), knots.end());
    edge.knots.push_back(knots.back());
    edge.controlPoints.resize(controls);
    if (rational)
        edge.weights.resize(controls);
    for (std::size_t c = 0; c < controls; ++c, i += each) {
        Vec3& p = edge.controlPoints[c];
        if (!Number(tokens[i], p.x) || !Number(tokens[i + 1], p.y) || !Number(tokens[i + 2], p.z))
            return false;
        if (rational && (!Number(tokens[i + 3], edge.weights[c]) || !(edge.weights[c] > 0.0)))
            return false;
    }
    return true;
}

bool SatModel::Curve(long index, bool reversed, AcisEdge& edge, bool hasStart, bool hasEnd,
                     const EdgeRange& range) const
{
    const Record* record = At(index);
    if (!record)
        return false;
    const std::vector<std::string_view> tokens = Tokens(record->body);
    std::size_t after = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (!tokens[k].empty() && tokens[k][0] == '$')
            after = k + 1;
    }
    if (record->type == "straight-curve") {
        edge.kind = AcisEdge::Kind::Line;
        return hasStart && hasEnd && edge.start != edge.end;
    }
    if (record->type == "ellipse-curve") {
        const bool closed = !hasStart || !hasEnd || edge.start == edge.end;
        return Ellipse(tokens, after, reversed, edge, closed, range);
    }
    if (record->type == "intcurve-curve")
        return Spline(tokens, after, edge);
    return false;
}

void SatModel::CollectEdges(std::vector<AcisEdge>& edges, std::size_t maxEdges) const
{
    // A curve belongs to one edge; one shared by many is read once, so a forged text cannot
    // make every edge read the same long curve.
    std::vector<bool> curveUsed(m_records.size(), false);
    for (const Record& record : m_records) {
        if (edges.size() >= maxEdges)
            return;
        if (!IsKind(record.type, "edge"))
            continue;
        const std::vector<std::string_view> tokens = Tokens(record.body);
        std::vector<long> pointers;
        std::vector<std::size_t> places;
        std::size_t lastPointer = 0;
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            if (!tokens[k].empty() && tokens[k][0] == '$') {
                pointers.push_back(Pointer(tokens[k]));
                places.push_back(k);
                lastPointer = k;
            }
        }
        if (pointers.size() < 4)
            continue;
        const std::size_t n = pointers.size();
        const std::string_view sense = lastPointer + 1 < tokens.size() ? tokens[lastPointer + 1] : "";
        const bool reversed = sense == "reversed" || sense == "1";
        const long curve = pointers[n - 1];
        if (!At(curve) || curveUsed[static_cast<std::size_t>(curve)])
            continue;
        curveUsed[static_cast<std::size_t>(curve)] = true;
        AcisEdge edge;
        const bool hasStart = VertexPoint(pointers[n - 4], edge.start);
        const bool hasEnd = VertexPoint(pointers[n - 3], edge.end);
        EdgeRange range;
        const std::size_t startAt = places[n - 4] + 1, endAt = places[n - 3] + 1;
        range.known = endAt < tokens.size() && Number(tokens[startAt], range.start) &&
                      Number(tokens[endAt], range.end) && std::isfinite(range.start) &&
                      std::isfinite(range.end);
        if (Curve(curve, reversed, edge, hasStart, hasEnd, range))
            edges.push_back(std::move(edge));
    }
}

} // namespace

bool SatReader::SabToSat(std::string_view sab, std::string& sat, std::size_t maxText)
{
    return SabConverter(sab).Convert(sat, maxText);
}

std::string SatReader::Decipher(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 32 && u < 159)
            c = static_cast<char>(159 - u);
    }
    return out;
}

bool SatReader::ReadEdges(std::string_view sat, std::vector<RkDb::AcisEdge>& edges, std::size_t maxEdges)
{
    SatModel model;
    if (!model.Parse(sat))
        return false;
    model.CollectEdges(edges, maxEdges);
    return true;
}

} // namespace RkAcis
