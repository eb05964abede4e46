// Whole configuration files: the header that names the applet, the identity check on load, and
// the codes of both operations. The parameter keys are written and read by the caller's functions.
#pragma once

#include <cstdint>
#include <functional>

namespace kestrel {

class Fg_ConfigFileParser;

// The identity texts a file records; static storage, never null.
struct ConfigurationIdentity {
    const char* vendorName;
    const char* appletName;
    const char* appletVersion;
    int32_t loadAppletId;
};

// Creates (or empties) `fileName`, writes the header section with `identity`, then lets
// `writeParameters` write the port section, each line reaching the file as it is written. kOk, or
// kErrFileWrite when the name has no ".scf" or the file cannot be created (nothing is created
// then). Write errors of the stream itself are not seen: a caller that must know the file is
// whole (the kestrel tool) checks it after the save.
int32_t saveConfigurationFile(const char* fileName, const ConfigurationIdentity& identity,
                              const std::function<void(Fg_ConfigFileParser&)>& writeParameters);

// Opens `fileName` read-only, checks the header ("Hersteller" present, "Typ" exactly
// `appletName`, "AktivePort" present; its value is not used) and lets `readParameters` apply the
// port section. kOk; kErrFileRead when the file does not open or its name has no ".scf";
// kErrConfigLoad for a failed check, a false from `readParameters` or a code it raises.
int32_t loadConfigurationFile(const char* fileName, const char* appletName,
                              const std::function<bool(Fg_ConfigFileParser&)>& readParameters);

} // namespace kestrel
