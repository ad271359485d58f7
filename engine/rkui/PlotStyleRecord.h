// The plot style the print manager keeps: whether pen sets are used and chosen by resolution,
// plain line weights on paper, a fourth flag, the line-weight scale and the colour mode
// (0 colour, 1 grey, 2 black and white). Kept as texts under "<program key><key>" (the caller
// passes "PrintCfg\plot"); a value that is missing or out of range reads as its default.
#pragma once

#include <string>

struct PlotStyleRecord
{
    int usePenSets = 1;
    int penSetsByResolution = 0;
    int plainLineWeightOnPaper = 1;
    int fourthFlag = 0;
    double lineWeightScale = 1.0;
    int colorMode = 0;

    void Load(const std::string& key);
    bool Save(const std::string& key) const;
};
