#include "journey/WordDiff.h"

#include <QString>
#include <algorithm>
#include <map>
#include <unordered_map>

namespace {

// Beyond this many word edits between two texts, the part between their
// common beginning and end is shown as wholly replaced: the search for the
// fewest edits costs time and memory in the square of their number.
constexpr int MostEdits = 1000;

bool IsWordCharacter(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return QChar::isLetterOrNumber(c) || category == QChar::Mark_NonSpacing
        || category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing;
}

bool IsJoiner(char32_t c)
{
    return c == U'\'' || c == U'\u2019' || c == U'-';
}

std::string Utf8(const std::u32string& codes, std::size_t from, std::size_t count)
{
    return QString::fromUcs4(codes.data() + from, static_cast<qsizetype>(count))
        .toUtf8()
        .toStdString();
}

// Where the word starting at start ends.
std::size_t WordEnd(const std::u32string& codes, std::size_t start)
{
    if (!IsWordCharacter(codes[start]))
        return start + 1;
    std::size_t end = start + 1;
    while (end < codes.size()) {
        if (IsWordCharacter(codes[end]))
            end += 1;
        else if (IsJoiner(codes[end]) && end + 1 < codes.size() && IsWordCharacter(codes[end + 1]))
            end += 2;
        else
            break;
    }
    return end;
}

bool IsWord(const std::string& text)
{
    const std::u32string codes = QString::fromUtf8(text).toStdU32String();
    return !codes.empty() && IsWordCharacter(codes.front());
}

enum class Edit { Keep, Delete, Insert };

// Numbers each distinct word, so that the edit search compares numbers.
std::pair<std::vector<int>, std::vector<int>> Numbered(
    const std::vector<Word>& before, const std::vector<Word>& after)
{
    std::unordered_map<std::string, int> numbers;
    const auto number = [&](const Word& word) {
        return numbers.try_emplace(word.text, static_cast<int>(numbers.size())).first->second;
    };
    std::pair<std::vector<int>, std::vector<int>> result;
    for (const Word& word : before)
        result.first.push_back(number(word));
    for (const Word& word : after)
        result.second.push_back(number(word));
    return result;
}

// Myers's search for the fewest edits that turn a into b, walking back along
// the furthest reach of each diagonal recorded for every edit count. Empty
// when more than MostEdits edits are needed.
class EditSearch {
public:
    EditSearch(const std::vector<int>& a, const std::vector<int>& b)
        : a(a), b(b), limit(std::min(static_cast<int>(a.size() + b.size()), MostEdits))
    {
    }

    std::vector<Edit> Run()
    {
        const int n = static_cast<int>(a.size());
        const int m = static_cast<int>(b.size());
        std::vector<int> reach(2 * static_cast<std::size_t>(limit) + 3, 0);
        for (int d = 0; d <= limit; ++d) {
            trace.emplace_back(reach.begin() + Index(-d), reach.begin() + Index(d) + 1);
            for (int k = -d; k <= d; k += 2) {
                const bool down = k == -d || (k != d && At(reach, k - 1) < At(reach, k + 1));
                int x = down ? At(reach, k + 1) : At(reach, k - 1) + 1;
                int y = x - k;
                while (x < n && y < m && a[x] == b[y])
                    ++x, ++y;
                reach[Index(k)] = x;
                if (x >= n && y >= m)
                    return Backtrack(d, n, m);
            }
        }
        return {};
    }

private:
    std::size_t Index(int k) const { return static_cast<std::size_t>(k + limit + 1); }
    int At(const std::vector<int>& reach, int k) const { return reach[Index(k)]; }

    std::vector<Edit> Backtrack(int edits, int x, int y) const
    {
        std::vector<Edit> script;
        for (int d = edits; d > 0; --d) {
            const std::vector<int>& reach = trace[static_cast<std::size_t>(d)];
            const auto at = [&](int k) { return reach[static_cast<std::size_t>(k + d)]; };
            const int k = x - y;
            const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
            const int previousK = down ? k + 1 : k - 1;
            const int previousX = at(previousK);
            const int previousY = previousX - previousK;
            while (x > previousX && y > previousY)
                script.push_back(Edit::Keep), --x, --y;
            script.push_back(down ? Edit::Insert : Edit::Delete);
            x = previousX;
            y = previousY;
        }
        script.insert(script.end(), static_cast<std::size_t>(x), Edit::Keep);
        std::reverse(script.begin(), script.end());
        return script;
    }

