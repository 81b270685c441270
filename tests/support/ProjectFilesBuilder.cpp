#include "support/ProjectFilesBuilder.h"

#include "common/Format.h"

std::string sectionHeader(const CellEntry &cell)
{
    return cformat("[V%02d%04d%05d%03d]", cell.vts, cell.subId, cell.vobId, cell.cellId);
}

std::string itemTitle(const CellEntry &cell)
{
    return cformat("title=V%02d%04d%05d%03d", cell.vts, cell.subId, cell.vobId, cell.cellId);
}

CellEntry &ProjectFilesBuilder::add(int vts, int vobId, int cellId, int frames, int bitrate)
{
    CellEntry cell;
    cell.vts = vts;
    cell.vobId = vobId;
    cell.cellId = cellId;
    cell.frames = frames;
    cell.bitrate = bitrate;
    cells.push_back(cell);
    return cells.back();
}

std::string ProjectFilesBuilder::infText() const
{
    std::string text;
    for (const std::string &line : infHead)
        text += line + "\r\n";
    for (const CellEntry &cell : cells) {
        text += sectionHeader(cell) + "\r\n";
        text += cformat("Frame_Rate_Code=%d\r\n", cell.rateCode);
        text += cformat("Frames=%d\r\n", cell.frames);
        text += "Reduction=" + cell.reduction + "\r\n";
    }
    return text;
}

std::string ProjectFilesBuilder::eclText() const
{
    std::string text;
    for (const std::string &line : eclHead)
        text += line + "\r\n";
    for (const CellEntry &cell : cells) {
        text += "[item]\r\n" + itemTitle(cell) + "\r\n";
        text += cformat("name=C:\\DVD\\D2V\\V%02d_%03d.avs\r\n", cell.vts, cell.cellId);
        text += cformat("vbr_brate_avg=%d\r\n", cell.bitrate);
        for (const std::string &line : cell.itemLines)
            text += line + "\r\n";
    }
    return text;
}

std::string ProjectFilesBuilder::writeTo(const TempFolder &folder) const
{
    folder.write("Rebuilder.ECL", eclText());
    return folder.write("Rebuilder.INF", infText());
}
