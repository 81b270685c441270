#pragma once

#include "common/Format.h"
#include "encoder/EncoderKinds.h"
#include "project/EclKeys.h"
#include "project/Project.h"

#include <string>
#include <string_view>

// The lines of an item that carry the encoder settings the settings windows own, written from
// the segment's settings: the same in the saved list and in a prediction's sample list, so a
// sample is encoded as its segment will be. `emit` takes each line written. Returns how many
// lines after `line` the key takes with it (their values are written here, so the caller skips
// them), or -1 when `key` is not one of these settings and the caller writes the line itself.
template <typename Emit>
int writeSettingLines(EclKey key, const std::string &line, const EncoderSettings &s, const CceKind &kind, Emit &&emit)
{
    using Key = EclKey;
    const auto write = [&emit](Key written, int value) {
        const std::string_view text = eclKeyText(written);
        emit(cformat("%.*s%d", int(text.size()), text.data(), value));
    };
    switch (key) {
    case Key::GopNm:
        write(Key::GopNm, s.gopHeader == 12 ? 4 : 5);
        write(Key::GopHdr, s.gopHeader == 12 ? 12 : 15);
        return 1; // the "gop_hdr=" line after it
    case Key::IntraDc9Max: write(key, s.intraDcPrecision > 0 ? 113 : 1); return 0;
    case Key::IntraDc10Max: write(key, s.intraDcPrecision > 1 ? 113 : 1); return 0;
    case Key::QualityPrec:
    case Key::QCharF: write(key, s.quality); return 0;
    case Key::VbrBias: write(key, s.vbrBias); return 0;
    case Key::OpvBrateMin: write(key, s.minBitrate); return 0;
    case Key::OpvBrateMax: write(key, s.maxBitrate); return 0;
    case Key::QmatIdx:
        write(key, s.qmatIndex);
        if (s.qmatIndex == -1) {
            emit(std::string("qmat="));
            for (const std::string &matrixLine : s.qmatLines)
                emit(matrixLine);
        }
        return 0;
    case Key::Qmat: return eclQmatLineCount; // its matrix, written after "qmat_idx="
    case Key::UseFilter:
        write(key, s.useFilter);
        write(Key::FilterVal, s.filterValue);
        return 0;
    case Key::VFilter:
        write(key, s.useFilter);
        write(Key::VFilterVal, s.filterValue);
        return 0;
    case Key::Dither:
        write(key, s.dither);
        if (kind.ditherPerPlane) {
            write(Key::DitherYMax, s.ditherMax);
            write(Key::DitherCMax, s.ditherCMax);
        } else {
            write(Key::DitherMax, s.ditherMax);
        }
        return 0;
    case Key::HFilter:
        write(key, s.hFilter);
        if (kind.lowPassIndexPair) {
            write(Key::HFilterIdx, s.hFilterIndex / 4);
            write(Key::HFilterIdx2, s.hFilterIndex % 4);
        } else {
            write(Key::HFilterIdx, s.hFilterIndex);
        }
        return 0;
    case Key::FilterVal:
    case Key::VFilterVal:
    case Key::DitherMax:
    case Key::DitherYMax:
    case Key::DitherCMax:
    case Key::HFilterIdx:
    case Key::HFilterIdx2: return 0; // written after the key before them
    case Key::AlternateScan:
    case Key::Progressive: {
        // When the cells disagree, each item keeps its own value.
        const int value = key == Key::AlternateScan ? s.alternateScan : s.progressive;
        if (value != -1)
            write(key, value);
        else
            emit(line);
        return 0;
    }
    case Key::AdjustQMatrix: write(key, s.adjustQMatrix); return 0;
    case Key::NoMove: write(key, s.noMove); return 0;
    default: return -1;
    }
}
