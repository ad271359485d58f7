// DWG R12, R14, 2000 and 2004 as an independent reader sees them: every shared sample drawing, and a
// drawing of the benchmark's kind, written by the writer is read by the shared tools' dwgread
// with no error and no warning, and the DXF its dwg2dxf makes of the file holds the entities, by
// type, that the program's own reader finds in it. The tools are Linux programs, so this runs in
// the native build only; it skips when the tools or the samples are absent.
#include "LayeredDrawing.h"

#include "engine/db/Database.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using Counts = std::array<std::size_t, RkDb::kEntityTypeCount>;

#ifndef _WIN32

// The program's output (standard output and errors together).
std::string Run(const std::string& command)
{
    std::string out;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// dwgread's complaints: every line with an error or a warning, and a last line other than SUCCESS.
std::vector<std::string> Complaints(const std::string& output)
{
    std::vector<std::string> lines, bad;
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = output.find('\n', start);
        lines.push_back(output.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? output.size() : end + 1;
    }
    for (const std::string& line : lines) {
        if (line.find("ERROR") != std::string::npos || line.find("Warning") != std::string::npos)
            bad.push_back(line);
    }
    if (lines.empty() || lines.back().rfind("SUCCESS", 0) != 0)
        bad.push_back("no SUCCESS at the end");
    return bad;
}

bool ReadDwg(const std::string& bytes, RkDb::Database& db)
{
    return orvo::dwg::DwgReader().Read(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), db) ==
           orvo::dwg::DwgReadResult::Ok;
}

bool ReadDxfFile(const std::string& path, RkDb::Database& db)
{
    const std::string data = orvo::portable::ReadWholeFile(path);
    RkDxf::DxfReader reader(db);
    return !data.empty() && reader.Read(data.data(), data.size()) == RkDxf::DxfReader::Status::Ok;
}

bool ReadDxfFile(const std::string& path, Counts& counts)
{
    RkDb::Database db;
    if (!ReadDxfFile(path, db))
        return false;
    counts = db.CountByType();
    return true;
}

bool HasSortTables(const RkDb::Database& db)
{
    return std::any_of(db.Blocks().begin(), db.Blocks().end(),
                       [](const RkDb::Block& block) { return !block.sortHandles.empty(); });
}

// The handles of a JSON array after "key": the last number of each innermost array (dwgread
// writes a handle as [code, size, value, absolute]); empty when the key is absent.
std::vector<std::uint64_t> JsonHandles(const std::string& text, const std::string& key)
{
    std::vector<std::uint64_t> out;
    std::size_t at = text.find("\"" + key + "\": [");
    if (at == std::string::npos)
        return out;
    std::vector<bool> nested;   // per open array: whether it holds arrays
    std::uint64_t value = 0, last = 0;
    bool digits = false;
    for (at = text.find('[', at); at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
            digits = true;
            continue;
        }
        if (digits)
            last = value;
        value = 0;
        digits = false;
        if (c == '[') {
            if (!nested.empty())
                nested.back() = true;
            nested.push_back(false);
        } else if (c == ']') {
            if (!nested.back())
                out.push_back(last);
            nested.pop_back();
            if (nested.empty())
                break;
        }
    }
    return out;
}

