// Camera simulator setters: range checks, the pixel-rate model and the board writes.
#include "pipeline/simulator_parameters.h"

#include <cmath>
#include <cstring>

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// A write that fails quietly keeps the new value, which configuration loading reads back.
constexpr QuietFailure kOnQuietFailure = QuietFailure::KeepNewValue;

// Half the base rate: below it no accuracy period holds a single active cycle.
constexpr double kGeneratorHalfBaseRateMHz = kGeneratorBaseRateMHz / 2.0;

template <class T> void writeValue(void* value, T number) {
    std::memcpy(value, &number, sizeof number);
}

} // namespace

std::optional<GeneratorTiming> generatorTiming(double frequencyMHz, uint32_t accuracy) {
    const double exactActive = accuracy * frequencyMHz / kGeneratorBaseRateMHz + 0.5;
    // Only validated pairs reach here, but a count the counters cannot hold must never reach the
    // integer conversion either.
    if (!(exactActive >= 0.0) || exactActive > static_cast<double>(kGeneratorCounterMaximum) + 1.0)
        return std::nullopt;
    const int64_t active = static_cast<int32_t>(exactActive);
    const int64_t passive = int64_t{accuracy} - active;
    if (active == 0 || static_cast<uint64_t>(active) > kGeneratorCounterMaximum ||
        static_cast<uint64_t>(passive) > kGeneratorCounterMaximum)
        return std::nullopt;
    return GeneratorTiming{active, passive};
}

uint32_t minimumGeneratorAccuracy(double frequencyMHz) {
    return static_cast<uint32_t>(std::ceil(kGeneratorHalfBaseRateMHz / frequencyMHz));
}

double minimumGeneratorFrequencyMHz(uint32_t accuracy) {
    return std::ceil(kGeneratorHalfBaseRateMHz / accuracy);
}

uint64_t generatorWidthCount(uint64_t pixels) {
    return 2 * pixels / 8;
}

void SimulatorParameters::bind(ParameterHandlerTable& table) {
    table.bindSetter<&SimulatorParameters::setEnable>(ids::FG_GEN_ENABLE, *this);
    table.bindSetter<&SimulatorParameters::setStart>(ids::FG_GEN_START, *this);
    table.bindSetter<&SimulatorParameters::setWidth>(ids::FG_GEN_WIDTH, *this);
    table.bindSetter<&SimulatorParameters::setHeight>(ids::FG_GEN_HEIGHT, *this);
    table.bindSetter<&SimulatorParameters::setLineGap>(ids::FG_GEN_LINE_GAP, *this);
    table.bindSetter<&SimulatorParameters::setFrequency>(ids::FG_GEN_FREQ, *this);
    // The least accuracy follows the stored frequency, which the setter checks.
    table.bindSetter<&SimulatorParameters::setAccuracy>(ids::FG_GEN_ACCURACY, *this);
    table.bindSetter<&SimulatorParameters::setTap<1>>(ids::FG_GEN_TAP1, *this);
    table.bindSetter<&SimulatorParameters::setTap<2>>(ids::FG_GEN_TAP2, *this);
    table.bindSetter<&SimulatorParameters::setTap<3>>(ids::FG_GEN_TAP3, *this);
    table.bindSetter<&SimulatorParameters::setTap<4>>(ids::FG_GEN_TAP4, *this);
    table.bindSetter<&SimulatorParameters::setRoll>(ids::FG_GEN_ROLL, *this);
    table.bindGetter<&SimulatorParameters::getActive>(ids::FG_GEN_ACTIVE, *this);
    table.bindGetter<&SimulatorParameters::getPassive>(ids::FG_GEN_PASSIVE, *this);
    table.bindGetter<&SimulatorParameters::getLineWidth>(ids::FG_GEN_LINE_WIDTH, *this);
}

void SimulatorParameters::write(GeneratorRegister reg, uint64_t value, bool reportErrors) {
    context_.generator.write(context_.host.boardHandle(), reg, value, reportErrors);
}

void SimulatorParameters::writeLineGeometry(bool reportErrors) {
    const ParameterValueBlock& values = context_.values;
    write(GeneratorRegister::Width, generatorWidthCount(values.generatorWidthPixels), reportErrors);
    write(GeneratorRegister::LineWidth,
          generatorWidthCount(uint64_t{values.generatorWidthPixels} + values.generatorLineGapPixels),
          reportErrors);
}

void SimulatorParameters::writeTiming(const GeneratorTiming& timing, bool reportErrors) {
    // A passive count of 0 (frequency = base rate) wraps to all bits set; the counter then never
    // pauses, which is the setting's meaning.
    write(GeneratorRegister::Active, static_cast<uint64_t>(timing.activeCycles - 1), reportErrors);
    write(GeneratorRegister::Passive, static_cast<uint64_t>(timing.passiveCycles - 1), reportErrors);
}

