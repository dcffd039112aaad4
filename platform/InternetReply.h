// The status line and headers of one reply, gathered line by line as they
// arrive; a new status line (an interim reply, an authentication round, a
// redirect) starts afresh.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class InternetReply {
public:
    void Clear();
    // One line with or without its line end. True when it closed the headers.
    bool AddLine(std::string_view line);

    bool HasStatus() const { return !statusLine_.empty(); }
    bool Complete() const { return complete_; }
    // The code as a number, 0 when there is none or it is not a number.
    int StatusCode() const;
    std::optional<std::string> StatusCodeText() const;
    // The first header of that name (case does not matter).
    std::optional<std::string> Header(std::string_view name) const;
    // Status line and header lines, each with CR LF, and a closing CR LF.
    std::string Raw() const;

private:
    std::string statusLine_;
    std::vector<std::pair<std::string, std::string>> headers_;
    bool complete_ = false;
};

} // namespace platform
