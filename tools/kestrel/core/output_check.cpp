// Whether standard output took everything the command wrote.
#include "output_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace kestrel::tool {

std::string standardOutputProblem() {
    errno = 0;
    std::cout.flush();
    const bool failedBefore = !std::cout || std::ferror(stdout) != 0;
    if (std::fflush(stdout) == 0 && !failedBefore)
        return "";
    // A write that failed earlier left no errno behind; one more byte asks the system again.
    if (errno == 0) {
        std::clearerr(stdout);
        if (std::fputc('\n', stdout) != EOF)
            std::fflush(stdout);
    }
    return errno != 0 ? std::strerror(errno) : "write error";
}

} // namespace kestrel::tool
