// Feeds arbitrary bytes as a whole ".scf" file to the configuration load: the header checks, the
// stage pass into a value block and the apply pass into setters that record their calls. Checks
// the result codes, the order of the setter calls and that staged numbers are the file's.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/config_file_parser.h"
#include "config/configuration_file.h"
#include "config/saved_parameter_io.h"
#include "config/saved_parameters.h"
#include "config/value_block_fields.h"
#include "core/error_codes.h"
#include "fuzz_support.h"
#include "params/initial_values.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"
#include "params/parameter_value_block.h"

namespace kestrel::fuzz {
namespace {

// Setters that record which parameter they were called for; one slot per parameter.
class RecordingSetters {
public:
    RecordingSetters() {
        for (const SavedParameter& p : savedParameters())
            bind(p.id(), p.type());
        bind(ids::FG_SHADING_APPLY_SETTINGS, ParameterType::Int32);
    }
    const ParameterHandlerTable& table() const { return table_; }
    std::vector<int32_t>& calls() { return calls_; }

private:
    struct Slot {
        RecordingSetters* owner;
        int32_t id;
        void setU32(uint32_t, bool reportErrors) { owner->record(id, reportErrors); }
        void setI32(int32_t, bool reportErrors) { owner->record(id, reportErrors); }
        void setF64(double, bool reportErrors) { owner->record(id, reportErrors); }
        void setText(const char* text, bool reportErrors) {
            FUZZ_CHECK(text != nullptr && std::strlen(text) < kSavedTextCapacity, "text handed to a setter");
            owner->record(id, reportErrors);
        }
    };
    void bind(int32_t id, ParameterType type) {
        Slot& slot = slots_.emplace_back(Slot{this, id});
        switch (type) {
        case ParameterType::UInt32:
            table_.bindSetter<&Slot::setU32>(id, slot);
            break;
        case ParameterType::Int32:
            table_.bindSetter<&Slot::setI32>(id, slot);
            break;
        case ParameterType::Double:
            table_.bindSetter<&Slot::setF64>(id, slot);
            break;
        default:
            table_.bindSetter<&Slot::setText>(id, slot);
            break;
        }
    }
    void record(int32_t id, bool reportErrors) {
        FUZZ_CHECK(!reportErrors, "a load reported errors from a setter");
        calls_.push_back(id);
    }

    ParameterHandlerTable table_;
    std::deque<Slot> slots_;
    std::vector<int32_t> calls_;
};

// The setters of a complete load, in order.
std::vector<int32_t> completeApplyOrder() {
    std::vector<int32_t> order{ids::FG_TRIGGER_LEGACY_MODE};
    for (const SavedParameter& p : savedParameters())
        if (p.applied && p.id() != ids::FG_TRIGGER_LEGACY_MODE)
            order.push_back(p.id());
    order.push_back(ids::FG_SHADING_APPLY_SETTINGS);
    return order;
}

void checkStagedIntegers(const char* file, ParameterValueBlock& values) {
    Fg_ConfigFileParser parser(nullptr, file, true);
    for (const SavedParameter& p : savedParameters()) {
        if (!p.staged || p.kind != SavedValueKind::Integer)
            continue;
        int32_t expected = 0;
        FUZZ_CHECK(parser.parseIntKey(0, p.key, expected) == 0, "a loaded file lacks a staged key");
        const ValueField field = valueFieldOf(values, p.id());
        if (const auto* u = std::get_if<uint32_t*>(&field))
            FUZZ_CHECK(**u == static_cast<uint32_t>(expected), "staged unsigned value differs from the file");
        else if (const auto* i = std::get_if<int32_t*>(&field))
            FUZZ_CHECK(**i == expected, "staged value differs from the file");
    }
}

} // namespace
} // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    static const ScratchFile file(".scf");
    static const std::vector<int32_t> complete = completeApplyOrder();
    file.write(std::string_view(reinterpret_cast<const char*>(data), size));

    ParameterValueBlock values = freshValueBlock();
    RecordingSetters setters;
    const int32_t result = loadConfigurationFile(file.path(), "Kestrel12", [&](Fg_ConfigFileParser& parser) {
        return readSavedParameters(parser, values, setters.table());
    });
    FUZZ_CHECK(result == kOk || result == kErrConfigLoad, "load result other than 0 or -5000");

    const std::vector<int32_t>& calls = setters.calls();
    // The handler table refuses a value outside its row before the setter runs, so a load may skip
    // setters; the ones it calls still come in file order, each once.
    FUZZ_CHECK(calls.size() <= complete.size(), "more setter calls than a load makes");
    auto next = complete.begin();
    for (const int32_t id : calls) {
        next = std::find(next, complete.end(), id);
        FUZZ_CHECK(next != complete.end(), "setters called out of order");
        ++next;
    }
    if (result == kOk) {
        FUZZ_CHECK(!calls.empty() && calls.back() == ids::FG_SHADING_APPLY_SETTINGS,
                   "a successful load did not end with the shading apply");
        checkStagedIntegers(file.path(), values);
    }
    return 0;
}
