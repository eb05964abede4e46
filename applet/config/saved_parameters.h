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
    int32_t id;
    const char* key; // the catalogue name; static storage
    // The length of `key`, measured once, so that the two lookups of every load need not.
    std::size_t keyLength;
    ParameterType type;
    SavedValueKind kind;
    bool staged;            // loading stores the value in its field before any setter runs
    bool applied;           // loading then calls the parameter's setter with it
    bool writtenFromGetter; // saving asks the getter (which may compute or read the board)

    std::string_view keyText() const { return std::string_view(key, keyLength); }
};

// The saved catalogue rows in catalogue order, which is the file order.
// Static storage, built on first use.
std::span<const SavedParameter> savedParameters();

// The row of `id`, or null for a parameter that is not saved.
const SavedParameter* findSavedParameter(int32_t id);

} // namespace kestrel
