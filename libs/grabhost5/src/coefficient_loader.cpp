// Coefficient files into the board's shading memories.
#include "coefficient_loader.h"

#include "boardhw.h"
#include "grabhost5.h"
#include "grabhost5_host.h"
#include "regiort.h"

#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::host {
namespace {

constexpr std::string_view kLoadSuffix = "LoadCoefficients";
constexpr std::string_view kFileSuffix = "CoefficientFile 0";
constexpr std::string_view kOffsetBuffer = "ShadingBuffer_0_";
constexpr std::string_view kGainBuffer = "ShadingBuffer_1_";

struct SamplesReleaser {
    void operator()(void* samples) const { ImageFile_Release(samples); }
};

} // namespace

int32_t loadCoefficientsOnCommand(void* board, const HostRegisterTable& registers, const HostRegister& reg) {
    const std::string_view name = reg.name;
    if (!name.ends_with(kLoadSuffix))
        return GH5_OK;
    const std::string_view prefix = name.substr(0, name.size() - kLoadSuffix.size());
    int32_t memory = 0;
    if (prefix.ends_with(kOffsetBuffer))
        memory = BOARD_COEFFICIENT_OFFSET;
    else if (prefix.ends_with(kGainBuffer))
        memory = BOARD_COEFFICIENT_GAIN;
    else
        return GH5_OK;
    uint64_t command = 0;
    if (const int32_t rc = Board_ReadRegister(board, reg.id, &command); rc != BOARD_OK)
        return rc;
    if (command == 0)
        return GH5_OK;

    const HostRegister* fileRegister = registers.findByName(std::string(prefix) + std::string(kFileSuffix));
    if (fileRegister == nullptr)
        return GH5_ERR_BAD_COEFFICIENT_FILE;
    std::vector<char> fileName(GH5_MAX_FILE_NAME_BYTES);
    if (const int32_t rc = Board_GetRegisterText(board, fileRegister->id, fileName.data(),
                                                 static_cast<uint32_t>(fileName.size()));
        rc != BOARD_OK)
        return rc;

    void* samples = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    int32_t samplesPerPixel = 0;
    if (fileName[0] == '\0' ||
        ImageFile_Read(fileName.data(), &samples, &width, &height, &bits, &samplesPerPixel) == 0)
        return GH5_ERR_BAD_COEFFICIENT_FILE;
    const std::unique_ptr<void, SamplesReleaser> owned(samples);
    if (width != kCoefficientFileWidth || height != kCoefficientFileHeight || bits != 8 ||
        samplesPerPixel != 1)
        return GH5_ERR_BAD_COEFFICIENT_FILE;

    // The file's bytes are little-endian uint16 coefficients; the board takes host-order ones.
    const std::size_t count = std::size_t{BOARD_COEFFICIENT_SIDE} * BOARD_COEFFICIENT_SIDE;
    std::vector<uint16_t> converted;
    const uint16_t* coefficients = static_cast<const uint16_t*>(samples);
    if constexpr (std::endian::native != std::endian::little) {
        converted.resize(count);
        const auto* bytes = static_cast<const unsigned char*>(samples);
        for (std::size_t i = 0; i < count; ++i)
            converted[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        coefficients = converted.data();
    }
    return Board_WriteCoefficientLines(board, memory, 0, BOARD_COEFFICIENT_SIDE, coefficients);
}

} // namespace kestrel::host
