// The small text and path operations the update check and the updater
// hand-off share. Every routine that looks for a separator accepts "\" and "/".
#pragma once

#include <string>

// Removes blanks, tabs, CR and LF at both ends.
std::string TrimBlanks(const std::string& text);

struct Split {
    std::string token;
    std::string rest;
};

// Splits text at the first delimiter outside double quotes; both parts are
// trimmed, quotes stay in the token. Without such a delimiter the token is
// the whole text.
Split SplitToken(const std::string& text, char delimiter);

// Replaces every LF by CR LF, including one that already follows a CR.
std::string ExpandLineBreaks(const std::string& text);

// The text before the last separator that is not the final character; the
// whole text when there is none.
std::string ParentPath(const std::string& text);

// Network paths ("//server/...") and relative paths count as present without
// a look; an absolute path is present when it names an entry that is not a
// folder.
bool FileExistsQuick(const std::string& path);

// The folder of the running program's file, ending in "/".
std::string ProgramFileDirectory();
