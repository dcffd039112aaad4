// Feeds arbitrary reply pages through the extraction and the clean-up.
#include "run/TranslationReply.h"

#include <cstdint>
#include <string>

namespace {

class DiscardingLog : public TDebugLog {
public:
    void Append(const std::string& text) override { appended += text.size(); }
    std::size_t appended = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string page(reinterpret_cast<const char*>(data), size);
    std::string status;
    DiscardingLog log;
    const std::string text = ExtractTranslationFromPage(page, status, log);
    if (text.empty() == status.empty())
        __builtin_trap(); // exactly one of a text and a message
    FixReplyText(page);
    return 0;
}
