// Forwarding to a LibreTranslate server the user runs, for the pairs Apertium
// cannot do: its POST /translate and GET /languages JSON interface.
#pragma once

#include "service/TranslationEngine.h"

#include <chrono>
#include <mutex>

namespace service {

struct LibreTranslateSettings {
    // For example http://127.0.0.1:5000, optionally with a path before /translate.
    std::string url;
    std::string apiKey;
    std::chrono::seconds timeout { 30 };
};

class LibreTranslateEngine : public TranslationEngine {
public:
    explicit LibreTranslateEngine(LibreTranslateSettings settings);

    std::string Name() const override { return "libretranslate"; }
    LanguagePairs Pairs() override;
    bool CanTranslate(const std::string& from, const std::string& to) override;
    HopRoute HopRouteOf(const std::string& from, const std::string& to) override;
    std::string Trouble() override;
    std::optional<std::vector<std::string>> Translate(const std::string& from,
        const std::string& to, const std::vector<std::string>& lines) override;

private:
    void LoadLanguagesLocked();
    std::optional<std::string> TranslateText(
        const std::string& from, const std::string& to, const std::string& text);

    const LibreTranslateSettings settings_;
    std::string origin_;
    std::string pathPrefix_;
    std::mutex mutex_;
    bool loaded_ = false;
    std::string trouble_; // why the last look-up of the languages failed
    std::chrono::steady_clock::time_point lastAttempt_;
    // Program code to the server's code, and the pairs in program codes.
    std::map<std::string, std::string> serverCodes_;
    LanguagePairs pairs_;
};

} // namespace service
