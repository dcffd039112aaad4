// The reply side of one step: cutting the translation out of the saved reply
// page and cleaning it up.
#pragma once

#include <string>

// Where the raw and fixed reply blocks go: the window's debug memo.
class TDebugLog {
public:
    virtual ~TDebugLog() = default;
    virtual void Append(const std::string& text) = 0;
};

// Returns the cleaned translation, or empty text with statusMessage set to
// the reason. The page is searched as bytes up to its first zero byte.
std::string ExtractTranslationFromPage(
    std::string page, std::string& statusMessage, TDebugLog& debugLog);

// The same for the page saved in the file.
std::string ExtractTranslation(
    const std::string& fileName, std::string& statusMessage, TDebugLog& debugLog);

std::string FixReplyText(const std::string& text);
