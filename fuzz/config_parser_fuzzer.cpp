// Feeds arbitrary bytes to the configuration file parser as a ".scf" file, runs every lookup
// kind and holds each answer against a plain rescan with fgets, strstr and strtok. Then writes
// fuzzed keys and values and checks the text and the values read back.
//
// An input costs what its lookups and file round trips cost, so each does its share once: the
// typed lookups are held against the text lookup in the fuzzed section only (they convert the
// same text whatever the section), a few keys of the file are asked for rather than eight, and
// the values read back come from the file whose text is checked, not from a second one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_file_parser.h"
#include "fuzz_support.h"
#include "support/diagnostic_log.h"

namespace kestrel::fuzz {
namespace {

// The rescanning parser as the file format describes it, on C strings.
class ReferenceParser {
public:
    explicit ReferenceParser(const std::string& raw) : pieces_(fgetsPieces(foldWindowsLineEnds(raw))) {}

    int32_t parseKey(const std::string& section, const std::string& key, std::string& value) const {
        std::size_t i = 0;
        while (i < pieces_.size() && std::strstr(pieces_[i].c_str(), section.c_str()) == nullptr) {
            ++i;
        }
        for (++i; i < pieces_.size(); ++i) {
            const std::string& line = pieces_[i];
            if (std::strncmp(line.c_str(), key.c_str(), key.size()) != 0 || line.size() <= key.size() ||
                line[key.size()] != '=') {
                continue;
            }
            std::string token;
            if (!strtokToken(line.substr(key.size()), "=;'", 0, token) || token[0] == '\r' ||
                token[0] == '\n') {
                token.clear();
            }
            value = token;
            return 0;
        }
        value = "Error";
        return kConfigKeyMissing;
    }

    int32_t parseKeyFromLine(const std::string& key, std::string& value) const {
        for (const std::string& line : pieces_) {
            if (std::strstr(line.c_str(), key.c_str()) == nullptr) {
                continue;
            }
            if (strtokToken(line, "='", 1, value)) {
                return 0;
            }
            break;
        }
        value = "Error";
        return kConfigKeyMissing;
    }

    // Keys worth asking for: the text before '=' of the first lines.
    std::vector<std::string> candidateKeys(std::size_t most) const {
        std::vector<std::string> keys;
        for (const std::string& line : pieces_) {
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos) {
                keys.push_back(line.substr(0, equals));
                if (keys.size() == most) {
                    break;
                }
            }
        }
        return keys;
    }

private:
    std::vector<std::string> pieces_;
};

std::string cString(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkLookups(Fg_ConfigFileParser& parser, const ReferenceParser& reference, const std::string& section,
                  const std::string& key, bool typed) {
    std::string got;
    std::string expected;
    const int32_t result = parser.parseKey(section.c_str(), key.c_str(), got);
    FUZZ_CHECK(result == reference.parseKey(section, key, expected), "parseKey result");
    FUZZ_CHECK(got == expected, "parseKey value");
    if (!typed) {
        return;
    }

    const bool usable = expected.find("Error") == std::string::npos;
    int32_t i = 12345;
    FUZZ_CHECK(parser.parseIntKey(section.c_str(), key.c_str(), i) == (usable ? 0 : -1),
               "parseIntKey result");
    FUZZ_CHECK(i == (usable ? std::atoi(expected.c_str()) : 12345), "parseIntKey value");
    uint64_t u = 12345;
    FUZZ_CHECK(parser.parseIntKey(section.c_str(), key.c_str(), u) == (usable ? 0 : -1),
               "parseIntKey 64 result");
    FUZZ_CHECK(u == (usable ? std::strtoull(expected.c_str(), nullptr, 10) : 12345u), "parseIntKey 64 value");
    double d = 0.5;
    FUZZ_CHECK(parser.parseDoubleKey(section.c_str(), key.c_str(), d) == (usable ? 0 : -1),
               "parseDoubleKey result");
    FUZZ_CHECK(sameBits(d, usable ? std::strtod(expected.c_str(), nullptr) : 0.5), "parseDoubleKey value");
}

void checkPortLookups(Fg_ConfigFileParser& parser, const ReferenceParser& reference, int32_t port,
                      const std::string& key) {
    const std::string section = Fg_ConfigFileParser::portSectionName(port);
    std::string got;
    std::string expected;
    FUZZ_CHECK(parser.parseKey(port, key.c_str(), got) == reference.parseKey(section, key, expected),
               "port parseKey");
    FUZZ_CHECK(got == expected, "port parseKey value");
    int32_t i = 0;
    uint64_t u = 0;
    double d = 0;
    const int32_t typed = expected.find("Error") == std::string::npos ? 0 : -1;
    FUZZ_CHECK(parser.parseIntKey(port, key.c_str(), i) == typed, "port parseIntKey");
    FUZZ_CHECK(parser.parseIntKey(port, key.c_str(), u) == typed, "port parseIntKey 64");
    FUZZ_CHECK(parser.parseDoubleKey(port, key.c_str(), d) == typed, "port parseDoubleKey");
    FUZZ_CHECK(parser.parseIntKey(port, nullptr, i) == -1, "port lookup without key");
}

void checkReading(const ScratchFile& file, const std::string& content, const std::string& key,
                  const std::string& section, int32_t port) {
    file.write(content);
    const ReferenceParser reference(content);
    Fg_ConfigFileParser parser(nullptr, file.path(), true);
    FUZZ_CHECK(parser.hasStream(), "parser did not open the file");

    std::vector<std::string> keys = reference.candidateKeys(4);
    keys.push_back(key);
    keys.push_back("FG_WIDTH");
    const std::string sections[] = {section, "[Port A]", "[Kamerasektion]\n"};
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            checkLookups(parser, reference, s, k, &s == &sections[0]);
        }
    }
    for (const std::string& k : keys) {
        checkPortLookups(parser, reference, port, k);
        std::string got;
        std::string expected;
        FUZZ_CHECK(parser.parseKeyFromLine(k.c_str(), got) == reference.parseKeyFromLine(k, expected),
                   "parseKeyFromLine result");
        FUZZ_CHECK(got == expected, "parseKeyFromLine value");
        int32_t header = 777;
        int32_t expectedHeader = 777;
        std::string headerText;
        const bool found = reference.parseKey("[Kamerasektion]\n", k, headerText) == 0 &&
                           headerText.find("Error") == std::string::npos;
        if (found) {
            expectedHeader = std::atoi(headerText.c_str());
        }
        FUZZ_CHECK(parser.parseIntKeyFromHeader(k.c_str(), header) == (found ? 0 : -1), "header result");
        FUZZ_CHECK(header == expectedHeader, "header value");
    }
}

