// Sets or removes an environment variable for one scope and restores it afterwards.
#pragma once

#include <cstdlib>
#include <string>

#include "test_system.h"

namespace kestrel::test {

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) {
            hadValue_ = true;
            oldValue_ = old;
        }
        setEnvironment(name, value);
    }
    ~ScopedEnvironment() { setEnvironment(name_.c_str(), hadValue_ ? oldValue_.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

} // namespace kestrel::test
