// The parameters a new applet writes to the board once, at the end of its creation.
#pragma once

#include <cstdint>
#include <span>

namespace kestrel {

class ParameterHandlerTable;

// Writable numeric parameters, in catalogue order, whose setters run with their catalogue
// initial value so that the board leaves creation in the state the values describe. Texts,
// actions and the lookup-table entry are not among them.
std::span<const int32_t> initialStateParameterIds();

// Calls each of those setters with its initial value and reportErrors false; failures are
// ignored, as they are for every step of the initial state.
void applyInitialValues(const ParameterHandlerTable& handlers);

} // namespace kestrel
