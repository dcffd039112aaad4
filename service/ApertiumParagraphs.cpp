#include "service/ApertiumParagraphs.h"

#include "service/ApertiumFormat.h"
#include "service/TextLines.h"

#include <span>

namespace service {

namespace {

using Lines = std::vector<std::string>;

// The runs of lines that are not blank.
std::vector<std::span<const std::string>> ParagraphsOf(const Lines& lines)
{
    std::vector<std::span<const std::string>> paragraphs;
    for (std::size_t first = 0; first < lines.size();) {
        std::size_t end = first;
        while (end < lines.size() && !IsBlank(lines[end]))
            ++end;
        if (end > first)
            paragraphs.emplace_back(lines.data() + first, end - first);
        first = end + 1;
    }
    return paragraphs;
}

std::optional<Lines> TranslateAll(const SegmentTranslator& translate, const Lines& segments)
{
    auto replies = translate(segments);
    if (replies && replies->size() != segments.size())
        return std::nullopt;
    return replies;
}

// The lines at these places, each as a segment of its own.
bool TranslateLineByLine(
    const SegmentTranslator& translate, const std::vector<std::size_t>& places, Lines& lines)
{
    Lines segments;
    for (const std::size_t place : places)
        segments.push_back(ApertiumSegment(lines[place]));
    const auto replies = TranslateAll(translate, segments);
    if (!replies)
        return false;
    for (std::size_t i = 0; i < places.size(); ++i)
        lines[places[i]] = LineOfApertiumSegment((*replies)[i], lines[places[i]]);
    return true;
}

} // namespace

std::optional<Lines> TranslateParagraphs(const Lines& lines, const SegmentTranslator& translate)
{
    const auto paragraphs = ParagraphsOf(lines);
    if (paragraphs.empty())
        return lines;
    Lines segments;
    for (const auto& paragraph : paragraphs)
        segments.push_back(ParagraphSegment(paragraph));
    const auto replies = TranslateAll(translate, segments);
    if (!replies)
        return std::nullopt;
    Lines translated = lines;
    std::vector<std::size_t> again;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const auto first = static_cast<std::size_t>(paragraphs[i].data() - lines.data());
        const auto read = LinesOfParagraphSegment((*replies)[i], paragraphs[i]);
        for (std::size_t k = 0; k < paragraphs[i].size(); ++k) {
            if (read)
                translated[first + k] = (*read)[k];
            else
                again.push_back(first + k);
        }
    }
    if (!again.empty() && !TranslateLineByLine(translate, again, translated))
        return std::nullopt;
    return translated;
}

} // namespace service
