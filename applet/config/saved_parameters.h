// The parameters a configuration file keeps, in file order, with how each is written and read back.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "params/parameter_catalogue.h"

namespace kestrel {

// How a saved value appears in its key line.
enum class SavedValueKind {
    Integer, // "%d"; unsigned 32-bit values go through the signed form
    Double,  // "%.12g"
    Text,    // quoted, at most kSavedTextCapacity - 1 characters
};

// Texts are written from, and read into, a buffer of this many bytes.
inline constexpr std::size_t kSavedTextCapacity = 1024;

struct SavedParameter {
    // The catalogue row itself: loading reaches the field and the setter without a search by id.
    const ParameterDefinition* row;
    // The row's name, measured once so that the lookups of every load need not; its data() is
    // the row's own NUL-terminated text.
    std::string_view key;
    SavedValueKind kind;
    bool staged;            // loading stores the value in its field before any setter runs
    bool applied;           // loading then calls the parameter's setter with it
    bool writtenFromGetter; // saving asks the getter (which may compute or read the board)

    int32_t id() const { return row->id; }
    ParameterType type() const { return row->type; }
};

// The saved catalogue rows in catalogue order, which is the file order.
// Static storage, built on first use.
std::span<const SavedParameter> savedParameters();

// The row of `id`, or null for a parameter that is not saved.
const SavedParameter* findSavedParameter(int32_t id);

} // namespace kestrel
