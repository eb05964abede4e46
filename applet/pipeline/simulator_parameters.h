// The camera simulator: the image generator's switch, image size, blanking, pixel rate, taps and
// roll pattern, written to the board directly and remembered in the generator register shadows.
#pragma once

#include <cstdint>
#include <optional>

#include "params/applet_context.h"
#include "params/parameter_handlers.h"

namespace kestrel {

// The generator's base pixel rate; its effective rate is the base rate x active / accuracy.
inline constexpr double kGeneratorBaseRateMHz = 125.0;
// Largest image size, line gap, accuracy and cycle count the generator's 16-bit counters hold.
inline constexpr uint32_t kGeneratorCounterMaximum = 65535;
inline constexpr uint32_t kGeneratorRollMaximum = 255;

// Active and passive base cycles of one accuracy period.
struct GeneratorTiming {
    int64_t activeCycles;
    int64_t passiveCycles;
};

// The cycle split that comes closest to `frequencyMHz` within `accuracy` base cycles; nullopt when
// the design cannot count it (no active cycle, or a count above 65535).
std::optional<GeneratorTiming> generatorTiming(double frequencyMHz, uint32_t accuracy);
// The least accuracy that `frequencyMHz` can be set with, and the least frequency for `accuracy`:
// both ceil(62.5 / other), half the base rate.
uint32_t minimumGeneratorAccuracy(double frequencyMHz);
double minimumGeneratorFrequencyMHz(uint32_t accuracy);
// What the generator's width registers count: pairs of 4-pixel groups per line, rounded down.
uint64_t generatorWidthCount(uint64_t pixels);

// FG_GEN_ENABLE .. FG_GEN_LINE_WIDTH. The handler table refuses values outside the catalogue
// row's range or entries (-6000) before the enable, start, size, tap and roll setters see them;
// frequency and accuracy check their pair themselves (-6000, -2075 for a pair the generator
// cannot count). A failing write raises the board's code;
// the shadow of a register changes only when its write succeeds.
class SimulatorParameters {
public:
    explicit SimulatorParameters(AppletContext& context) : context_(context) {}
    SimulatorParameters(const SimulatorParameters&) = delete;
    SimulatorParameters& operator=(const SimulatorParameters&) = delete;

    void bind(ParameterHandlerTable& table);

    void setEnable(uint32_t enable, bool reportErrors);
    void setStart(uint32_t start, bool reportErrors);
    void setWidth(uint32_t widthPixels, bool reportErrors);
    void setLineGap(uint32_t lineGapPixels, bool reportErrors);
    void setHeight(uint32_t heightLines, bool reportErrors);
    void setRoll(uint32_t roll, bool reportErrors);
    void setFrequency(double frequencyMHz, bool reportErrors);
    void setAccuracy(uint32_t accuracy, bool reportErrors);
    template <int Tap> void setTap(int32_t on, bool reportErrors);

    // Read-only: the active and passive cycles last written, and the generated line length.
    void getActive(void* value);
    void getPassive(void* value);
    void getLineWidth(void* value);

private:
    void write(GeneratorRegister reg, uint64_t value, bool reportErrors);
    // Width then line width, from the stored width and line gap.
    void writeLineGeometry(bool reportErrors);
    // Active then passive, each minus one as the counters expect.
    void writeTiming(const GeneratorTiming& timing, bool reportErrors);
    // Sets or clears the tap's bit (1 << (tap - 1)) in the mask shadow and writes the result.
    void setTapBit(int tap, int32_t on, bool reportErrors);

    AppletContext& context_;
};

} // namespace kestrel
