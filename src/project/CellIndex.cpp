#include "project/CellIndex.h"

#include "common/Convert.h"

bool isSectionHeader(std::string_view line)
{
    return line.size() == 17 && startsWith(line, "[V");
}

CellKey parseSectionHeader(std::string_view line)
{
    return {leadingInt(line.substr(2, 2)), leadingInt(line.substr(4, 4)), leadingInt(line.substr(8, 5)),
            leadingInt(line.substr(13, 3))};
}

CellKey parseItemTitle(std::string_view line)
{
    // substr() past the end gives an empty field, which reads as 0.
    auto field = [line](std::size_t position, std::size_t width) {
        return position < line.size() ? leadingInt(line.substr(position, width)) : 0;
    };
    return {field(7, 2), field(9, 4), field(13, 5), field(18, 3)};
}

CellIndex::CellIndex(const Project &project)
{
    for (const Segment &segment : project.segments) {
        for (const Cell &cell : segment.cells)
            m_cells[CellKey::of(cell)] = Entry{&segment, &cell};
    }
}

CellIndex::Entry CellIndex::find(const CellKey &key) const
{
    const auto found = m_cells.find(key);
    return found == m_cells.end() ? Entry{} : found->second;
}