    const std::vector<int>& a;
    const std::vector<int>& b;
    const int limit;
    std::vector<std::vector<int>> trace; // the reach before each edit count, k from -d to d
};

// The edits that turn before into after: the common beginning and end are
// kept, and the part between them is searched or, beyond MostEdits, replaced.
std::vector<Edit> EditScript(const std::vector<Word>& before, const std::vector<Word>& after)
{
    auto [a, b] = Numbered(before, after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head
        && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const std::vector<int> middleA(a.begin() + head, a.end() - tail);
    const std::vector<int> middleB(b.begin() + head, b.end() - tail);
    std::vector<Edit> middle = EditSearch(middleA, middleB).Run();
    if (middle.empty()) {
        middle.assign(middleA.size(), Edit::Delete);
        middle.insert(middle.end(), middleB.size(), Edit::Insert);
    }
    std::vector<Edit> script(head, Edit::Keep);
    script.insert(script.end(), middle.begin(), middle.end());
    script.insert(script.end(), tail, Edit::Keep);
    return script;
}

// Turns a run of edits between two kept words into pieces: the words that
// are gone first, then those that came, which replace them if any went.
void AddChanges(std::vector<DiffPiece>& pieces, const std::vector<const Word*>& gone,
    const std::vector<const Word*>& came)
{
    for (const Word* word : gone)
        pieces.push_back({ Change::Deleted, word->space, word->text });
    const Change change = gone.empty() ? Change::Inserted : Change::Replaced;
    for (const Word* word : came)
        pieces.push_back({ change, word->space, word->text });
}

std::map<QString, int> WordCounts(std::string_view text)
{
    std::map<QString, int> counts;
    for (const Word& word : SplitWords(text))
        if (IsWord(word.text))
            counts[QString::fromUtf8(word.text).toCaseFolded()] += 1;
    return counts;
}

} // namespace

std::vector<Word> SplitWords(std::string_view text)
{
    const std::u32string codes
        = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU32String();
    std::vector<Word> words;
    std::size_t spaceStart = 0;
    std::size_t at = 0;
    while (at < codes.size()) {
        if (QChar::isSpace(codes[at])) {
            at += 1;
            continue;
        }
        const std::size_t end = WordEnd(codes, at);
        words.push_back({ Utf8(codes, spaceStart, at - spaceStart), Utf8(codes, at, end - at) });
        spaceStart = at = end;
    }
    return words;
}

std::vector<DiffPiece> DiffWords(std::string_view before, std::string_view after)
{
    const std::vector<Word> old = SplitWords(before);
    const std::vector<Word> now = SplitWords(after);
    std::vector<DiffPiece> pieces;
    std::vector<const Word*> gone;
    std::vector<const Word*> came;
    std::size_t x = 0;
    std::size_t y = 0;
    for (const Edit edit : EditScript(old, now)) {
        if (edit == Edit::Delete) {
            gone.push_back(&old[x++]);
        } else if (edit == Edit::Insert) {
            came.push_back(&now[y++]);
        } else {
            AddChanges(pieces, gone, came);
            gone.clear();
            came.clear();
            pieces.push_back({ Change::Same, now[y].space, now[y].text });
            ++x, ++y;
        }
    }
    AddChanges(pieces, gone, came);
    return pieces;
}

double WordSurvival(std::string_view input, std::string_view text)
{
    const std::map<QString, int> wanted = WordCounts(input);
    const std::map<QString, int> found = WordCounts(text);
    int total = 0;
    int kept = 0;
    for (const auto& [word, count] : wanted) {
        total += count;
        const auto match = found.find(word);
        if (match != found.end())
            kept += std::min(count, match->second);
    }
    return total == 0 ? 1.0 : static_cast<double>(kept) / total;
}

// A word that is gone keeps its blanks from the old text; one space stands
// for them, so that no line break shows that the new text lacks.
std::string SpaceBetween(const DiffPiece* previous, const DiffPiece& piece)
{
    if (!previous)
        return piece.change == Change::Deleted ? std::string() : piece.space;
    const bool wordsMeet = IsWord(previous->text) && IsWord(piece.text);
    if (piece.change == Change::Deleted)
        return !piece.space.empty() || wordsMeet ? " " : "";
    if (previous->change == Change::Deleted && piece.space.empty() && wordsMeet)
        return " ";
    return piece.space;
}