void SimulatorParameters::setEnable(uint32_t enable, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.generatorEnable, enable, reportErrors,
                                    [&] { write(GeneratorRegister::Enable, enable, reportErrors); });
}

void SimulatorParameters::setStart(uint32_t start, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.generatorStart, start, reportErrors,
                                    [&] { write(GeneratorRegister::Start, start, reportErrors); });
}

void SimulatorParameters::setWidth(uint32_t widthPixels, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.generatorWidthPixels, widthPixels, reportErrors,
                                    [&] { writeLineGeometry(reportErrors); });
}

void SimulatorParameters::setLineGap(uint32_t lineGapPixels, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.generatorLineGapPixels, lineGapPixels, reportErrors,
                                    [&] { writeLineGeometry(reportErrors); });
}

void SimulatorParameters::setHeight(uint32_t heightLines, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.generatorHeightLines, heightLines, reportErrors, [&] {
        // The line counter counts down to zero, so it takes the last line's index; the
        // subtraction stays 32 bits wide, so a height of 0 asks for the most lines it can count.
        write(GeneratorRegister::Height, static_cast<uint32_t>(heightLines - 1u), reportErrors);
    });
}

void SimulatorParameters::setRoll(uint32_t roll, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.generatorRoll, roll, reportErrors,
                                    [&] { write(GeneratorRegister::Roll, roll, reportErrors); });
}

void SimulatorParameters::setFrequency(double frequencyMHz, bool reportErrors) {
    ParameterValueBlock& values = context_.values;
    // Written so that a NaN fails as well.
    if (!(frequencyMHz >= minimumGeneratorFrequencyMHz(values.generatorAccuracy) &&
          frequencyMHz <= kGeneratorBaseRateMHz))
        return refuse(kErrOutOfRange, reportErrors);
    const std::optional<GeneratorTiming> timing = generatorTiming(frequencyMHz, values.generatorAccuracy);
    if (!timing)
        return refuse(kErrInvalidPort, reportErrors);
    storeThenWrite<kOnQuietFailure>(values.generatorFrequencyMHz, frequencyMHz, reportErrors,
                                    [&] { writeTiming(*timing, reportErrors); });
    context_.limits.publishIntegerMinimum(ids::FG_GEN_ACCURACY,
                                          static_cast<int32_t>(minimumGeneratorAccuracy(frequencyMHz)));
}

void SimulatorParameters::setAccuracy(uint32_t accuracy, bool reportErrors) {
    ParameterValueBlock& values = context_.values;
    if (accuracy < minimumGeneratorAccuracy(values.generatorFrequencyMHz))
        return refuse(kErrOutOfRange, reportErrors);
    const std::optional<GeneratorTiming> timing = generatorTiming(values.generatorFrequencyMHz, accuracy);
    if (!timing)
        return refuse(kErrInvalidPort, reportErrors);
    storeThenWrite<kOnQuietFailure>(values.generatorAccuracy, accuracy, reportErrors,
                                    [&] { writeTiming(*timing, reportErrors); });
    context_.limits.publishDoubleMinimum(ids::FG_GEN_FREQ, minimumGeneratorFrequencyMHz(accuracy));
}

void SimulatorParameters::setTapBit(int tap, int32_t on, bool reportErrors) {
    const uint64_t bit = uint64_t{1} << (tap - 1);
    const uint64_t mask = context_.generator.cachedValue(GeneratorRegister::Mask);
    const uint64_t newMask = on == 1 ? (mask | bit) : (mask & ~bit);
    storeThenWrite<kOnQuietFailure>(context_.values.generatorTaps[static_cast<std::size_t>(tap - 1)], on,
                                    reportErrors,
                                    [&] { write(GeneratorRegister::Mask, newMask, reportErrors); });
}

template <int Tap> void SimulatorParameters::setTap(int32_t on, bool reportErrors) {
    static_assert(Tap >= 1 && Tap <= 4);
    setTapBit(Tap, on, reportErrors);
}

void SimulatorParameters::getActive(void* value) {
    writeValue(value, static_cast<uint32_t>(context_.generator.cachedValue(GeneratorRegister::Active) + 1));
}

void SimulatorParameters::getPassive(void* value) {
    writeValue(value, static_cast<uint32_t>(context_.generator.cachedValue(GeneratorRegister::Passive) + 1));
}

void SimulatorParameters::getLineWidth(void* value) {
    const ParameterValueBlock& values = context_.values;
    writeValue(value, values.generatorWidthPixels + values.generatorLineGapPixels);
}

} // namespace kestrel
