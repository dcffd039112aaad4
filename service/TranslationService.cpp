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

// The refusal of a body that is not a readable form, or nothing with its
// fields read.
std::optional<ServiceReply> ReadForm(
    const std::string& body, const std::string& contentType, FormFields& fields)
{
    if (!IsFormType(contentType))
        return BadRequest(415, "the body must be " + FormType);
    std::string error;
    auto decoded = DecodeForm(body, error);
    if (!decoded)
        return BadRequest(400, error);
    fields = std::move(*decoded);
    return std::nullopt;
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

// "en|fr,fr|en": pairs of the program's codes, each kept once, in order.
std::optional<std::vector<LanguagePair>> PairsOf(const std::string& list, std::string& error)
{
    std::vector<LanguagePair> pairs;
    for (std::size_t start = 0; start < list.size() + (list.empty() ? 0 : 1);) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string pair = list.substr(start, end - start);
        start = end + 1;
        const std::size_t bar = pair.find('|');
        if (bar == std::string::npos || pair.find('|', bar + 1) != std::string::npos) {
            error = "\"" + pair + "\" in \"pairs\" is not a pair such as en|fr";
            return std::nullopt;
        }
        const LanguagePair parsed = { pair.substr(0, bar), pair.substr(bar + 1) };
        for (const auto& code : { parsed.first, parsed.second }) {
            if (!IsProgramLanguageCode(code)) {
                error = "unknown language code \"" + code + "\" in \"pairs\"";
                return std::nullopt;
            }
        }
        if (std::find(pairs.begin(), pairs.end(), parsed) == pairs.end())
            pairs.push_back(parsed);
    }
    return pairs;
}

} // namespace

TranslationService::TranslationService(std::vector<TranslationEngine*> engines)
    : engines_(std::move(engines))
{
}

ServiceReply TranslationService::HandleForm(const std::string& body, const std::string& contentType)
{
    FormFields fields;
    if (const auto refusal = ReadForm(body, contentType, fields))
        return *refusal;
    const std::string error = CheckFields(fields);
    if (!error.empty())
        return BadRequest(400, error);
    return Translate(fields.at("sl"), fields.at("tl"), fields.at("text"));
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

// A language to itself needs no engine, so it is among the pairs prepared.
ServiceReply TranslationService::Prepare(const std::string& body, const std::string& contentType)
{
    FormFields fields;
    if (const auto refusal = ReadForm(body, contentType, fields))
        return *refusal;
    if (!fields.contains("pairs"))
        return BadRequest(400, "the form has no field \"pairs\"");
    std::string error;
    const auto pairs = PairsOf(fields.at("pairs"), error);
    if (!pairs)
        return BadRequest(400, error);
    nlohmann::json preparing = nlohmann::json::array();
    nlohmann::json unknown = nlohmann::json::array();
    std::vector<std::vector<LanguagePair>> work(engines_.size());
    for (const auto& pair : *pairs) {
        const auto engine = std::find_if(engines_.begin(), engines_.end(),
            [&](TranslationEngine* e) { return e->CanTranslate(pair.first, pair.second); });
        const bool known = pair.first == pair.second || engine != engines_.end();
        (known ? preparing : unknown).push_back(pair.first + "|" + pair.second);
        if (pair.first != pair.second && engine != engines_.end())
            work[static_cast<std::size_t>(engine - engines_.begin())].push_back(pair);
    }
    for (std::size_t i = 0; i < engines_.size(); ++i) {
        if (!work[i].empty())
            engines_[i]->Prepare(work[i]);
    }
    const nlohmann::json reply = { { "preparing", preparing }, { "unknown", unknown } };
    return { 202, "application/json", reply.dump() };
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
    const std::string reason = translatesFrom
        ? "no translation engine here reaches " + EnglishLanguageName(to)
        : "no translation engine here translates from " + EnglishLanguageName(from);
    return reason + EngineTroubles();
}

// What keeps an engine from offering all it was set up for, after "; ".
std::string TranslationService::EngineTroubles()
{
    std::string troubles;
    for (TranslationEngine* engine : engines_) {
        if (const std::string trouble = engine->Trouble(); !trouble.empty())
            troubles += "; " + trouble;
    }
    return troubles;
}

} // namespace service
