// Feeds arbitrary bytes to the LUT file reader, holds the record it reads against a plain
// reading with fgets, strstr, strtok and atoi, and writes small tables back to read them again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/error_codes.h"
#include "correction/lut_file.h"
#include "fuzz_support.h"

namespace kestrel::fuzz {
namespace {

int32_t referenceKey(const std::vector<std::string>& pieces, const char* key) {
    for (const std::string& line : pieces) {
        if (std::strstr(line.c_str(), key) != nullptr) {
            std::string part;
            return strtokToken(line, "='", 1, part) ? std::atoi(part.c_str()) : 0;
        }
    }
    return 0;
}

void checkRead(const ScratchFile& file, const std::string& content, const std::string& section) {
    file.write(content);
    LutRecord record;
    record.values.assign(3, 77);
    const int32_t result = readLutFile(file.path(), record, section);

    const std::vector<std::string> pieces = fgetsPieces(foldWindowsLineEnds(content));
    FUZZ_CHECK(record.id == static_cast<uint32_t>(referenceKey(pieces, "id")), "id");
    FUZZ_CHECK(record.nrOfElements == static_cast<uint32_t>(referenceKey(pieces, "nrOfElements")),
               "nrOfElements");
    FUZZ_CHECK(record.format == static_cast<uint32_t>(referenceKey(pieces, "format")), "format");
    FUZZ_CHECK(record.number == static_cast<uint8_t>(referenceKey(pieces, "number")), "number");
    if (record.nrOfElements > kLutFileMaxElements) {
        FUZZ_CHECK(result == kErrOutOfRange && record.values.empty(), "oversized table not refused");
        return;
    }
    FUZZ_CHECK(result == kOk, "reader failed on content");

    std::vector<uint32_t> expected(record.nrOfElements, 0);
    std::size_t i = 0;
    while (i < pieces.size() && std::strstr(pieces[i].c_str(), section.c_str()) == nullptr) {
        ++i;
    }
    uint32_t k = 0;
    for (; i < pieces.size() && k < expected.size(); ++i) {
        const std::string wanted = std::to_string(k) + ",";
        if (std::strstr(pieces[i].c_str(), wanted.c_str()) == nullptr) {
            continue;
        }
        std::string part;
        expected[k] =
            static_cast<uint32_t>(strtokToken(pieces[i], ",", 1, part) ? std::atoi(part.c_str()) : 0);
        ++k;
    }
    FUZZ_CHECK(record.values == expected, "values");
}

void checkRoundTrip(const ScratchFile& file, FuzzedDataProvider& input) {
    LutRecord record;
    record.id = input.ConsumeIntegral<uint32_t>();
    record.format = input.ConsumeIntegral<uint32_t>();
    record.number = input.ConsumeIntegral<uint8_t>();
    record.nrOfElements = input.ConsumeIntegralInRange<uint32_t>(0, 64);
    for (uint32_t k = 0; k < record.nrOfElements; ++k) {
        record.values.push_back(input.ConsumeIntegral<uint32_t>());
    }
    FUZZ_CHECK(writeLutFile(file.path(), record) == kOk, "writer failed");
    LutRecord back;
    FUZZ_CHECK(readLutFile(file.path(), back) == kOk, "written file not read");
    FUZZ_CHECK(back.id == record.id && back.format == record.format && back.number == record.number &&
                   back.nrOfElements == record.nrOfElements && back.values == record.values,
               "written table did not read back");
}

} // namespace
} // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel::fuzz;
    static const ScratchFile file(".lut");
    FuzzedDataProvider input(data, size);
    const bool otherSection = input.ConsumeBool();
    std::string section = input.ConsumeRandomLengthString(12);
    section = otherSection ? section.substr(0, section.find('\0')) : std::string(kestrel::kLutGraySection);
    const std::string content = input.ConsumeRandomLengthString(size);
    checkRead(file, content, section);
    checkRoundTrip(file, input);
    return 0;
}
