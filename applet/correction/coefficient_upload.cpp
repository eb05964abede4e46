// The coefficient upload through temporary image files.
#include "correction/coefficient_upload.h"

#include <bit>
#include <optional>
#include <string>
#include <vector>

#include "core/error_codes.h"
#include "core/temp_file_name.h"
#include "regiort.h"

namespace kestrel {

namespace {

// A temporary file name that deletes its file when it goes out of scope.
class TemporaryFile {
public:
    TemporaryFile() : name_(makeTempFileName()) {
        if (!name_)
            raise(kErrInvalidArgument);
    }
    ~TemporaryFile() { removeTempFile(*name_); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const char* name() const { return name_->c_str(); }

private:
    std::optional<std::string> name_;
};

void writeCoefficientFile(const char* name, const uint16_t* image) {
    const void* bytes = image;
    // The file holds the raw little-endian elements whatever the host's byte order.
    std::vector<uint16_t> swapped;
    if constexpr (std::endian::native != std::endian::little) {
        swapped.assign(image, image + kCoefficientCount);
        for (uint16_t& element : swapped)
            element = static_cast<uint16_t>((element >> 8) | (element << 8));
        bytes = swapped.data();
    }
    if (ImageFile_Write(name, bytes, kCoefficientFileWidth, kCoefficientFileHeight, 8, 1) != 0)
        raise(kErrGeneric);
}

void handOver(const AppletContext& context, const TemporaryFile& file, HostRegister fileRegister,
              HostRegister loadRegister) {
    context.registers.write(context.host, fileRegister, file.name(), kRegisterTypeFileName, true);
    context.writeRegister(loadRegister, 1, true);
}

} // namespace

void uploadCoefficients(const AppletContext& context, const CoefficientImages& images) {
    // Declared in this order so that the gain file is deleted first.
    TemporaryFile offsetFile;
    writeCoefficientFile(offsetFile.name(), images.offsets());
    handOver(context, offsetFile, HostRegister::ShadingShadingBuffer0CoefficientFile0,
             HostRegister::ShadingShadingBuffer0LoadCoefficients);
    TemporaryFile gainFile;
    writeCoefficientFile(gainFile.name(), images.gains());
    handOver(context, gainFile, HostRegister::ShadingShadingBuffer1CoefficientFile0,
             HostRegister::ShadingShadingBuffer1LoadCoefficients);
}

} // namespace kestrel
