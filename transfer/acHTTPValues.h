// The numbers and texts the HTTP request component derives from a reply:
// progress figures, header dates, and media types for uploaded files.
#pragma once

#include <cstdint>
#include <string>

// Day count since 30 December 1899, the fraction being the time of day.
using TDateTime = double;

struct TacProgressValues {
    int DataSize = 0;
    int BytesRead = 0;
    int ElapsedTime = 0;
    int EstimatedTimeLeft = 0;
    std::uint8_t PercentsDone = 0;
    float TransferRate = 0;
};

// DataSize and BytesRead as the transfer counts them (from the range start);
// the event figures include the range start where the transfer reports it.
TacProgressValues ComputeProgress(std::int64_t dataSize, std::int64_t bytesRead,
    std::int64_t rangeStart, std::uint64_t elapsedMilliseconds);

// An HTTP date (RFC 1123, RFC 850 or the C library's asctime form) in local
// time; 0 when the text is empty or cannot be read.
TDateTime HeaderDateToDateTime(const std::string& text);

// The media type of an uploaded file by its extension.
std::string MimeTypeForFileName(const std::string& fileName);
