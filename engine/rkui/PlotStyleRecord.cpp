#include "engine/rkui/PlotStyleRecord.h"

#include "engine/rkui/NumberFieldsDialog.h"
#include "engine/rkui/RegistryText.h"

#include <cstdio>

namespace {

int Flag(const std::string& key, const char* name, int fallback)
{
    const std::string text = RkUI::RegistryText::Read(key, name);
    return text == "0" ? 0 : text == "1" ? 1 : fallback;
}

} // namespace

void PlotStyleRecord::Load(const std::string& key)
{
    const PlotStyleRecord defaults;
    usePenSets = Flag(key, "UsePenSets", defaults.usePenSets);
    penSetsByResolution = Flag(key, "PenSetsByResolution", defaults.penSetsByResolution);
    plainLineWeightOnPaper = Flag(key, "PlainLineWeight", defaults.plainLineWeightOnPaper);
    fourthFlag = Flag(key, "Flag4", defaults.fourthFlag);
    double scale = 0.0;
    lineWeightScale = RkUI::NumberFieldsDialog::Parse(RkUI::RegistryText::Read(key, "LineWeightScale"), scale) &&
                              scale > 0.0 && scale <= 100.0
                          ? scale
                          : defaults.lineWeightScale;
    const std::string mode = RkUI::RegistryText::Read(key, "ColorMode");
    colorMode = mode == "1" ? 1 : mode == "2" ? 2 : defaults.colorMode;
}

bool PlotStyleRecord::Save(const std::string& key) const
{
    char scale[40];
    std::snprintf(scale, sizeof scale, "%.17g", lineWeightScale);
    const auto flag = [](int v) { return std::string(v ? "1" : "0"); };
    bool ok = RkUI::RegistryText::Write(key, "UsePenSets", flag(usePenSets));
    ok = RkUI::RegistryText::Write(key, "PenSetsByResolution", flag(penSetsByResolution)) && ok;
    ok = RkUI::RegistryText::Write(key, "PlainLineWeight", flag(plainLineWeightOnPaper)) && ok;
    ok = RkUI::RegistryText::Write(key, "Flag4", flag(fourthFlag)) && ok;
    ok = RkUI::RegistryText::Write(key, "LineWeightScale", scale) && ok;
    ok = RkUI::RegistryText::Write(key, "ColorMode", std::to_string(colorMode >= 0 && colorMode <= 2 ? colorMode : 0)) && ok;
    return ok;
}
