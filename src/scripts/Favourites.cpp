#include "scripts/Favourites.h"

#include "common/TextFile.h"
#include "scripts/ScriptFiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>

namespace {

// The drop-down sorts as the user reads: letter case does not separate "Crop" from "crop".
bool sortsBefore(const std::string &a, const std::string &b)
{
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [&](char x, char y) { return lower(x) < lower(y); });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                      [&](char x, char y) { return lower(x) < lower(y); });
    return less || (!greater && a < b);
}

} // namespace

std::vector<std::string> readFavourites(const std::string &path)
{
    std::vector<std::string> favourites;
    LineReader in;
    if (!in.open(path))
        return favourites;
    std::string line;
    while (in.next(line)) {
        // A lone character is a stray key press, not a filter line.
        if (line.size() > 1)
            favourites.push_back(line);
    }
    std::stable_sort(favourites.begin(), favourites.end(), sortsBefore);
    return favourites;
}

void addToFavouriteList(std::vector<std::string> &favourites, const std::string &text)
{
    if (std::find(favourites.begin(), favourites.end(), text) != favourites.end())
        return;
    favourites.insert(std::upper_bound(favourites.begin(), favourites.end(), text, sortsBefore), text);
}

FavouriteAdded appendFavourite(const std::string &path, const std::string &text, std::string &reason)
{
    std::vector<std::string> lines;
    LineReader in;
    errno = 0;
    if (in.open(path)) {
        std::string line;
        while (in.next(line)) {
            if (line == text)
                return FavouriteAdded::AlreadyThere;
            lines.push_back(line);
        }
        if (in.failed()) {
            reason = systemErrorText();
            return FavouriteAdded::Failed;
        }
    } else {
        // A file that exists but cannot be read must not be replaced by the new line alone.
        std::error_code error;
        if (std::filesystem::exists(toFsPath(path), error) || error) {
            reason = systemErrorText();
            return FavouriteAdded::Failed;
        }
    }
    in.close();
    lines.push_back(text);
    errno = 0;
    LineWriter out;
    if (out.open(path)) {
        for (const std::string &line : lines)
            out.writeLine(line);
        if (out.commit())
            return FavouriteAdded::Added;
    }
    reason = systemErrorText();
    return FavouriteAdded::Failed;
}