// The objects of a dwgread JSON dump of that type, each as its text.
std::vector<std::string> JsonObjects(const std::string& json, const std::string& type)
{
    std::vector<std::string> objects;
    const std::string marker = "\"object\": \"";
    for (std::size_t at = json.find(marker); at != std::string::npos;) {
        const std::size_t next = json.find(marker, at + marker.size());
        if (json.compare(at + marker.size(), type.size() + 1, type + "\"") == 0)
            objects.push_back(json.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    return objects;
}

// How the independent reader sees the draw order tables: each one's block, the pairs of entity
// and place, its owner a dictionary of that block that names it ACAD_SORTENTS and the block's
// extension dictionary. Answers what differs from the program's own reading ("" for nothing).
std::string SortTableDifferences(const std::string& json, const RkDb::Database& ours)
{
    std::map<std::uint64_t, std::vector<std::string>> dictionaries, blocks;
    for (const std::string& text : JsonObjects(json, "DICTIONARY")) {
        const auto handle = JsonHandles(text, "handle");
        if (!handle.empty())
            dictionaries[handle.front()].push_back(text);
    }
    for (const std::string& text : JsonObjects(json, "BLOCK_HEADER")) {
        const auto handle = JsonHandles(text, "handle");
        if (!handle.empty())
            blocks[handle.front()].push_back(text);
    }
    std::string text;
    std::size_t tables = 0;
    for (const std::string& table : JsonObjects(json, "SORTENTSTABLE")) {
        ++tables;
        const auto handle = JsonHandles(table, "handle"), owner = JsonHandles(table, "ownerhandle");
        const auto block = JsonHandles(table, "block_owner");
        const auto places = JsonHandles(table, "sort_ents"), entities = JsonHandles(table, "ents");
        if (handle.size() != 1 || owner.size() != 1 || block.size() != 1 || places.size() != entities.size()) {
            text += " a table read incompletely";
            continue;
        }
        const std::string name = " table " + std::to_string(handle[0]);
        const auto dictionary = dictionaries.find(owner[0]);
        if (dictionary == dictionaries.end() || dictionary->second.size() != 1 ||
            JsonHandles(dictionary->second[0], "ownerhandle") != block ||
            JsonHandles(dictionary->second[0], "ACAD_SORTENTS") != handle)
            text += name + ": its dictionary does not name it";
        const auto record = blocks.find(block[0]);
        if (record == blocks.end() || JsonHandles(record->second[0], "xdicobjhandle") != owner)
            text += name + ": its block has not its dictionary";
        const std::int32_t index = ours.Blocks().FindHandle(block[0]);
        std::vector<std::pair<RkDb::Handle, RkDb::Handle>> theirs, mine;
        for (std::size_t i = 0; i < places.size(); ++i)
            theirs.emplace_back(entities[i], places[i]);
        if (index >= 0)
            mine = ours.Blocks()[index].sortHandles;
        std::sort(theirs.begin(), theirs.end());
        std::sort(mine.begin(), mine.end());
        if (theirs != mine)
            text += name + ": other entries";
    }
    std::size_t ordered = 0;
    for (const RkDb::Block& block : ours.Blocks())
        ordered += block.sortHandles.empty() ? 0 : 1;
    if (ordered != tables)
        text += " " + std::to_string(tables) + " tables for " + std::to_string(ordered) + " ordered blocks";
    return text;
}

std::string Differences(const Counts& ours, const Counts& theirs)
{
    std::string text;
    for (std::size_t t = 0; t < ours.size(); ++t) {
        if (ours[t] != theirs[t])
            text += std::string(" ") + RkDb::EntityTypeName(static_cast<RkDb::EntityType>(t)) + " " +
                    std::to_string(ours[t]) + "/" + std::to_string(theirs[t]);
    }
    return text;
}

std::unique_ptr<RkDb::Database> ReadSource(const std::string& path)
{
    const std::string data = orvo::portable::ReadWholeFile(path);
    auto db = std::make_unique<RkDb::Database>();
    if (path.substr(path.size() - 4) == ".dwg") {
        if (orvo::dwg::DwgReader().Read(std::vector<std::uint8_t>(data.begin(), data.end()), *db) !=
            orvo::dwg::DwgReadResult::Ok)
            return nullptr;
    } else {
        RkDxf::DxfReader reader(*db);
        if (reader.Read(data.data(), data.size()) != RkDxf::DxfReader::Status::Ok)
            return nullptr;
    }
    return db;
}

// The benchmark drawing's kind, smaller: lines and polylines on a few coloured layers.
std::unique_ptr<RkDb::Database> BenchmarkKind()
{
    auto db = std::make_unique<RkDb::Database>();
    std::vector<std::int32_t> layers;
    for (const char* name : {"Walls", "Doors", "Windows", "Furniture"})
        layers.push_back(db->EnsureLayer(name));
    auto& model = db->ModelSpaceBlock().entities;
    for (int i = 0; i < 20000; ++i) {
        auto line = std::make_unique<RkDb::Line>();
        line->start = {double(i % 400), double(i / 400), 0};
        line->end = {double(i % 400) + 0.8, double(i / 400) + 0.5, 0};
        line->layer = layers[static_cast<std::size_t>(i) % layers.size()];
        model.push_back(std::move(line));
    }
    for (int i = 0; i < 4000; ++i) {
        auto polyline = std::make_unique<RkDb::LwPolyline>();
        for (int v = 0; v < 4; ++v) {
            RkDb::LwVertex vertex;
            vertex.x = double(i % 200) + v;
            vertex.y = double(i / 200) + v % 2;
            polyline->vertices.push_back(vertex);
        }
        polyline->layer = layers[static_cast<std::size_t>(i) % layers.size()];
        model.push_back(std::move(polyline));
    }
    db->FinishLoading();
    return db;
}

class Judge
{
public:
    Judge(const std::string& tools, int version)
        : m_dwgread(tools + "libredwg/dwgread"), m_dwg2dxf(tools + "libredwg/dwg2dxf"),
          m_dir(std::filesystem::temp_directory_path() /
                ("orvo-dwg-judge-" + std::to_string(getpid()) + "-" + std::to_string(version))),
          m_version(version)
    {
        std::filesystem::create_directories(m_dir);
    }
    ~Judge()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    Judge(const Judge&) = delete;
    Judge& operator=(const Judge&) = delete;

    // Whether dwg2dxf renders a genuine drawing's entities as the program reads them; where it
    // does not (it loses blocks of some real drawings), its counts of the written file prove
    // nothing and only the structure is judged.
    bool FaithfulTo(const std::string& sourcePath, const RkDb::Database& source)
    {
        if (sourcePath.substr(sourcePath.size() - 4) != ".dwg")
            return true;
        const std::string dxf = (m_dir / "source.dxf").string();
        std::filesystem::remove(dxf);
        Run(m_dwg2dxf + " -y -o " + Quoted(dxf) + " " + Quoted(sourcePath));
        Counts theirs{};
        return ReadDxfFile(dxf, theirs) && theirs == source.CountByType();
    }

    // Writes db, has it read and converted; answers what went wrong ("" for nothing). Entity
    // counts that differ are a fault where dwg2dxf is faithful to the source; agree tells
    // whether they matched.
    std::string Check(const RkDb::Database& db, const std::string& what, bool faithful, bool& agree)
    {
        agree = false;
        std::string bytes;
        const RkWrite::WriteReport report = RkWrite::DrawingSaver::Build(db, RkWrite::DrawingSaver::kDwg, m_version, bytes);
        if (report.status != RkWrite::SaveStatus::Ok)
            return what + ": not written: " + report.message;
        const std::string dwg = (m_dir / "written.dwg").string();
        const std::string dxf = (m_dir / "written.dxf").string();
        std::FILE* f = std::fopen(dwg.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            if (f)
                std::fclose(f);
            return what + ": cannot write " + dwg;
        }
        std::fclose(f);
        std::string problems;
        for (const std::string& line : Complaints(Run(m_dwgread + " " + Quoted(dwg))))
            problems += "\n  dwgread: " + line;
        RkDb::Database ourDb, theirDb;
        if (!ReadDwg(bytes, ourDb))
            problems += "\n  the program's own reader refuses it";
        const Counts ours = ourDb.CountByType();
        std::filesystem::remove(dxf);
        Run(m_dwg2dxf + " -y -o " + Quoted(dxf) + " " + Quoted(dwg));
        if (!ReadDxfFile(dxf, theirDb)) {
            problems += "\n  dwg2dxf made no readable DXF";
        } else if ((agree = ours == theirDb.CountByType()) == false && faithful) {
            problems += "\n  entities (ours/dwg2dxf):" + Differences(ours, theirDb.CountByType());
        }
        if (HasSortTables(ourDb)) {
            const std::string tables = SortTableDifferences(WrittenJson(), ourDb);
            if (!tables.empty())
                problems += "\n  draw order tables:" + tables;
        }
        return problems.empty() ? std::string() : what + ":" + problems;
    }

    // What dwgread makes of the file Check wrote, as its JSON dump.
    std::string WrittenJson() const
    {
        const std::string json = (m_dir / "written.json").string();
        std::filesystem::remove(json);
        Run(m_dwgread + " -O json -o " + Quoted(json) + " " + Quoted((m_dir / "written.dwg").string()));
        return orvo::portable::ReadWholeFile(json);
    }

private:
    std::string m_dwgread, m_dwg2dxf;
    std::filesystem::path m_dir;
    int m_version;
};

#endif

class DwgWriterJudge : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "the independent DWG reader is a Linux program: judged in the native build";
#else
        m_tools = orvo::portable::ToolsDir();
        if (m_tools.empty())
            GTEST_SKIP() << "the shared tools folder is absent";
#endif
    }

    std::string m_tools;
};

