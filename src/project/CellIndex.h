#pragma once

#include "project/Project.h"

#include <cstddef>
#include <string_view>
#include <unordered_map>

// The four numbers that name a cell in INF section headers and ECL item titles.
struct CellKey {
    int vts = 0;
    int subId = 0;
    int vobId = 0;
    int cellId = 0;

    bool operator==(const CellKey &) const = default;
    static CellKey of(const Cell &cell) { return {cell.vts, cell.subId, cell.vobId, cell.cellId}; }
    bool matches(const Cell &cell) const { return *this == of(cell); }
};

struct CellKeyHash {
    std::size_t operator()(const CellKey &key) const
    {
        std::size_t h = std::size_t(unsigned(key.vts));
        h = h * 1000003u ^ std::size_t(unsigned(key.subId));
        h = h * 1000003u ^ std::size_t(unsigned(key.vobId));
        h = h * 1000003u ^ std::size_t(unsigned(key.cellId));
        return h;
    }
};

// INF section header "[Vttssssvvvvvccc]": exactly 17 characters.
bool isSectionHeader(std::string_view line);
CellKey parseSectionHeader(std::string_view line);
// ECL item title "title=Vttssssvvvvvccc".
CellKey parseItemTitle(std::string_view line);

// Finds cells by identity in one lookup. Built once per save so that writing a file is
// linear in its size. When two cells share an identity, the later one in model order wins.
class CellIndex {
public:
    struct Entry {
        const Segment *segment = nullptr;
        const Cell *cell = nullptr;
    };

    explicit CellIndex(const Project &project);
    Entry find(const CellKey &key) const;

private:
    std::unordered_map<CellKey, Entry, CellKeyHash> m_cells;
};
