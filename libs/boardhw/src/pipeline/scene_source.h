// The virtual Camera Link camera's built-in scene: what a real sensor would see, made up.
#pragma once

#include "pipeline/frame_source.h"

#include <cstdint>
#include <vector>

namespace kestrel::board {

enum class SceneContent {
    // A lit gradient with a bright disc that circles the image (one turn in 120 frames).
    Synthetic,
    // Uniform light: only the optics and the sensor shape the image, as a flat-field target.
    FlatField,
    // No light at all, as with the lens cap on: the dark offset, noise and defects alone, the
    // black reference of a flat-field correction.
    LensCap,
};

// The camera's optics and sensor act on either content the same way: vignetting (the corners
// get 35 % less light than the centre), a fixed per-pixel gain spread of +/-3 % and dark offset
// of 12..28 grey levels, temporal noise, and a few hot (full scale) and dead (0) pixels.
struct SceneSettings {
    uint32_t widthPixels = 1024;
    uint32_t heightLines = 1024;
    // The camera's bit depth: 8, 10 or 12. Samples enter the pipeline as 12-bit values (an
    // 8-bit sample shifted left by 4, a 10-bit one by 2).
    uint32_t bitDepth = 12;
    SceneContent content = SceneContent::Synthetic;
    // Light of the flat field at the optical centre, in 12-bit grey levels before vignetting.
    double flatLevel = 3000.0;
    // Standard deviation of the temporal noise in 12-bit grey levels; 0 turns it off.
    double noiseSigma = 4.0;
    uint32_t hotPixels = 6;
    uint32_t deadPixels = 6;
    // Everything random in the scene (fixed pattern, defect positions, noise) follows this seed.
    uint64_t seed = 0x4B31324B45535452ull;

    friend bool operator==(const SceneSettings&, const SceneSettings&) = default;
};

struct SensorDefect {
    uint32_t x = 0;
    uint32_t y = 0;
    bool hot = false; // else dead

    friend bool operator==(const SensorDefect&, const SensorDefect&) = default;
};

// What stays the same from frame to frame (light, optics, fixed pattern) is worked out once, when
// the source is made; a frame adds only the moving disc and fresh noise to it.
class SceneSource final : public FrameSource {
public:
    // Throws std::invalid_argument for a bit depth other than 8, 10 or 12, negative noise or a
    // negative or infinite flat-field level.
    explicit SceneSource(const SceneSettings& settings);

    const SceneSettings& settings() const { return settings_; }
    // Where the defective pixels are; a dead pixel wins where both land on one place.
    const std::vector<SensorDefect>& defects() const { return defects_; }

    uint32_t widthPixels() const override { return settings_.widthPixels; }
    uint32_t heightLines() const override { return settings_.heightLines; }
    void renderLine(uint64_t frameNumber, uint32_t y, uint16_t* line) const override;

private:
    void prepareLight();
    void exposeLine(uint32_t y, uint32_t frameKey, double objectX, double objectY, uint16_t* line) const;

    SceneSettings settings_;
    std::vector<SensorDefect> defects_;
    // The same, line by line (positions are unique, so their order within a line is free).
    std::vector<SensorDefect> defectsByLine_;
    // Per pixel, in eighths of a grey level: the noiseless sample under the scene's own light and,
    // for the synthetic scene, under the disc.
    std::vector<uint16_t> lit_;
    std::vector<uint16_t> underDisc_;
    // Grey levels per unit of the noise's byte sum.
    float noiseScale_ = 0;
    uint16_t depthMask_ = 0;
};

} // namespace kestrel::board
