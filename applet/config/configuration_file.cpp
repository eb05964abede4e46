// Header, identity check and result codes of configuration files.
#include "config/configuration_file.h"

#include <cstring>
#include <string>

#include "config/config_file_parser.h"
#include "core/error_codes.h"

namespace kestrel {

namespace {

// Parameters always come from "[Port A]"; the header records that port.
constexpr int32_t kActivePort = 0;

bool sameText(const std::string& value, const char* expected) {
    return expected != nullptr && value.size() == std::strlen(expected) &&
           std::memcmp(value.data(), expected, value.size()) == 0;
}

} // namespace

int32_t saveConfigurationFile(const char* fileName, const ConfigurationIdentity& identity,
                              const std::function<void(Fg_ConfigFileParser&)>& writeParameters) {
    Fg_ConfigFileParser parser(nullptr, nullptr, false);
    if (!parser.setSaveFile(fileName))
        return kErrFileWrite;
    parser.writeConfigFileHeader();
    parser.writeConfigFile("Hersteller", identity.vendorName);
    parser.writeConfigFile("Typ", identity.appletName);
    parser.writeConfigFile("Version", identity.appletVersion);
    parser.writeConfigFileIntKey("LoadAppletId", identity.loadAppletId);
    parser.writeConfigFileIntKey("AktivePort", kActivePort);
    writeParameters(parser);
    return kOk;
}

int32_t loadConfigurationFile(const char* fileName, const char* appletName,
                              const std::function<bool(Fg_ConfigFileParser&)>& readParameters) {
    // The parser opens only an existing file whose name has ".scf".
    Fg_ConfigFileParser parser(nullptr, fileName, true);
    if (!parser.hasStream())
        return kErrFileRead;

    std::string value;
    if (parser.parseKeyFromLine("Hersteller", value) != kOk)
        return kErrConfigLoad;
    // Only the applet that wrote a file may load it; the vendor and the versions are not compared.
    if (parser.parseKeyFromLine("Typ", value) != kOk || !sameText(value, appletName))
        return kErrConfigLoad;
    int32_t recordedPort = 0;
    if (parser.parseIntKeyFromHeader("AktivePort", recordedPort) != kOk)
        return kErrConfigLoad;

    try {
        return readParameters(parser) ? kOk : kErrConfigLoad;
    } catch (int32_t) {
        return kErrConfigLoad;
    }
}

} // namespace kestrel
