#include "project/EclKeys.h"

#include <unordered_map>

namespace {

struct KeyName {
    EclKey key;
    std::string_view text;
};

using K = EclKey;
constexpr KeyName keyNames[] = {
    {K::VbrBrateAvg, "vbr_brate_avg="}, {K::GopNm, "gop_nm="},
    {K::GopHdr, "gop_hdr="}, {K::IntraDcPrec, "intra_dc_prec="},
    {K::IntraDc9Max, "intra_dc_precision_9_max="}, {K::IntraDc10Max, "intra_dc_precision_10_max="},
    {K::VbrPass, "vbr_pass="}, {K::Name, "name="},
    {K::QualityPrec, "quality_prec="}, {K::QCharF, "q_char_f="},
    {K::PictQchar, "pict_qchar="}, {K::VbrBias, "vbr_bias="},
    {K::VbrBrateMin, "vbr_brate_min="}, {K::VbrBrateMax, "vbr_brate_max="},
    {K::OpvQFactor, "opv_q_factor="}, {K::OpvBrateMin, "opv_brate_min="},
    {K::OpvBrateMax, "opv_brate_max="}, {K::VideoType, "video_type="},
    {K::Vmode, "vmode="}, {K::PictType, "pict_type="},
    {K::FilterOff, "filter_off="}, {K::FilterOn, "filter_on="},
    {K::PictComplexity, "pict_complexity="}, {K::QmatIdx, "qmat_idx="},
    {K::Qmat, "qmat="}, {K::UseFilter, "use_filter="},
    {K::VFilter, "v_filter="}, {K::FilterVal, "filter_val="},
    {K::VFilterVal, "v_filter_val="}, {K::Dither, "dither="},
    {K::DitherMax, "dither_max="}, {K::DitherYMax, "dither_Y_max="},
    {K::DitherCMax, "dither_C_max="}, {K::HFilter, "h_filter="},
    {K::HFilterIdx, "h_filter_idx="}, {K::HFilterIdx2, "h_filter_idx2="},
    {K::AlternateScan, "alternate_scan="}, {K::AdjustQMatrix, "adjust_q_matrix="},
    {K::NoMove, "no_move="}, {K::Progressive, "progressive="},
    {K::VidFile0, "vid_file0="}, {K::VidFile1, "vid_file1="},
    {K::VafOut, "vaf_out="}, {K::FrameLast, "frame_last="},
    {K::EncodeLast, "encode_last="}, {K::FixGopLength, "fix_gop_length="},
};

} // namespace

std::string_view eclKeyText(EclKey key)
{
    for (const KeyName &name : keyNames) {
        if (name.key == key)
            return name.text;
    }
    return {};
}

EclKeyedLine classifyEclLine(std::string_view line)
{
    static const std::unordered_map<std::string_view, EclKey> byText = [] {
        std::unordered_map<std::string_view, EclKey> map;
        for (const KeyName &name : keyNames)
            map.emplace(name.text, name.key);
        return map;
    }();
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    const std::string_view text = line.substr(0, equals + 1);
    if (text == "title=")
        return equals + 1 < line.size() && line[equals + 1] == 'V' ? EclKeyedLine{EclKey::Title, equals + 2}
                                                                   : EclKeyedLine{};
    const auto found = byText.find(text);
    return found == byText.end() ? EclKeyedLine{} : EclKeyedLine{found->second, equals + 1};
}
