// Texts for result codes, and the per-thread detail of the last failure.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel::host {

const char* errorText(int32_t code);
void setErrorDetail(std::string detail);
const char* errorDetail();

} // namespace kestrel::host
