// Build step: reads the design description and writes the binary design image.
#include "design_description.h"
#include "image_builder.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>

namespace {

// Written beside the target and renamed over it, so an interrupted build never leaves a short
// image that looks up to date.
void writeImage(const std::vector<std::byte>& image, const std::string& path) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot rename " + temporary + " to " + path);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " <description> <image>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error(std::string("cannot open ") + argv[1]);
        const auto description = kestrel::design::parseDescription(in, argv[1]);
        writeImage(kestrel::design::buildDesignImage(description), argv[2]);
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
