// Feeds arbitrary bytes to the INI reader. Malformed typed values may raise
// the parsers' errors; anything else (a crash, a hang, a leak) is a fault.
// What the reader stored is then written and read again: the reader must
// accept every file the writer produces.
#include "settings/TextForms.h"
#include "settings/rsIniData.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class ImageIni : public TrsIniData {
public:
    std::string Save(TrsStorage& storage)
    {
        std::string image;
        SetStorage(&storage);
        SaveToStream(image);
        return image;
    }
    void Load(TrsStorage& storage, std::string_view image)
    {
        SetStorage(&storage);
        LoadFromStream(image);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    ImageIni ini;
    ini.FixedDateTimeFormat = size > 0 && data[0] % 2 == 0;
    TrsStorage storage;
    storage.Options |= soSaveEmptySection;
    try {
        ini.Load(storage, image);
    } catch (const ConversionError&) {
    } catch (const TrsException&) {
    }
    const std::string written = ini.Save(storage);
    TrsStorage reread;
    try {
        ini.Load(reread, written);
    } catch (const std::exception&) {
        std::abort();
    }
    return 0;
}
