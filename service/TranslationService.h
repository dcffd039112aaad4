// What the service answers, apart from the HTTP plumbing: the translation
// form and the list of languages.
#pragma once

#include "service/TranslationEngine.h"

#include <memory>
#include <string>
#include <vector>

namespace service {

struct ServiceReply {
    int status = 200;
    std::string contentType;
    std::string body;
};

class TranslationService {
public:
    // Engines are asked in order; the first that can translate a pair does.
    explicit TranslationService(std::vector<TranslationEngine*> engines);

    ServiceReply HandleForm(const std::string& body, const std::string& contentType);
    ServiceReply Languages();

private:
    ServiceReply Translate(const std::string& from, const std::string& to, const std::string& text);
    // Why no engine translated the text; tried when one took it and failed.
    std::string RefusalReason(const std::string& from, const std::string& to, bool tried);

    std::vector<TranslationEngine*> engines_;
};

} // namespace service
