#include "run/RunFailures.h"

#include "run/HopDetails.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

const int TooLargeStatus = 413; // the service refuses a request over its size limit
const std::string CertificateRefused = "Server certificate refused: ";

std::string WithFullStop(std::string text)
{
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

std::string AnsweredText(const StepFailure& step)
{
    const std::string phrase = HttpReasonPhrase(step.status);
    return HopName(step.sourceCode, step.targetCode) + ": the service answered "
        + std::to_string(step.status) + (phrase.empty() ? "" : " " + phrase)
        + (step.reason.empty() ? "." : ": " + WithFullStop(step.reason));
}

std::string SecondsText(std::uint32_t milliseconds)
{
    const std::uint32_t seconds = (milliseconds + 999) / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

std::string NoAnswerText(std::uint32_t receiveTimeout)
{
    if (receiveTimeout == 0)
        return "No answer from the translation service in time.";
    return "No answer from the translation service for " + SecondsText(receiveTimeout) + ".";
}

// What the internet client saw, in a sentence; empty when it saw nothing.
std::string ClientText(const StepFailure& step)
{
    using platform::InternetError;
    const platform::InternetFailure& failure = step.failure;
    switch (failure.Code) {
    case InternetError::None:
        return {};
    case InternetError::TimedOut:
        return NoAnswerText(step.receiveTimeout);
    case InternetError::CertificateNameInvalid:
    case InternetError::CertificateDateInvalid:
    case InternetError::CertificateUnknownAuthority:
    case InternetError::CertificateInvalid: {
        std::string reason = failure.Text;
        if (reason.starts_with(CertificateRefused))
            reason.erase(0, CertificateRefused.size());
        return WithFullStop("The server certificate was refused: " + reason);
    }
    case InternetError::InvalidUrl:
        return "The address \"" + step.url + "\" is not a web address the program can use.";
    case InternetError::TooManyRedirects:
        return "Too many redirects.";
    case InternetError::ConnectionRefused:
        return "No translation service answers at " + step.url + ".";
    case InternetError::NameNotResolved:
        return "The address " + step.url + " could not be found.";
    case InternetError::HostUnreachable:
        return "The address " + step.url + " cannot be reached.";
    case InternetError::InvalidReply:
        return "The answer was not an HTTP reply.";
    case InternetError::ConnectionLost:
        return "The reply was cut off.";
    case InternetError::SecureChannelFailed:
        return WithFullStop("The secure connection failed: " + failure.Text);
    default:
        return failure.Text.empty() ? std::string() : WithFullStop(failure.Text);
    }
}

} // namespace

std::string StepFailureMessage(const StepFailure& step)
{
    if (step.status == TooLargeStatus)
        return "Error: the text is too long for the translation service.";
    if (step.failure.Code == platform::InternetError::ReplyTooLarge)
        return "Error: the reply page is larger than "
            + std::to_string(MaximumReplyPageSize / (1024 * 1024))
            + " MiB; its download was stopped.";
    if (step.tooSlow)
        return "Error. The reply did not come whole within " + SecondsText(step.receiveTimeout)
            + " of its start.";
    std::string cause = ClientText(step);
    if (cause.empty() && step.cutOff)
        cause = "The reply was cut off.";
    if (cause.empty() && step.status > 0)
        cause = AnsweredText(step);
    return cause.empty() ? "Error." : "Error. " + cause;
}

std::string ServiceReason(const std::string& body, int status)
{
    const std::string line(text::Trim(body));
    const bool plain = std::none_of(line.begin(), line.end(),
        [](char c) { return c == '<' || (static_cast<unsigned char>(c) < 0x20 && c != '\t'); });
    if (body.size() > LongestServiceValue || line.empty() || !plain
        || text::SameText(line, HttpReasonPhrase(status)))
        return {};
    return line;
}

std::string HttpReasonPhrase(int status)
{
    static const std::array<std::pair<int, const char*>, 18> phrases = { {
        { 400, "Bad Request" },
        { 401, "Unauthorized" },
        { 403, "Forbidden" },
        { 404, "Not Found" },
        { 405, "Method Not Allowed" },
        { 408, "Request Timeout" },
        { 410, "Gone" },
        { 413, "Content Too Large" },
        { 415, "Unsupported Media Type" },
        { 421, "Misdirected Request" },
        { 429, "Too Many Requests" },
        { 431, "Request Header Fields Too Large" },
        { 500, "Internal Server Error" },
        { 501, "Not Implemented" },
        { 502, "Bad Gateway" },
        { 503, "Service Unavailable" },
        { 504, "Gateway Timeout" },
        { 505, "HTTP Version Not Supported" },
    } };
    for (const auto& [code, phrase] : phrases) {
        if (code == status)
            return phrase;
    }
    return {};
}

std::string RefusalMessage(const std::string& message, const std::string& sourceCode,
    const std::string& targetCode, const std::string& reason)
{
    if (reason.empty())
        return message;
    return message + " " + HopName(sourceCode, targetCode) + ": " + WithFullStop(reason);
}
