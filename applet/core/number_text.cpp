// Numbers as text through std::to_chars, which is printf in the "C" locale by definition.
#include "core/number_text.h"

#include <charconv>

namespace kestrel {

NumberText NumberText::ofInt(int64_t value) {
    NumberText result;
    const auto [end, ec] =
        std::to_chars(result.text_.data(), result.text_.data() + result.text_.size(), value);
    result.size_ = ec == std::errc() ? static_cast<std::size_t>(end - result.text_.data()) : 0;
    return result;
}

NumberText NumberText::ofUInt64(uint64_t value) {
    NumberText result;
    const auto [end, ec] =
        std::to_chars(result.text_.data(), result.text_.data() + result.text_.size(), value);
    result.size_ = ec == std::errc() ? static_cast<std::size_t>(end - result.text_.data()) : 0;
    return result;
}

NumberText NumberText::ofDouble(double value) {
    // The longest %.12g text ("-1.23456789012e-308") fits the buffer.
    constexpr int kPrecision = 12;
    NumberText result;
    const auto [end, ec] = std::to_chars(result.text_.data(), result.text_.data() + result.text_.size(),
                                         value, std::chars_format::general, kPrecision);
    result.size_ = ec == std::errc() ? static_cast<std::size_t>(end - result.text_.data()) : 0;
    return result;
}

} // namespace kestrel