TEST_P(DwgWriterJudge, IndependentReaderReadsEverySampleWrittenWithoutComplaint)
{
#ifndef _WIN32
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    Judge judge(m_tools, GetParam());
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir + "dwg")) {
        const std::string path = entry.path().string();
        if (path.size() > 4 && path.substr(path.size() - 4) == ".dwg")
            paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    ASSERT_GT(paths.size(), 10u);
    int judged = 0, countsCompared = 0;
    std::string unfaithful;
    for (const std::string& path : paths) {
        const auto source = ReadSource(path);
        if (!source)
            continue; // a sample the program itself cannot read has nothing to write
        const bool faithful = judge.FaithfulTo(path, *source);
        bool agree = false;
        const std::string problems = judge.Check(*source, path, faithful, agree);
        EXPECT_TRUE(problems.empty()) << problems;
        ++judged;
        countsCompared += agree ? 1 : 0;
        if (!agree)
            unfaithful += "\n  " + path;
    }
    const auto bench = BenchmarkKind();
    bool agree = false;
    const std::string problems = judge.Check(*bench, "benchmark kind", true, agree);
    EXPECT_TRUE(problems.empty()) << problems;
    EXPECT_GT(judged, 40);
    // dwg2dxf loses entities of a few genuine drawings (blocks of large real ones, what some
    // releases keep): there only the structure is judged.
    EXPECT_GT(countsCompared, judged - 5) << "dwg2dxf and the program agree on too few; they differ on:"
                                          << unfaithful;
    std::printf("entities agree for %d of %d samples; they differ (dwg2dxf losing them from the "
                "genuine drawing too) on:%s\n", countsCompared, judged, unfaithful.c_str());
#endif
}

