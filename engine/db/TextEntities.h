// Text entities: TextData (what TEXT, ATTDEF and ATTRIB share), Text, AttributeDefinition,
// Attribute and MText. All strings are UTF-8; readers convert from the drawing's code page and
// resolve \U+XXXX and \M+ escapes.
#pragma once

#include "engine/db/Entity.h"

#include <string>

namespace RkDb {

struct TextData
{
    Vec3 insertion;                  // OCS, group 10
    Vec3 alignment;                  // OCS, group 11: used unless both alignments are left/base
    bool hasAlignment = false;
    double height = 0.0;
    double rotation = 0.0;           // radians
    double widthFactor = 1.0;
    double oblique = 0.0;            // radians
    std::int32_t style = 0;          // index into Database::TextStyles()
    std::uint8_t generation = 0;     // 2 mirrored in x (backward), 4 mirrored in y (upside down)
    std::uint8_t hAlign = 0;         // 0 left, 1 centre, 2 right, 3 aligned, 4 middle, 5 fit
    std::uint8_t vAlign = 0;         // 0 baseline, 1 bottom, 2 middle, 3 top
    std::string value;               // with %%d, %%p, %%c, %%u, %%o codes as stored
};

struct Text final : Entity
{
    static constexpr EntityType kType = EntityType::Text;
    Text() : Entity(kType) {}
    TextData text;
};

// Attribute flags (group 70).
enum AttributeFlags : std::uint8_t { kAttInvisible = 1, kAttConstant = 2, kAttVerify = 4,
                                     kAttPreset = 8 };

struct AttributeDefinition final : Entity
{
    static constexpr EntityType kType = EntityType::AttributeDefinition;
    AttributeDefinition() : Entity(kType) {}
    TextData text;                   // value is the default value
    std::string tag;
    std::string prompt;
    std::uint8_t flags = 0;
};

struct Attribute final : Entity
{
    static constexpr EntityType kType = EntityType::Attribute;
    Attribute() : Entity(kType) {}
    TextData text;
    std::string tag;
    std::uint8_t flags = 0;
};

struct MText final : Entity
{
    static constexpr EntityType kType = EntityType::MText;
    MText() : Entity(kType) {}
    Vec3 insertion;                  // world coordinates
    Vec3 xDirection{1.0, 0.0, 0.0};  // world direction of the text's x axis
    double height = 0.0;             // initial character height
    double referenceWidth = 0.0;     // 0: lines break only at \P
    double lineSpacing = 1.0;        // factor
    std::uint8_t attachment = 1;     // 1 top left .. 9 bottom right
    std::uint8_t direction = 1;      // 1 left to right, 3 top to bottom
    std::int32_t style = 0;
    // Columns as far as a viewer shows them: static or dynamic columns of equal width.
    std::uint8_t columnType = 0;     // 0 none, 1 static, 2 dynamic
    std::int32_t columnCount = 0;
    double columnWidth = 0.0, columnGutter = 0.0;
    std::vector<double> columnHeights;  // per column; one value: every column's height
    // The contents with their formatting codes (\P, \f, \H, \S, {...}) as stored.
    std::string contents;
};

} // namespace RkDb
