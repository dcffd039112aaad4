#include "service/LibreTranslateEngine.h"

#include "service/LanguageCodes.h"
#include "service/TextLines.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>

using nlohmann::json;

namespace service {

namespace {

// A failed look-up of the server's languages is tried again after this long.
constexpr auto RetryAfter = std::chrono::seconds(30);

// The program's older codes, and the names LibreTranslate has used for them.
std::vector<std::string> ServerCodeCandidates(const std::string& code)
{
    if (code == "zh-CN")
        return { "zh", "zh-Hans" };
    if (code == "iw")
        return { "he", "iw" };
    if (code == "no")
        return { "nb", "no" };
    return { code };
}

std::string ProgramCodeOf(
    const std::map<std::string, std::string>& serverCodes, const std::string& serverCode)
{
    for (const auto& [program, server] : serverCodes) {
        if (server == serverCode)
            return program;
    }
    return {};
}

std::map<std::string, std::string> ServerCodesOf(const std::set<std::string>& offered)
{
    std::map<std::string, std::string> codes;
    for (const auto& code : ProgramLanguageCodes()) {
        for (const auto& candidate : ServerCodeCandidates(code)) {
            if (offered.contains(candidate)) {
                codes.emplace(code, candidate);
                break;
            }
        }
    }
    return codes;
}

std::set<std::string> StringsOf(const json& array)
{
    std::set<std::string> strings;
    if (!array.is_array())
        return strings;
    for (const auto& item : array) {
        if (item.is_string())
            strings.insert(item.get<std::string>());
    }
    return strings;
}

std::string CodeOf(const json& language)
{
    if (!language.is_object() || !language.contains("code") || !language["code"].is_string())
        return {};
    return language["code"].get<std::string>();
}

std::set<std::string> CodesOf(const json& languages)
{
    std::set<std::string> codes;
    for (const auto& language : languages) {
        if (const std::string code = CodeOf(language); !code.empty())
            codes.insert(code);
    }
    return codes;
}

// The server lists each language with the targets it reaches; an older
// server without "targets" reaches every language it lists.
LanguagePairs PairsOf(const json& languages, const std::map<std::string, std::string>& serverCodes)
{
    const std::set<std::string> offered = CodesOf(languages);
    LanguagePairs pairs;
    for (const auto& language : languages) {
        const std::string from = ProgramCodeOf(serverCodes, CodeOf(language));
        if (from.empty())
            continue;
        const std::set<std::string> targets
            = language.contains("targets") ? StringsOf(language["targets"]) : offered;
        for (const auto& target : targets) {
            const std::string to = ProgramCodeOf(serverCodes, target);
            if (!to.empty() && from != to)
                pairs[from].insert(to);
        }
    }
    return pairs;
}

} // namespace

LibreTranslateEngine::LibreTranslateEngine(LibreTranslateSettings settings)
    : settings_(std::move(settings))
{
    std::string url = settings_.url;
    while (url.ends_with('/'))
        url.pop_back();
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    origin_ = url.substr(0, path);
    pathPrefix_ = path == std::string::npos ? std::string() : url.substr(path);
}

LanguagePairs LibreTranslateEngine::Pairs()
{
    const std::lock_guard lock(mutex_);
    LoadLanguagesLocked();
    return pairs_;
}

bool LibreTranslateEngine::CanTranslate(const std::string& from, const std::string& to)
{
    const std::lock_guard lock(mutex_);
    LoadLanguagesLocked();
    const auto found = pairs_.find(from);
    return found != pairs_.end() && found->second.contains(to);
}

std::string LibreTranslateEngine::Trouble()
{
    const std::lock_guard lock(mutex_);
    LoadLanguagesLocked();
    return trouble_;
}

HopRoute LibreTranslateEngine::HopRouteOf(const std::string&, const std::string&)
{
    return { Name() + " " + origin_ + pathPrefix_, {} };
}

void LibreTranslateEngine::LoadLanguagesLocked()
{
    const auto now = std::chrono::steady_clock::now();
    const bool triedLately = lastAttempt_ != std::chrono::steady_clock::time_point()
        && now - lastAttempt_ < RetryAfter;
    if (loaded_ || triedLately)
        return;
    lastAttempt_ = now;
    httplib::Client client(origin_);
    client.set_connection_timeout(std::chrono::seconds(2));
    client.set_read_timeout(settings_.timeout);
    const std::string server = "the LibreTranslate server at " + origin_ + pathPrefix_;
    const auto reply = client.Get(pathPrefix_ + "/languages");
    if (!reply || reply->status != 200) {
        trouble_ = server
            + (reply ? " answered " + std::to_string(reply->status) + " for its languages"
                     : " did not answer");
        return;
    }
    const json languages = json::parse(reply->body, nullptr, false);
    if (!languages.is_array()) {
        trouble_ = server + " did not list its languages";
        return;
    }
    trouble_.clear();
    serverCodes_ = ServerCodesOf(CodesOf(languages));
    pairs_ = PairsOf(languages, serverCodes_);
    loaded_ = true;
}

// The whole text goes in one request; should the server not keep its line
// count, each line is sent on its own.
std::optional<std::vector<std::string>> LibreTranslateEngine::Translate(
    const std::string& from, const std::string& to, const std::vector<std::string>& lines)
{
    const auto whole = TranslateText(from, to, JoinLines(lines));
    if (!whole)
        return std::nullopt;
    std::vector<std::string> translated = SplitLines(*whole);
    if (translated.size() == lines.size())
        return translated;
    translated.clear();
    for (const auto& line : lines) {
        const auto one = IsBlank(line) ? line : TranslateText(from, to, line);
        if (!one)
            return std::nullopt;
        std::string joined = *one;
        std::replace(joined.begin(), joined.end(), '\n', ' ');
        std::replace(joined.begin(), joined.end(), '\r', ' ');
        translated.push_back(joined);
    }
    return translated;
}

std::optional<std::string> LibreTranslateEngine::TranslateText(
    const std::string& from, const std::string& to, const std::string& text)
{
    std::string source;
    std::string target;
    {
        const std::lock_guard lock(mutex_);
        if (!serverCodes_.contains(from) || !serverCodes_.contains(to))
            return std::nullopt;
        source = serverCodes_.at(from);
        target = serverCodes_.at(to);
    }
    json request
        = { { "q", text }, { "source", source }, { "target", target }, { "format", "text" } };
    if (!settings_.apiKey.empty())
        request["api_key"] = settings_.apiKey;
    httplib::Client client(origin_);
    client.set_connection_timeout(std::chrono::seconds(2));
    client.set_read_timeout(settings_.timeout);
    const auto reply = client.Post(pathPrefix_ + "/translate",
        request.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
    if (!reply || reply->status != 200)
        return std::nullopt;
    const json answer = json::parse(reply->body, nullptr, false);
    if (!answer.is_object() || !answer.contains("translatedText")
        || !answer["translatedText"].is_string())
        return std::nullopt;
    return answer["translatedText"].get<std::string>();
}

} // namespace service