std::string printfLine(const char* format, const std::string& key, const char* value) {
    std::vector<char> text(key.size() + std::strlen(value) + 8);
    std::snprintf(text.data(), text.size(), format, key.c_str(), value);
    return text.data();
}

void checkWriting(const ScratchFile& file, const std::string& key, const std::string& text, int32_t i,
                  uint64_t u, double d, int32_t port) {
    // The number lines come first below the port line, so that a plain key reads them back
    // whatever the text lines after them hold.
    const std::string doubleKey = key + "_D";
    std::string expected = "[Kamerasektion]\n\nConfigFileVersion=2.0;\n";
    char number[64];
    {
        Fg_ConfigFileParser parser(nullptr, nullptr, false);
        FUZZ_CHECK(parser.setSaveFile(file.path()), "save file not created");
        parser.writeConfigFileHeader();
        parser.writePortHeader(port);
        parser.writeConfigFileIntKey(key.c_str(), i);
        parser.wrtiteConfigFileDoubleKey(doubleKey.c_str(), d);
        parser.writeConfigFile(key.c_str(), text.c_str());
        parser.writeConfigFileValue(key.c_str(), text.c_str());
        parser.writeConfigFileUInt64Key(key.c_str(), u);
    }
    expected += std::string("\n[Port ") + static_cast<char>('A' + static_cast<uint32_t>(port)) + "]\n";
    std::snprintf(number, sizeof number, "%d", i);
    expected += printfLine("%s=%s;\n", key, number);
    std::snprintf(number, sizeof number, "%.*g", 12, d);
    const double doubleWritten = std::strtod(number, nullptr);
    expected += printfLine("%s=%s;\n", doubleKey, number);
    expected += printfLine("%s='%s';\n", key, text.c_str());
    expected += printfLine("%s=%s;\n", key, text.c_str());
    std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(u));
    expected += printfLine("%s=%s;\n", key, number);

    std::FILE* stream = std::fopen(file.path(), "rb");
    FUZZ_CHECK(stream != nullptr, "saved file missing");
    std::string written(expected.size() + 1, '\0');
    written.resize(std::fread(written.data(), 1, written.size(), stream));
    std::fclose(stream);
    FUZZ_CHECK(written == expected, "written text differs from printf's");

    // A plain integer key reads back exactly in its port section, and the double as written.
    if (!key.empty() && key.find_first_of("=\n\r[") == std::string::npos) {
        Fg_ConfigFileParser reader(nullptr, file.path(), true);
        int32_t back = i ^ 1;
        FUZZ_CHECK(reader.parseIntKey(port, key.c_str(), back) == 0 && back == i,
                   "integer did not round-trip");
        double backDouble = 0;
        FUZZ_CHECK(reader.parseDoubleKey(port, doubleKey.c_str(), backDouble) == 0, "double not found");
        FUZZ_CHECK(sameBits(backDouble, doubleWritten), "double did not read back as written");
    }
}

} // namespace
} // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel::fuzz;
    static const ScratchFile file(".scf");
    FuzzedDataProvider input(data, size);
    // Keys, sections and texts are C strings: whatever follows a NUL is not part of them.
    const std::string key = cString(input.ConsumeRandomLengthString(24));
    const std::string section = cString(input.ConsumeRandomLengthString(24));
    const int32_t port = input.ConsumeIntegralInRange<int32_t>(-2, 30);
    const std::string text = cString(input.ConsumeRandomLengthString(64));
    const int32_t i = input.ConsumeIntegral<int32_t>();
    const uint64_t u = input.ConsumeIntegral<uint64_t>();
    const uint64_t doubleBits = input.ConsumeIntegral<uint64_t>();
    double d; // any bit pattern: denormals, infinities and NaNs included
    std::memcpy(&d, &doubleBits, sizeof d);
    const std::string content = input.ConsumeRemainingBytesAsString();

    checkReading(file, content, key, section, port);
    checkWriting(file, key, text, i, u, d, port);
    return 0;
}
