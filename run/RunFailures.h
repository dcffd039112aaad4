// The words a failed step's status bar text ends with: what the translation
// service answered, or what the internet client saw on the way, so that a
// failure names its cause and, where the service answered, the hop.
#pragma once

#include "platform/InternetClient.h"

#include <cstdint>
#include <string>

// A reply page larger than this is not read on.
inline constexpr std::int64_t MaximumReplyPageSize = 16 * 1024 * 1024;

struct StepFailure {
    std::string url; // the service's address
    std::string sourceCode;
    std::string targetCode;
    // The status of a reply that was not a success; 0 when none came.
    int status = 0;
    // A successful reply whose body stopped short of its announced length.
    bool cutOff = false;
    platform::InternetFailure failure;
    std::uint32_t receiveTimeout = 0; // milliseconds, 0 for none
    // A reply that had begun and did not come whole within receiveTimeout.
    bool tooSlow = false;
    // The reason a service that refused the request gave, as ServiceReason
    // reads it; empty when it gave none.
    std::string reason;
};

// The reason in the body of a reply with this status: a short line of plain
// text ("the text is not UTF-8"), as the program's own service gives; empty
// for a page, a text longer than LongestServiceValue or a line that only repeats the status phrase.
std::string ServiceReason(const std::string& body, int status);

// "Error." followed by the cause, or one of the messages that name their
// cause alone ("Error: the text is too long for the translation service.").
std::string StepFailureMessage(const StepFailure& step);

// "Not Found" for 404; empty for a status it does not know.
std::string HttpReasonPhrase(int status);

// The refusal message followed by the hop and the service's reason, when it
// gave one.
std::string RefusalMessage(const std::string& message, const std::string& sourceCode,
    const std::string& targetCode, const std::string& reason);
