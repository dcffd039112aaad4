#include "transfer/acHTTPValues.h"

#include "text/AsciiText.h"
#include "text/FileNames.h"

#include <QDateTime>
#include <QTimeZone>
#include <array>
#include <cmath>
#include <map>
#include <sstream>
#include <vector>

namespace {

// Rounds to the nearest integer, halves to the even neighbour.
std::int64_t RoundHalfEven(double value)
{
    return static_cast<std::int64_t>(std::nearbyint(value));
}

const std::array<const char*, 12> monthNames { "jan", "feb", "mar", "apr", "may", "jun", "jul",
    "aug", "sep", "oct", "nov", "dec" };

int MonthNumber(std::string name)
{
    if (name.size() < 3)
        return 0;
    name = name.substr(0, 3);
    for (char& character : name)
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    for (size_t index = 0; index < monthNames.size(); ++index)
        if (name == monthNames[index])
            return static_cast<int>(index) + 1;
    return 0;
}

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

int FullYear(int year)
{
    if (year < 80)
        return year + 2000;
    if (year < 100)
        return year + 1900;
    return year;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

struct DateParts {
    int day = 0;
    int month = 0;
    int year = -1;
    std::string time;
    std::string zone;
};

// "06 Nov 1994 08:49:37 GMT", "06-Nov-94 08:49:37 GMT" or "Nov 6 08:49:37 1994",
// the weekday already removed.
bool SplitDate(const std::vector<std::string>& words, DateParts& parts)
{
    if (words.size() >= 2 && words[0].find('-') != std::string::npos) {
        const std::string& date = words[0];
        const size_t first = date.find('-');
        const size_t second = date.find('-', first + 1);
        if (second == std::string::npos)
            return false;
        const std::string day = date.substr(0, first);
        const std::string year = date.substr(second + 1);
        if (!IsNumber(day) || !IsNumber(year))
            return false;
        parts = { std::stoi(day), MonthNumber(date.substr(first + 1, second - first - 1)),
            FullYear(std::stoi(year)), words[1], words.size() > 2 ? words[2] : "" };
        return true;
    }
    if (words.size() >= 4 && MonthNumber(words[0]) != 0 && IsNumber(words[1])
        && IsNumber(words[3])) {
        parts = { std::stoi(words[1]), MonthNumber(words[0]), FullYear(std::stoi(words[3])),
            words[2], "" };
        return true;
    }
    if (words.size() >= 4 && IsNumber(words[0]) && IsNumber(words[2])) {
        parts = { std::stoi(words[0]), MonthNumber(words[1]), FullYear(std::stoi(words[2])),
            words[3], words.size() > 4 ? words[4] : "" };
        return true;
    }
    return false;
}

// Seconds east of GMT for "+hhmm" / "-hhmm"; named zones count as GMT.
int ZoneOffsetSeconds(const std::string& zone)
{
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-') || !IsNumber(zone.substr(1)))
        return 0;
    const int seconds = std::stoi(zone.substr(1, 2)) * 3600 + std::stoi(zone.substr(3, 2)) * 60;
    return zone[0] == '-' ? -seconds : seconds;
}

TDateTime ToDayCount(const QDateTime& local)
{
    static const QDate origin(1899, 12, 30);
    const double days = static_cast<double>(origin.daysTo(local.date()));
    return days + local.time().msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

TacProgressValues ComputeProgress(std::int64_t dataSize, std::int64_t bytesRead,
    std::int64_t rangeStart, std::uint64_t elapsedMilliseconds)
{
    TacProgressValues values;
    values.DataSize = static_cast<int>(dataSize + rangeStart);
    values.BytesRead = static_cast<int>(bytesRead + rangeStart);
    const std::int64_t divisor = dataSize + rangeStart;
    if (divisor != 0)
        values.PercentsDone = static_cast<std::uint8_t>(
            RoundHalfEven(static_cast<double>(bytesRead + rangeStart) * 100 / divisor));
    const auto elapsed = static_cast<std::int64_t>(elapsedMilliseconds / 1000);
    values.ElapsedTime = static_cast<int>(elapsed);
    if (dataSize == 0 || bytesRead == 0)
        values.EstimatedTimeLeft = static_cast<int>(-elapsed);
    else
        values.EstimatedTimeLeft = static_cast<int>(
            RoundHalfEven(static_cast<double>(dataSize) / static_cast<double>(bytesRead) * elapsed)
            - elapsed);
    values.TransferRate = static_cast<float>(bytesRead) / 1024.0f;
    if (elapsed != 0)
        values.TransferRate /= static_cast<float>(elapsed);
    return values;
}

TDateTime HeaderDateToDateTime(const std::string& text)
{
    std::string cleaned(text::Trim(text));
    for (char& character : cleaned)
        if (character == ',')
            character = ' ';
    std::vector<std::string> words = Words(cleaned);
    // The weekday, when there is one, is the only leading word of letters
    // that is not a month.
    if (!words.empty() && std::isalpha(static_cast<unsigned char>(words[0][0]))
        && MonthNumber(words[0]) == 0)
        words.erase(words.begin());
    DateParts parts;
    if (!SplitDate(words, parts))
        return 0;
    const QDate date(parts.year, parts.month, parts.day);
    const QTime time
        = QTime::fromString(QString::fromLatin1(parts.time.c_str()), QStringLiteral("hh:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return 0;
    QDateTime moment(date, time, QTimeZone::utc());
    moment = moment.addSecs(-ZoneOffsetSeconds(parts.zone));
    return ToDayCount(moment.toLocalTime());
}

std::string MimeTypeForFileName(const std::string& fileName)
{
    static const std::map<std::string, std::string> types {
        { "bmp", "image/bmp" },
        { "css", "text/css" },
        { "csv", "text/csv" },
        { "doc", "application/msword" },
        { "gif", "image/gif" },
        { "gz", "application/gzip" },
        { "htm", "text/html" },
        { "html", "text/html" },
        { "jpe", "image/jpeg" },
        { "jpeg", "image/jpeg" },
        { "jpg", "image/jpeg" },
        { "js", "text/javascript" },
        { "json", "application/json" },
        { "mp3", "audio/mpeg" },
        { "pdf", "application/pdf" },
        { "png", "image/png" },
        { "svg", "image/svg+xml" },
        { "tif", "image/tiff" },
        { "tiff", "image/tiff" },
        { "txt", "text/plain" },
        { "wav", "audio/wav" },
        { "webp", "image/webp" },
        { "xml", "application/xml" },
        { "zip", "application/zip" },
    };
    const std::string_view dotted = text::ExtensionPart(fileName);
    if (dotted.empty())
        return "application/octet-stream";
    std::string extension(dotted.substr(1));
    for (char& character : extension)
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    const auto found = types.find(extension);
    return found == types.end() ? "application/octet-stream" : found->second;
}
