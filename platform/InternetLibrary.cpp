#include "platform/InternetLibrary.h"

#include <curl/curl.h>

namespace platform {

InternetLibraryScope::InternetLibraryScope()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

InternetLibraryScope::~InternetLibraryScope()
{
    curl_global_cleanup();
}

} // namespace platform
