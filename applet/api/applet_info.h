// The applet properties query: answers about the library without an applet object.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel {

// Answers properties query `query`. Outputs are 64-bit slots written only when non-null; for
// query 4352 `out1` is an input (the NUL-terminated name of an enumeration constant). Returned
// addresses point to static storage that lives while the library is loaded. kErrInvalidArgument
// for bad arguments, kErrNotSupported for an unknown query.
int32_t appletInfo(int32_t query, uint32_t a, uint32_t b, void* out1, void* out2);

// Value of an enumeration constant by exact name ("FG_GRAY" -> 3), or nothing. The table is built
// on first use and kept until the process ends.
std::optional<int32_t> enumerationConstant(std::string_view name);

} // namespace kestrel
