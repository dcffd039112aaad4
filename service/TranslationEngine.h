// What the service needs of a machine translation engine.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace service {

// For each source code, the target codes an engine reaches.
using LanguagePairs = std::map<std::string, std::set<std::string>>;

class TranslationEngine {
public:
    virtual ~TranslationEngine() = default;

    virtual std::string Name() const = 0;
    virtual LanguagePairs Pairs() = 0;
    virtual bool CanTranslate(const std::string& from, const std::string& to) = 0;

    // As many lines out as in, or nothing when the engine failed.
    virtual std::optional<std::vector<std::string>> Translate(
        const std::string& from, const std::string& to, const std::vector<std::string>& lines)
        = 0;
};

} // namespace service
