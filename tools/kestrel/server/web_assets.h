// The page's files, compiled into the program from tools/kestrel/web.
#pragma once

#include <cstddef>
#include <vector>

namespace kestrel::tool {

struct WebAsset {
    const char* path; // "/index.html"
    const char* mediaType;
    const unsigned char* data;
    std::size_t size;
};

const std::vector<WebAsset>& webAssets();

} // namespace kestrel::tool
