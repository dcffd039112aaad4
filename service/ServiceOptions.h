// The service's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace service {

struct ServiceOptions {
    int port = 8787;
    // Seconds without a request before the service exits; 0 never.
    int idleExitSeconds = 0;
    // How many Apertium pipelines may run at once; 0 chooses from the memory
    // the machine has.
    int maxPipelines = 0;
    // Seconds a pipeline may stay unused before it is stopped.
    int pipelineIdleSeconds = 240;
    std::string libreTranslateUrl;
    std::string libreTranslateKey;
    bool help = false;
    bool version = false;
};

// Nothing, with error set, when an option is unknown or its value is missing
// or out of range.
std::optional<ServiceOptions> ParseServiceOptions(
    const std::vector<std::string>& arguments, std::string& error);

std::string ServiceUsage();

// "tornalo-service 1.10.01": the version the update descriptor records,
// followed by the licence.
std::string ServiceVersion();

} // namespace service
