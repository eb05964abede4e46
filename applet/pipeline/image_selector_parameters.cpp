// Image selector and noise-filter setters.
#include "pipeline/image_selector_parameters.h"

#include <cstring>

#include "params/parameter_ids.h"

namespace kestrel {

namespace {

// A write that fails quietly keeps the new value, which configuration loading reads back.
constexpr QuietFailure kOnQuietFailure = QuietFailure::KeepNewValue;

template <class T> void writeValue(void* value, T number) {
    std::memcpy(value, &number, sizeof number);
}

} // namespace

void ImageSelectorParameters::bind(ParameterHandlerTable& table) {
    table.bindCheckedSetter<&ImageSelectorParameters::setPeriod>(ids::FG_IMG_SELECT_PERIOD, *this);
    table.bindGetter<&ImageSelectorParameters::getPeriod>(ids::FG_IMG_SELECT_PERIOD, *this);
    table.bindCheckedSetter<&ImageSelectorParameters::setSelection>(ids::FG_IMG_SELECT, *this);
    table.bindGetter<&ImageSelectorParameters::getSelection>(ids::FG_IMG_SELECT, *this);
    table.bindCheckedSetter<&ImageSelectorParameters::setNoiseFilter>(ids::FG_NOISEFILTER, *this);
    table.bindGetter<&ImageSelectorParameters::getNoiseFilter>(ids::FG_NOISEFILTER, *this);
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

void ImageSelectorParameters::getPeriod(void* value) {
    writeValue(value, context_.values.imageSelectPeriod);
}
void ImageSelectorParameters::getSelection(void* value) {
    writeValue(value, context_.values.imageSelect);
}
void ImageSelectorParameters::getNoiseFilter(void* value) {
    writeValue(value, context_.values.noiseFilter);
}

} // namespace kestrel
