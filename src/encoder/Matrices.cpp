#include "encoder/Matrices.h"

#include "common/Convert.h"
#include "common/TextFile.h"
#include "platform/Desktop.h"
#include "project/Project.h"

std::optional<MatrixLines> readMatricesFile(const std::string &path)
{
    LineReader in;
    if (!in.open(path))
        return std::nullopt;
    MatrixLines lines;
    for (std::string &line : lines) {
        if (!in.next(line))
            return std::nullopt;
        // A carriage return ends the line wherever it stands, not only before the line feed.
        line = line.substr(0, line.find('\r'));
        if (line.size() < shortestMatrixLine || line.size() > longestMatrixLine)
            return std::nullopt;
    }
    if (leadingInt(lines[0]) != firstMatrixValue)
        return std::nullopt;
    return lines;
}

MatricesLoad loadCustomMatrices(Segment &segment, Desktop &desktop)
{
    const std::optional<std::string> path =
        desktop.chooseOpenFile(matricesChooserTitle, parseFilterString(matricesChooserFilter), {});
    if (!path)
        return MatricesLoad::Cancelled;
    EncoderSettings &settings = segment.settings;
    const std::optional<MatrixLines> lines = readMatricesFile(*path);
    if (!lines) {
        desktop.showMessage(matricesErrorMessage, Desktop::Icon::Error);
        // The segment can no longer claim a custom matrix it may not have: fall back to the
        // built-in standard one.
        if (settings.qmatIndex == -1)
            settings.qmatIndex = 0;
        return MatricesLoad::Failed;
    }
    settings.qmatLines = *lines;
    settings.qmatIndex = -1;
    return MatricesLoad::Loaded;
}
