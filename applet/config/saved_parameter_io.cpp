// Writing and loading the saved parameters of the port section.
#include "config/saved_parameter_io.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "config/config_file_parser.h"
#include "config/saved_parameters.h"
#include "config/value_block_fields.h"
#include "core/error_codes.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// Parameters are always kept in, and read from, the first port's section.
constexpr int32_t kPort = 0;

[[noreturn]] void noField(const SavedParameter& parameter) {
    throw std::logic_error(std::string("saved parameter ") + parameter.key.data() +
                           " has no field of its kind");
}

// ---- field access by kind ----

int32_t integerOf(const SavedParameter& parameter, const ValueField& field) {
    if (const auto* u = std::get_if<uint32_t*>(&field))
        return static_cast<int32_t>(**u); // same bits: the file keeps unsigned values signed
    if (const auto* i = std::get_if<int32_t*>(&field))
        return **i;
    noField(parameter);
}

double doubleOf(const SavedParameter& parameter, const ValueField& field) {
    if (const auto* d = std::get_if<double*>(&field))
        return **d;
    noField(parameter);
}

const std::string& textOf(const SavedParameter& parameter, const ValueField& field) {
    if (const auto* s = std::get_if<std::string*>(&field))
        return **s;
    noField(parameter);
}

void storeInteger(const SavedParameter& parameter, const ValueField& field, int32_t value) {
    if (const auto* u = std::get_if<uint32_t*>(&field))
        **u = static_cast<uint32_t>(value);
    else if (const auto* i = std::get_if<int32_t*>(&field))
        **i = value;
    else
        noField(parameter);
}

void storeDouble(const SavedParameter& parameter, const ValueField& field, double value) {
    if (const auto* d = std::get_if<double*>(&field))
        **d = value;
    else
        noField(parameter);
}

void storeText(const SavedParameter& parameter, const ValueField& field, const std::string& value) {
    if (const auto* s = std::get_if<std::string*>(&field))
        (*s)->assign(value);
    else
        noField(parameter);
}

// ---- writing ----

// The bytes a getter writes a numeric value into.
union NumericValue {
    uint32_t u32;
    int32_t i32;
    double f64;
};

void writeFromGetter(Fg_ConfigFileParser& parser, const SavedParameter& parameter,
                     const ParameterHandlerTable& handlers) {
    NumericValue value{};
    handlers.get(*parameter.row, &value);
    switch (parameter.kind) {
    case SavedValueKind::Integer:
        parser.writeConfigFileIntKey(parameter.key.data(), value.i32);
        return;
    case SavedValueKind::Double:
        parser.wrtiteConfigFileDoubleKey(parameter.key.data(), value.f64);
        return;
    case SavedValueKind::Text:
        break;
    }
    noField(parameter);
}

void writeFromField(Fg_ConfigFileParser& parser, const SavedParameter& parameter, const ValueField& field) {
    switch (parameter.kind) {
    case SavedValueKind::Integer:
        parser.writeConfigFileIntKey(parameter.key.data(), integerOf(parameter, field));
        return;
    case SavedValueKind::Double:
        parser.wrtiteConfigFileDoubleKey(parameter.key.data(), doubleOf(parameter, field));
        return;
    case SavedValueKind::Text: {
        // Texts go through a buffer of fixed size: longer ones are cut.
        const std::string& text = textOf(parameter, field);
        char buffer[kSavedTextCapacity];
        const std::size_t length = std::min(text.size(), sizeof buffer - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
        parser.writeConfigFile(parameter.key.data(), buffer);
        return;
    }
    }
}

// ---- reading ----

// One key's value as read from the file, in the form its kind has.
struct FileValue {
    int32_t integer = 0;
    double number = 0.0;
    std::string text;

    // The value in the layout the setter reads: the 32-bit bits, the double, or the C text.
    const void* forSetter(SavedValueKind kind) const {
        switch (kind) {
        case SavedValueKind::Integer:
            return &integer;
        case SavedValueKind::Double:
            return &number;
        case SavedValueKind::Text:
            break;
        }
        return text.c_str();
    }
};

// False when the key is missing from the port section (or its number text reads "Error").
bool readFileValue(Fg_ConfigFileParser& parser, const SavedParameter& parameter, FileValue& value) {
    switch (parameter.kind) {
    case SavedValueKind::Integer:
        return parser.parseIntKey(kPort, parameter.key, value.integer) == kOk;
    case SavedValueKind::Double:
        return parser.parseDoubleKey(kPort, parameter.key, value.number) == kOk;
    case SavedValueKind::Text:
        if (parser.parseKey(kPort, parameter.key, value.text) != kOk)
            return false;
        // Texts are read into a buffer of fixed size: longer ones are cut.
        if (value.text.size() >= kSavedTextCapacity)
            value.text.resize(kSavedTextCapacity - 1);
        return true;
    }
    return false;
}

bool stage(Fg_ConfigFileParser& parser, const SavedParameter& parameter, ParameterValueBlock& values,
           FileValue& value) {
    if (!readFileValue(parser, parameter, value))
        return false;
    const ValueField field = valueFieldOf(values, *parameter.row);
    switch (parameter.kind) {
    case SavedValueKind::Integer:
        storeInteger(parameter, field, value.integer);
        break;
    case SavedValueKind::Double:
        storeDouble(parameter, field, value.number);
        break;
    case SavedValueKind::Text:
        storeText(parameter, field, value.text);
        break;
    }
    return true;
}

bool apply(Fg_ConfigFileParser& parser, const SavedParameter& parameter,
           const ParameterHandlerTable& handlers, FileValue& value) {
    if (!readFileValue(parser, parameter, value))
        return false;
    handlers.set(*parameter.row, value.forSetter(parameter.kind), false);
    return true;
}

} // namespace

void writeSavedParameters(Fg_ConfigFileParser& parser, ParameterValueBlock& values,
                          const ParameterHandlerTable& handlers) {
    parser.writePortHeader(kPort);
    for (const SavedParameter& parameter : savedParameters()) {
        // A value that cannot be had leaves its key out; the others are still written.
        try {
            if (parameter.writtenFromGetter)
                writeFromGetter(parser, parameter, handlers);
            else
                writeFromField(parser, parameter, valueFieldOf(values, *parameter.row));
        } catch (int32_t) {
        }
    }
}

bool readSavedParameters(Fg_ConfigFileParser& parser, ParameterValueBlock& values,
                         const ParameterHandlerTable& handlers) {
    FileValue value;
    try {
        for (const SavedParameter& parameter : savedParameters()) {
            if (parameter.staged && !stage(parser, parameter, values, value))
                return false;
        }
        // The legacy mode goes first: with the legacy parameters already staged, its setter sees
        // them unchanged and leaves the area trigger settings that follow alone.
        const SavedParameter* legacyMode = findSavedParameter(ids::FG_TRIGGER_LEGACY_MODE);
        if (legacyMode != nullptr && legacyMode->applied && !apply(parser, *legacyMode, handlers, value))
            return false;
        for (const SavedParameter& parameter : savedParameters()) {
            if (parameter.applied && &parameter != legacyMode && !apply(parser, parameter, handlers, value))
                return false;
        }
        const int32_t applySettings = 1;
        handlers.set(ids::FG_SHADING_APPLY_SETTINGS, &applySettings, false);
    } catch (int32_t) {
        return false;
    }
    return true;
}

} // namespace kestrel
