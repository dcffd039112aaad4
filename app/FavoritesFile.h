// The favorites file: every "Add to and Edit Favorites" appends the input, the
// route of the last plan and the output as one block of lines.
#pragma once

#include <string>
#include <vector>

// The block for one entry, each line ended by this platform's line end.
std::string FavoritesEntry(const std::vector<std::string>& inputLines, const std::string& route,
    const std::vector<std::string>& outputLines);

// Appends to the file, creating it when it is missing, never through a link
// that another user made or that leads to a file of another user's.
// Returns the reason when the file cannot be opened for appending (then
// nothing is written) or the entry cannot be written whole; empty on
// success.
std::string AppendToFavorites(const std::string& fileName, const std::string& entry);
