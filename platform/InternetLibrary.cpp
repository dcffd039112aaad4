#include "platform/InternetLibrary.h"

#include "platform/InternetConnectionPool.h"

namespace platform {

InternetLibraryScope::InternetLibraryScope()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

InternetLibraryScope::~InternetLibraryScope()
{
    CloseKeptConnections();
    curl_global_cleanup();
}

} // namespace platform
