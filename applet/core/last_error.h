// One applet's last error: the result of its latest call, as Fg_getLastErrorNumber reports it.
#pragma once

#include <atomic>
#include <cstdint>

namespace kestrel {

class LastError {
public:
    int32_t get() const { return code_.load(std::memory_order_relaxed); }
    void set(int32_t code) { code_.store(code, std::memory_order_relaxed); }

private:
    // A plain value by contract (concurrent calls may overwrite each other's code); atomic only so
    // that doing so is not undefined behaviour.
    std::atomic<int32_t> code_{0};
};

} // namespace kestrel
