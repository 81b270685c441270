#pragma once

// The script editor's favourite lines, kept one a line in Filters.txt in the settings folder.

#include <string>
#include <vector>

// The lines the editor offers: every line of the file longer than one character, sorted. A
// missing file offers nothing.
std::vector<std::string> readFavourites(const std::string &path);

// Puts `text` into a sorted favourites list unless the list holds exactly that text already.
void addToFavouriteList(std::vector<std::string> &favourites, const std::string &text);

enum class FavouriteAdded { Added, AlreadyThere, Failed };

// Appends `text` to the file unless one of its lines is exactly that text, creating the file
// when missing. The file is rewritten whole and replaced in one step, so a failure leaves it as
// it was, and a last line without a line end keeps its own line. `reason` says why it failed.
FavouriteAdded appendFavourite(const std::string &path, const std::string &text, std::string &reason);
