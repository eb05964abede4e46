// Properties query rows and the process-wide table of enumeration constants.
#include "api/applet_info.h"

#include <cstring>
#include <map>
#include <string>

#include "api/applet_identity.h"
#include "api/embedded_blocks.h"
#include "api/wrapper_private.h"
#include "core/error_codes.h"

namespace kestrel {

namespace {

struct NamedConstant {
    const char* name;
    int32_t value;
};

// In insertion order; a name listed twice would keep its first value.
constexpr NamedConstant kEnumerationConstants[] = {
    {"FG_CL_MEDIUM_8_BIT", 208},
    {"FG_CL_MEDIUM_10_BIT", 210},
    {"FG_CL_MEDIUM_12_BIT", 212},
    {"FG_YES", 1},
    {"FG_NO", 0},
    {"FG_GRAY", 3},
    {"FG_GRAY16", 1},
    {"FG_LEFT_ALIGNED", 1},
    {"FG_RIGHT_ALIGNED", 0},
    {"FG_CAMPORT", 0},
    {"FG_GENERATOR", 1},
    {"FG_ON", 1},
    {"FG_OFF", 0},
    {"LUT_TYPE_PROCESSING", 3},
    {"LUT_TYPE_CUSTOM", 0},
    {"LUT_IMPLEMENTATION_FULL_LUT", 0},
    {"LUT_IMPLEMENTATION_KNEELUT", 1},
    {"FG_MAX_VALUE", 0},
    {"FG_MEAN_VALUE", 1},
    {"FG_MAX_RANGE", 2},
    {"FG_CUSTOM_VALUE", 3},
    {"FG_APPLY", 1},
    {"ATM_GENERATOR", 1},
    {"ATM_EXTERNAL", 2},
    {"ATM_SOFTWARE", 4},
    {"TS_ACTIVE", 0},
    {"TS_ASYNC_STOP", 1},
    {"TS_SYNC_STOP", 2},
    {"TRGINSRC_0", 0},
    {"TRGINSRC_1", 1},
    {"TRGINSRC_2", 2},
    {"TRGINSRC_3", 3},
    {"TRGINSRC_4", 4},
    {"TRGINSRC_5", 5},
    {"TRGINSRC_6", 6},
    {"TRGINSRC_7", 7},
    {"LOW_ACTIVE", 1},
    {"HIGH_ACTIVE", 0},
    {"IS_BUSY", 1},
    {"IS_NOT_BUSY", 0},
    {"CC_PULSEGEN0", 0},
    {"CC_PULSEGEN1", 1},
    {"CC_PULSEGEN2", 2},
    {"CC_PULSEGEN3", 3},
    {"CC_GND", 4},
    {"CC_VCC", 5},
    {"CC_NOT_PULSEGEN0", 6},
    {"CC_NOT_PULSEGEN1", 7},
    {"CC_NOT_PULSEGEN2", 8},
    {"CC_NOT_PULSEGEN3", 9},
    {"CC_INPUT_BYPASS", 10},
    {"CC_NOT_INPUT_BYPASS", 11},
    {"PULSEGEN0", 0},
    {"PULSEGEN1", 1},
    {"PULSEGEN2", 2},
    {"PULSEGEN3", 3},
    {"GND", 4},
    {"VCC", 5},
    {"NOT_PULSEGEN0", 6},
    {"NOT_PULSEGEN1", 7},
    {"NOT_PULSEGEN2", 8},
    {"NOT_PULSEGEN3", 9},
    {"INPUT_BYPASS", 10},
    {"NOT_INPUT_BYPASS", 11},
    {"FREE_RUN", 0},
    {"GRABBER_CONTROLLED", 1},
    {"ASYNC_TRIGGER", 2},
    {"ASYNC_SOFTWARE_TRIGGER", 4},
    {"FG_LOW", 0},
    {"FG_HIGH", 1},
    {"CC_EXSYNC", 0},
    {"CC_NOT_EXSYNC", 6},
    {"CC_STROBEPULSE", 2},
    {"CC_NOT_STROBEPULSE", 8},
};

const std::map<std::string, int32_t, std::less<>>& enumerationTable() {
    // Built once per process on first use; C++ makes the first construction thread-safe.
    static const std::map<std::string, int32_t, std::less<>> table = [] {
        std::map<std::string, int32_t, std::less<>> entries;
        for (const NamedConstant& constant : kEnumerationConstants)
            entries.emplace(constant.name, constant.value);
        return entries;
    }();
    return table;
}

void writeSlot(void* out, uint64_t value) {
    if (out != nullptr)
        std::memcpy(out, &value, sizeof value);
}

void writeAddress(void* out, const void* address) {
    writeSlot(out, reinterpret_cast<uintptr_t>(address));
}

} // namespace

std::optional<int32_t> enumerationConstant(std::string_view name) {
    const auto& table = enumerationTable();
    const auto it = table.find(name);
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

int32_t appletInfo(int32_t query, uint32_t a, uint32_t b, void* out1, void* out2) {
    switch (query) {
    case 848:
    case 1040:
    case 2160:
    case 2192:
    case 2560:
    case 3328:
        return 0;
    case 1041:
        writeSlot(out1, kEmbeddedIconSize);
        writeAddress(out2, kestrel_embedded_icon);
        return 0;
    case 1042:
        writeSlot(out1, kEmbeddedDesignImageSize);
        writeAddress(out2, kestrel_embedded_design_image);
        return 0;
    case 1043:
        writeAddress(out2, identity::kIdentifier);
        return 0;
    case 1044:
        writeAddress(out2, identity::kEmptyText);
        return 0;
    case 1045:
    case 1792:
    case 1872:
    case 1888:
    case 2816:
    case 3072:
    case 4608:
        return 1;
    case 2048:
        return 131076;
    case 2176:
        return kDesignImageFileVersion;
    case 2304:
        if (out1 != nullptr) {
            const uint32_t zero = 0;
            std::memcpy(out1, &zero, sizeof zero);
        }
        return 0;
    case 4096:
        writeAddress(out2, identity::kDescription);
        return 0;
    case 4112:
        writeAddress(out2, identity::kTitle);
        return 0;
    case 4128:
        writeAddress(out2, identity::kClassification);
        return 0;
    case 4144:
        writeAddress(out1, processLastBoardHandle());
        return 0;
    case 4160:
        writeAddress(out1, processLastDesignImage());
        return 0;
    case 4176:
        writeAddress(out2, identity::kAppletName);
        return 0;
    case 4192:
        writeAddress(out2, identity::kVersion);
        return 0;
    case 4208:
        writeAddress(out2, identity::kFullVersion);
        return 0;
    case 4352: {
        if (out1 == nullptr)
            return kErrInvalidArgument;
        const std::optional<int32_t> value = enumerationConstant(static_cast<const char*>(out1));
        return value ? *value : kErrInvalidArgument;
    }
    case 4624:
    case 4640:
    case 4688:
        return a == 0 ? 1 : kErrInvalidArgument;
    case 4656:
    case 4672:
        return a == 0 && b == 0 ? 0 : kErrInvalidArgument;
    case 4704:
        return a == 0 ? 9 : kErrInvalidArgument;
    default:
        return kErrNotSupported;
    }
}

} // namespace kestrel
