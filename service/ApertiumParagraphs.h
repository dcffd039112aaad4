// A text's lines through an Apertium pipeline by paragraphs: the lines
// between blank lines go together, so that a sentence broken over lines is
// translated as one sentence, and each line still comes back as one line.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace service {

// Translates stream-format segments: one reply for each, or nothing.
using SegmentTranslator = std::function<std::optional<std::vector<std::string>>(
    const std::vector<std::string>& segments)>;

// Every paragraph goes as one segment. A paragraph whose line breaks do not
// come back as they were sent is translated once more a line at a time.
// Blank lines stay as they are and need no translation.
std::optional<std::vector<std::string>> TranslateParagraphs(
    const std::vector<std::string>& lines, const SegmentTranslator& translate);

} // namespace service
