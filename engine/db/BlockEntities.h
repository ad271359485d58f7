// Entities that refer to blocks or build leaders: Insert (with its attributes and array),
// Dimension (drawn through its block), Leader, MLeader and MLine.
#pragma once

#include "engine/db/TextEntities.h"

namespace RkDb {

struct Insert final : Entity
{
    static constexpr EntityType kType = EntityType::Insert;
    Insert() : Entity(kType) {}
    std::int32_t block = -1;         // index into Database::Blocks(); -1 unresolved
    Vec3 insertion;                  // OCS
    Vec3 scale{1.0, 1.0, 1.0};
    double rotation = 0.0;           // radians
    std::int32_t columns = 1, rows = 1;          // MINSERT array
    double columnSpacing = 0.0, rowSpacing = 0.0;
    std::vector<std::unique_ptr<Attribute>> attributes;
};

struct Dimension final : Entity
{
    static constexpr EntityType kType = EntityType::Dimension;
    Dimension() : Entity(kType) {}
    std::int32_t block = -1;         // the anonymous block ("*D...") holding its picture
    std::uint8_t dimType = 0;        // group 70 & 7: 0 linear .. 6 ordinate
    Vec3 definitionPoint;            // group 10, world
    Vec3 textMidpoint;               // group 11, OCS
    Vec3 points[4];                  // groups 13, 14, 15, 16
    double angle = 0.0;              // group 50, radians
    std::string text;                // user text; "" or "<>" means the measurement
    double measurement = 0.0;        // group 42
    std::int32_t dimStyle = -1;
};

struct Leader final : Entity
{
    static constexpr EntityType kType = EntityType::Leader;
    Leader() : Entity(kType) {}
    bool arrowHead = true;
    bool spline = false;
    double arrowSize = 0.18;         // from the dimension style, scaled
    std::vector<Vec3> vertices;      // world
};

// MULTILEADER as far as a viewer shows it: its leader lines, arrow size, and either a text
// content or a block content.
struct MLeader final : Entity
{
    static constexpr EntityType kType = EntityType::MLeader;
    MLeader() : Entity(kType) {}
    std::vector<std::vector<Vec3>> leaderLines;
    double arrowSize = 0.18;
    bool hasText = false;
    std::string text;                // MTEXT contents
    std::int32_t textStyle = 0;      // index into Database::TextStyles()
    Color textColor = Color::ByBlock();   // by block: the leader's own colour
    Vec3 textLocation;
    double textHeight = 0.18;
    double textWidth = 0.0;
    std::uint8_t textAttachment = 1;
    Vec3 textDirection{1.0, 0.0, 0.0};
    std::int32_t block = -1;         // block content
    Vec3 blockPosition;
    Vec3 blockScale{1.0, 1.0, 1.0};
    double blockRotation = 0.0;
};

struct MLineElement
{
    double offset = 0.0;
    Color color;
    std::int32_t lineType = kRefByLayer;
};

struct MLineVertex
{
    Vec3 position, direction, miter;
    std::vector<double> offsets;     // per element: distance along the miter from position
};

struct MLine final : Entity
{
    static constexpr EntityType kType = EntityType::MLine;
    MLine() : Entity(kType) {}
    Handle style = 0;                // the MLINESTYLE object, and its name
    std::string styleName;
    double scale = 1.0;
    std::uint8_t justification = 0;  // 0 top, 1 zero, 2 bottom
    bool closed = false;
    std::vector<MLineElement> elements;   // from the MLINE style (colours, line types)
    std::vector<MLineVertex> vertices;
};

} // namespace RkDb
