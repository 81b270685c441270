#pragma once

#include <cstddef>
#include <string_view>

// The keys of an item of a CCE encoding list that the program reads or writes. Every key but
// the title ends with its only "=", so a line begins with a key exactly when its text up to the
// first "=" is that key: one lookup a line finds it.
enum class EclKey {
    None,
    Title, // "title=V...", the item's cell
    // What the project's model keeps of an item, and the save writes back.
    VbrBrateAvg, GopNm, GopHdr, IntraDcPrec, IntraDc9Max, IntraDc10Max, VbrPass, Name, QualityPrec, QCharF,
    PictQchar, VbrBias, VbrBrateMin, VbrBrateMax, OpvQFactor, OpvBrateMin, OpvBrateMax, VideoType, Vmode, PictType,
    FilterOff, FilterOn, PictComplexity, QmatIdx, Qmat, UseFilter, VFilter, FilterVal, VFilterVal, Dither, DitherMax,
    DitherYMax, DitherCMax, HFilter, HFilterIdx, HFilterIdx2, AlternateScan, AdjustQMatrix, NoMove, Progressive,
    // Set only in the sample list of an OPV prediction.
    VidFile0, VidFile1, VafOut, FrameLast, EncodeLast, FixGopLength,
};

// The lines of a custom matrix that follow "qmat=".
constexpr int eclQmatLineCount = 16;

struct EclKeyedLine {
    EclKey key = EclKey::None;
    std::size_t valueAt = 0; // where the value starts in the line
};

EclKeyedLine classifyEclLine(std::string_view line);
// The key's text with its "="; empty for None and Title.
std::string_view eclKeyText(EclKey key);
// A key the project's model keeps (the title is not one).
inline bool isProjectKey(EclKey key)
{
    return key > EclKey::Title && key < EclKey::VidFile0;
}
