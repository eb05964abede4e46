// Numbers as text, the one way the applet writes them: printf's "C"-locale forms, whatever locale
// the process runs in (files, XML and the diagnostic log all read '.' as the decimal point).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrel {

// A formatted number in a 32-character buffer.
class NumberText {
public:
    // printf "%lld".
    static NumberText ofInt(int64_t value);
    // printf "%llu".
    static NumberText ofUInt64(uint64_t value);
    // printf "%.*g" with precision 12: at most 12 significant digits, fixed or exponent form as
    // %g chooses ("0.1", "1e+20", "inf", "-nan").
    static NumberText ofDouble(double value);

    std::string_view view() const { return {text_.data(), size_}; }

private:
    std::array<char, 32> text_{};
    std::size_t size_ = 0;
};

} // namespace kestrel
