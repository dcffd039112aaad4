// Feeds arbitrary bytes to the section stream loader. A stream that ends
// early or holds an unknown tag raises the storage's error; whatever was
// loaded must save to a stream that loads back to the very same bytes.
#include "settings/rsStorage.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TrsStorage storage;
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    try {
        storage.SectionLoadFromStream("\\Target", input);
    } catch (const TrsException&) {
        return 0;
    }
    std::stringstream first;
    storage.SectionSaveToStream("\\Target", first);
    TrsStorage copy;
    copy.SectionLoadFromStream("\\Copy", first);
    std::ostringstream second;
    copy.SectionSaveToStream("\\Copy", second);
    if (first.str() != second.str())
        std::abort();
    return 0;
}
