// A handler table whose setters and getters only record what they were given, for the saved
// parameters' walk without an applet: each saved id gets its own slot.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/saved_parameters.h"
#include "params/parameter_handlers.h"
#include "params/parameter_ids.h"

namespace kestrel::test {

struct SetterCall {
    int32_t id;
    std::string value; // the value as text: %u, %d, %.17g or the text itself
    bool reportErrors;
};

class RecordingHandlers {
public:
    RecordingHandlers() {
        for (const SavedParameter& parameter : savedParameters())
            bind(parameter.id, parameter.type);
        bind(ids::FG_SHADING_APPLY_SETTINGS, ParameterType::Int32);
    }
    RecordingHandlers(const RecordingHandlers&) = delete;
    RecordingHandlers& operator=(const RecordingHandlers&) = delete;

    const ParameterHandlerTable& table() const { return table_; }
    const std::vector<SetterCall>& calls() const { return calls_; }
    std::vector<int32_t> calledIds() const {
        std::vector<int32_t> result;
        for (const SetterCall& call : calls_)
            result.push_back(call.id);
        return result;
    }

    // What the getter of `id` answers (numeric parameters; 0 when not given).
    void answer(int32_t id, double value) { answers_[id] = value; }
    // Makes the setter or getter of `id` raise `code`.
    void raiseOn(int32_t id, int32_t code) { raising_[id] = code; }

private:
    struct Slot {
        RecordingHandlers* owner;
        int32_t id;

        void setU32(uint32_t value, bool reportErrors) {
            owner->record(id, std::to_string(value), reportErrors);
        }
        void setI32(int32_t value, bool reportErrors) {
            owner->record(id, std::to_string(value), reportErrors);
        }
        void setF64(double value, bool reportErrors) {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", value);
            owner->record(id, text, reportErrors);
        }
        void setText(const char* value, bool reportErrors) { owner->record(id, value, reportErrors); }
        void getU32(void* value) {
            const uint32_t v = static_cast<uint32_t>(owner->answerOf(id));
            std::memcpy(value, &v, sizeof v);
        }
        void getI32(void* value) {
            const int32_t v = static_cast<int32_t>(owner->answerOf(id));
            std::memcpy(value, &v, sizeof v);
        }
        void getF64(void* value) {
            const double v = owner->answerOf(id);
            std::memcpy(value, &v, sizeof v);
        }
    };

    void bind(int32_t id, ParameterType type) {
        Slot& slot = slots_.emplace_back(Slot{this, id});
        switch (type) {
        case ParameterType::UInt32:
            table_.bindSetter<&Slot::setU32>(id, slot);
            table_.bindGetter<&Slot::getU32>(id, slot);
            break;
        case ParameterType::Int32:
            table_.bindSetter<&Slot::setI32>(id, slot);
            table_.bindGetter<&Slot::getI32>(id, slot);
            break;
        case ParameterType::Double:
            table_.bindSetter<&Slot::setF64>(id, slot);
            table_.bindGetter<&Slot::getF64>(id, slot);
            break;
        default:
            table_.bindSetter<&Slot::setText>(id, slot);
            break;
        }
    }

    void record(int32_t id, std::string value, bool reportErrors) {
        calls_.push_back(SetterCall{id, std::move(value), reportErrors});
        if (const auto found = raising_.find(id); found != raising_.end())
            throw found->second;
    }
    double answerOf(int32_t id) const {
        if (const auto found = raising_.find(id); found != raising_.end())
            throw found->second;
        const auto found = answers_.find(id);
        return found == answers_.end() ? 0.0 : found->second;
    }

    ParameterHandlerTable table_;
    std::deque<Slot> slots_; // stable addresses for the table
    std::vector<SetterCall> calls_;
    std::map<int32_t, double> answers_;
    std::map<int32_t, int32_t> raising_;
};

} // namespace kestrel::test
