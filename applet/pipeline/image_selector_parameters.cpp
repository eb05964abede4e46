// Image selector and noise-filter setters.
#include "pipeline/image_selector_parameters.h"

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// A write that fails quietly keeps the new value, which configuration loading reads back.
constexpr QuietFailure kOnQuietFailure = QuietFailure::KeepNewValue;

} // namespace

void ImageSelectorParameters::bind(ParameterHandlerTable& table) {
    table.bindSetter<&ImageSelectorParameters::setPeriod>(ids::FG_IMG_SELECT_PERIOD, *this);
    table.bindSetter<&ImageSelectorParameters::setSelection>(ids::FG_IMG_SELECT, *this);
    table.bindSetter<&ImageSelectorParameters::setNoiseFilter>(ids::FG_NOISEFILTER, *this);
}

void ImageSelectorParameters::setPeriod(uint32_t period, bool reportErrors) {
    ParameterValueBlock& values = context_.values;
    // The selection is the other half of the pair: the period must leave room for it.
    if (period <= values.imageSelect)
        return refuse(kErrOutOfRange, reportErrors);
    storeThenWrite<kOnQuietFailure>(values.imageSelectPeriod, period, reportErrors, [&] {
        context_.writeRegister(HostRegister::ImageSelectorFGIMGSELECTPERIODDivisor, period, reportErrors);
    });
}

void ImageSelectorParameters::setSelection(uint32_t selection, bool reportErrors) {
    ParameterValueBlock& values = context_.values;
    if (values.imageSelectPeriod <= selection)
        return refuse(kErrOutOfRange, reportErrors);
    storeThenWrite<kOnQuietFailure>(values.imageSelect, selection, reportErrors, [&] {
        context_.writeRegister(HostRegister::ImageSelectorFGIMGSELECTPHASENumber, selection, reportErrors);
    });
}

void ImageSelectorParameters::setNoiseFilter(int32_t on, bool reportErrors) {
    storeThenWrite<kOnQuietFailure>(context_.values.noiseFilter, on, reportErrors, [&] {
        context_.writeRegister(HostRegister::NoiseFilterSelectValue, static_cast<uint32_t>(on), reportErrors);
    });
}

} // namespace kestrel
