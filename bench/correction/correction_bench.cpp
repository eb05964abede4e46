// FG_SHADING_APPLY_SETTINGS with two 4096 x 4096 16-bit references, from reading the references
// to the board holding the coefficients, against the floor of the file work alone done with
// libtiff: read both references, write two 32 MiB coefficient files and read them back, in the
// same strip size (about 1 MiB) and read mode ("rm") the image-file library uses.
#include <benchmark/benchmark.h>

#include <tiffio.h>

#include "bench_targets.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "grabhost5.hpp"
#include "kestrel12.h"
#include "regiort.h"

namespace {

constexpr uint32_t kSide = 4096;
constexpr uint32_t kCoefficientFileWidth = 8192;
constexpr uint32_t kStripBytes = 1u << 20;

// Two references in a directory of their own, made once per process.
struct References {
    References() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary directory");
        dir = pattern;
        black = (dir / "black.tif").string();
        gray = (dir / "gray.tif").string();
        std::vector<uint16_t> samples(std::size_t{kSide} * kSide);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<uint16_t>(1000 + i % 97);
        if (ImageFile_Write(black.c_str(), samples.data(), kSide, kSide, 16, 1) != 0)
            throw std::runtime_error("black reference not written");
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<uint16_t>(40000 + (i * 7) % 20000);
        if (ImageFile_Write(gray.c_str(), samples.data(), kSide, kSide, 16, 1) != 0)
            throw std::runtime_error("gray reference not written");
    }
    ~References() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir;
    std::string black;
    std::string gray;
};

References& references() {
    static References instance;
    return instance;
}

void BM_ApplySettings(benchmark::State& state) {
    References& refs = references();
    gh5::Board board = gh5::Board::open(0);
    gh5::Grabber grabber = gh5::Grabber::create(board, "Kestrel12");
    const Gh5AppletExports& ex = grabber.exports();
    Gh5Grabber* fg = grabber.record();
    const uint32_t maxRange = 2;
    ex.Fg_setParameterWithType(fg, FG_SHADING_GAIN_CORRECTION_MODE, &maxRange, 0, 0);
    ex.Fg_setParameterWithType(fg, FG_SHADING_BLACK_FILENAME, refs.black.c_str(), 0, 0);
    ex.Fg_setParameterWithType(fg, FG_SHADING_GRAY_FILENAME, refs.gray.c_str(), 0, 0);
    const int32_t apply = 1;
    for (auto _ : state) {
        if (ex.Fg_setParameterWithType(fg, FG_SHADING_APPLY_SETTINGS, &apply, 0, 0) != 0) {
            state.SkipWithError("apply failed");
            break;
        }
    }
    grabber.free();
}

std::vector<uint8_t> readTiff(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "rm");
    if (tif == nullptr)
        throw std::runtime_error("cannot open " + path);
    const tmsize_t stripSize = TIFFStripSize(tif);
    const uint32_t strips = TIFFNumberOfStrips(tif);
    std::vector<uint8_t> data(static_cast<std::size_t>(stripSize) * strips);
    tmsize_t offset = 0;
    for (uint32_t s = 0; s < strips; ++s) {
        const tmsize_t got = TIFFReadEncodedStrip(tif, s, data.data() + offset, stripSize);
        if (got < 0)
            throw std::runtime_error("cannot read " + path);
        offset += got;
    }
    TIFFClose(tif);
    data.resize(static_cast<std::size_t>(offset));
    return data;
}

void writeCoefficientTiff(const std::string& path, const uint8_t* samples) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr)
        throw std::runtime_error("cannot create " + path);
    const uint32_t rowsPerStrip = kStripBytes / kCoefficientFileWidth;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kCoefficientFileWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kSide);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    const tmsize_t stripBytes = static_cast<tmsize_t>(rowsPerStrip) * kCoefficientFileWidth;
    for (uint32_t s = 0; s < kSide / rowsPerStrip; ++s)
        TIFFWriteRawStrip(tif, s, const_cast<uint8_t*>(samples) + s * stripBytes, stripBytes);
    TIFFClose(tif);
}

void BM_LibtiffFloor(benchmark::State& state) {
    References& refs = references();
    const std::vector<uint8_t> coefficients(std::size_t{kCoefficientFileWidth} * kSide, 7);
    const std::string offsetFile = (refs.dir / "offset.tiff").string();
    const std::string gainFile = (refs.dir / "gain.tiff").string();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readTiff(refs.black).data());
        benchmark::DoNotOptimize(readTiff(refs.gray).data());
        writeCoefficientTiff(offsetFile, coefficients.data());
        benchmark::DoNotOptimize(readTiff(offsetFile).data());
        writeCoefficientTiff(gainFile, coefficients.data());
        benchmark::DoNotOptimize(readTiff(gainFile).data());
    }
    std::filesystem::remove(offsetFile);
    std::filesystem::remove(gainFile);
}

BENCHMARK(BM_LibtiffFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ApplySettings)->Unit(benchmark::kMillisecond)->UseRealTime();

void summarise(const kestrel::bench::Results& results, kestrel::bench::TargetLines& lines) {
    const double apply = results.realSeconds("BM_ApplySettings");
    const double floor = results.realSeconds("BM_LibtiffFloor");
    lines.atMost("FG_SHADING_APPLY_SETTINGS 4096x4096", apply < 0 || floor <= 0 ? -1.0 : apply / floor, 1.5,
                 "x libtiff floor");
}

} // namespace

int main(int argc, char** argv) {
    return kestrel::bench::runWithTargets(argc, argv, summarise);
}
