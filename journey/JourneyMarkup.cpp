#include "journey/JourneyMarkup.h"

#include <QString>

namespace {

const char* const InsertedStyle = "background-color:#c6efce";
const char* const ReplacedStyle = "background-color:#ffe08a";
const char* const DeletedStyle = "color:#9c0006;text-decoration:line-through";

// XML 1.0 allows tab, line feed, carriage return and everything from the
// space up, less the two non-characters at the end of the first plane.
bool AllowedInXml(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

const char16_t* Escape(char16_t c)
{
    switch (c) {
    case u'&':
        return u"&amp;";
    case u'<':
        return u"&lt;";
    case u'>':
        return u"&gt;";
    case u'"':
        return u"&quot;";
    case u'\'':
        return u"&#39;";
    default:
        return nullptr;
    }
}

// Line breaks of any kind become one <br/> each; other blanks stay blanks.
std::string SpaceMarkup(std::string_view space)
{
    std::string markup;
    for (std::size_t at = 0; at < space.size(); ++at) {
        if (space[at] == '\r' && at + 1 < space.size() && space[at + 1] == '\n')
            continue;
        markup += space[at] == '\r' || space[at] == '\n' ? std::string("<br/>") : " ";
    }
    return markup;
}

const char* StyleOf(Change change)
{
    switch (change) {
    case Change::Inserted:
        return InsertedStyle;
    case Change::Replaced:
        return ReplacedStyle;
    case Change::Deleted:
        return DeletedStyle;
    case Change::Same:
        break;
    }
    return nullptr;
}

} // namespace

std::string EscapeMarkup(std::string_view text)
{
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString escaped;
    escaped.reserve(decoded.size());
    for (const QChar c : decoded) {
        if (const char16_t* entity = Escape(c.unicode()))
            escaped += QString::fromUtf16(entity);
        else if (AllowedInXml(c.unicode()))
            escaped += c;
    }
    return escaped.toUtf8().toStdString();
}

std::string TextMarkup(std::string_view text)
{
    // A final line break adds no line.
    text = text.substr(0, text.find_last_not_of("\r\n") + 1);
    std::string markup;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t lineEnd = std::min(text.find_first_of("\r\n", from), text.size());
        markup += EscapeMarkup(text.substr(from, lineEnd - from));
        const std::size_t next = std::min(text.find_first_not_of("\r\n", lineEnd), text.size());
        markup += SpaceMarkup(text.substr(lineEnd, next - lineEnd));
        from = next;
    }
    return markup;
}

std::string ChangesMarkup(const std::vector<DiffPiece>& pieces)
{
    std::string markup;
    const DiffPiece* previous = nullptr;
    for (const DiffPiece& piece : pieces) {
        markup += SpaceMarkup(SpaceBetween(previous, piece));
        const std::string text = EscapeMarkup(piece.text);
        if (const char* style = StyleOf(piece.change))
            markup += std::string("<span style=\"") + style + "\">" + text + "</span>";
        else
            markup += text;
        previous = &piece;
    }
    return markup;
}

std::string RoundText(int round)
{
    return "Round " + std::to_string(round);
}
