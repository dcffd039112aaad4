#include "service/TranslationService.h"

#include "service/FormFields.h"
#include "service/LanguageCodes.h"
#include "service/ReplyPage.h"
#include "service/TextLines.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <utility>

namespace service {

namespace {

const std::string HtmlType = "text/html; charset=utf-8";

ServiceReply BadRequest(int status, const std::string& reason)
{
    return { status, "text/plain; charset=utf-8", reason + "\n" };
}

bool IsFormType(const std::string& contentType)
{
    const std::string form = "application/x-www-form-urlencoded";
    return contentType.empty() || contentType.compare(0, form.size(), form) == 0;
}

using ByteRange = std::pair<unsigned char, unsigned char>;
constexpr ByteRange ContinuationBytes = { 0x80, 0xBF };

// The second byte of a sequence is narrower after some lead bytes: that
// rules out over-long forms, UTF-16 surrogates (U+D800 to U+DFFF) and code
// points past U+10FFFF.
ByteRange SecondByteRange(unsigned char lead)
{
    switch (lead) {
    case 0xE0:
        return { 0xA0, 0xBF };
    case 0xED:
        return { 0x80, 0x9F };
    case 0xF0:
        return { 0x90, 0xBF };
    case 0xF4:
        return { 0x80, 0x8F };
    default:
        return ContinuationBytes;
    }
}

std::size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        return 2;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    if (lead >= 0xF0 && lead < 0xF5)
        return 4;
    return 0;
}

bool IsUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = SequenceLength(lead);
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            const auto [lowest, highest] = k == 1 ? SecondByteRange(lead) : ContinuationBytes;
            if (byte < lowest || byte > highest)
                return false;
        }
        i += length;
    }
    return true;
}

std::string CheckFields(const FormFields& fields)
{
    for (const std::string name : { "sl", "tl", "text" }) {
        if (!fields.contains(name))
            return "the form has no field \"" + name + "\"";
    }
    for (const std::string name : { "sl", "tl" }) {
        if (!IsProgramLanguageCode(fields.at(name)))
            return "unknown language code \"" + fields.at(name) + "\" in \"" + name + "\"";
    }
    const std::string& text = fields.at("text");
    if (text.empty())
        return "the text is empty";
    if (text.find('\0') != std::string::npos)
        return "the text holds a zero byte";
    if (!IsUtf8(text))
        return "the text is not UTF-8";
    return {};
}

} // namespace

TranslationService::TranslationService(std::vector<TranslationEngine*> engines)
    : engines_(std::move(engines))
{
}

ServiceReply TranslationService::HandleForm(const std::string& body, const std::string& contentType)
{
    if (!IsFormType(contentType))
        return BadRequest(415, "the body must be application/x-www-form-urlencoded");
    std::string error;
    const std::optional<FormFields> fields = DecodeForm(body, error);
    if (!fields)
        return BadRequest(400, error);
    error = CheckFields(*fields);
    if (!error.empty())
        return BadRequest(400, error);
    return Translate(fields->at("sl"), fields->at("tl"), fields->at("text"));
}

// "pairs" holds every direction the service translates, whichever engine
// does it; each engine's own pairs stand under its name.
ServiceReply TranslationService::Languages()
{
    nlohmann::json languages = nlohmann::json::object();
    LanguagePairs all;
    for (TranslationEngine* engine : engines_) {
        const LanguagePairs pairs = engine->Pairs();
        languages[engine->Name()] = pairs;
        for (const auto& [from, targets] : pairs)
            all[from].insert(targets.begin(), targets.end());
    }
    languages["pairs"] = all;
    return { 200, "application/json", languages.dump(2) + "\n" };
}

// A language to itself needs no engine: the text comes back as it is.
ServiceReply TranslationService::Translate(
    const std::string& from, const std::string& to, const std::string& text)
{
    const std::vector<std::string> lines = SplitLines(text);
    if (from == to)
        return { 200, HtmlType, ResultPage(lines, { "none", {} }) };
    bool tried = false;
    for (TranslationEngine* engine : engines_) {
        if (!engine->CanTranslate(from, to))
            continue;
        tried = true;
        if (const auto translated = engine->Translate(from, to, lines))
            return { 200, HtmlType, ResultPage(*translated, engine->HopRouteOf(from, to)) };
    }
    return { 200, HtmlType, RefusalPage(RefusalReason(from, to, tried)) };
}

std::string TranslationService::RefusalReason(
    const std::string& from, const std::string& to, bool tried)
{
    if (tried)
        return "the translation engine failed on this text";
    const bool translatesFrom = std::any_of(engines_.begin(), engines_.end(),
        [&](TranslationEngine* engine) { return engine->Pairs().contains(from); });
    if (translatesFrom)
        return "no translation engine here reaches " + EnglishLanguageName(to);
    return "no translation engine here translates from " + EnglishLanguageName(from);
}

} // namespace service