// A drawing of draw orders, a transparent square and a transparent layer: the independent reader
// finds each block's table where it belongs with the program's entries (from R14 on), and the
// transparencies in 2004 only.
TEST_P(DwgWriterJudge, DrawOrderAndTransparencyAsTheIndependentReaderSeesThem)
{
#ifndef _WIN32
    Judge judge(m_tools, GetParam());
    const auto db = orvo::portable::LayeredDrawing();
    bool agree = false;
    const std::string problems = judge.Check(*db, "layered drawing", true, agree);
    EXPECT_TRUE(problems.empty()) << problems;
    EXPECT_TRUE(agree);
    const std::string json = judge.WrittenJson();
    // R12 keeps no draw order.
    EXPECT_EQ(JsonObjects(json, "SORTENTSTABLE").size(), GetParam() >= 7 ? 2u : 0u);
    // The green square's opacity 0x40, as 2004 stores it with the colour.
    const std::string stored = "\"alpha_raw\": " + std::to_string(RkDb::kTransparencyAlpha | 0x40);
    const std::size_t first = json.find(stored);
    EXPECT_EQ(first != std::string::npos, GetParam() >= 9);
    EXPECT_EQ(first == std::string::npos || json.find(stored, first + 1) == std::string::npos, true);
    // The layer "Glass"'s opacity 0x80 as the extended data of its application, in 2004 only.
    const std::string layer = "\"value\": " + std::to_string(RkDb::kTransparencyAlpha | 0x80);
    EXPECT_EQ(json.find(layer) != std::string::npos, GetParam() >= 9);
    EXPECT_EQ(json.find("\"name\": \"AcCmTransparency\"") != std::string::npos, GetParam() >= 9);
#endif
}

INSTANTIATE_TEST_SUITE_P(Versions, DwgWriterJudge, ::testing::Values(5, 7, 8, 9));

class DwgWriterJudgeR12 : public DwgWriterJudge
{
};

// DWG R12 keeps hatches as inserts of anonymous blocks of their lines and strips: the independent
// reader reads such a file (with the drawing's own block and its insert) without complaint and
// finds the entities the program finds.
TEST_F(DwgWriterJudgeR12, HatchBlocksAsTheIndependentReaderSeesThem)
{
#ifndef _WIN32
    Judge judge(m_tools, 5);
    auto db = orvo::portable::LayeredDrawing();
    auto pattern = std::make_unique<RkDb::Hatch>();
    pattern->color = RkDb::Color::FromAci(1);
    RkDb::HatchPatternLine line;
    line.angle = 0.785398163397448;
    line.offset = {-2.0, 2.0};
    line.dashes = {4.0, -1.0};
    pattern->patternLines = {line};
    RkDb::HatchLoop loop;
    loop.flags = 2;
    loop.polyline = {{55, 10}, {95, 10}, {95, 50}, {55, 50}};
    pattern->loops = {loop};
    db->Blocks()[db->Blocks().Find("Pair")].entities.push_back(std::move(pattern));
    db->FinishLoading();
    bool agree = false;
    const std::string problems = judge.Check(*db, "hatches as blocks", true, agree);
    EXPECT_TRUE(problems.empty()) << problems;
    EXPECT_TRUE(agree);
#endif
}

// A real drawing of hatches (sprinkler_final.dwg) saved as DWG R12: read without complaint, with
// the entities the program finds.
TEST_F(DwgWriterJudgeR12, ARealDrawingsHatchesAsTheIndependentReaderSeesThem)
{
#ifndef _WIN32
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    Judge judge(m_tools, 5);
    const std::string path = dir + "dwg/real/sprinkler_final.dwg";
    const auto source = ReadSource(path);
    ASSERT_TRUE(source);
    bool agree = false;
    const std::string problems = judge.Check(*source, path, judge.FaithfulTo(path, *source), agree);
    EXPECT_TRUE(problems.empty()) << problems;
    EXPECT_TRUE(agree);
#endif
}

} // namespace
