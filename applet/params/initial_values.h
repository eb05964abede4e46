// The parameters a new applet writes to the board once, at the end of its creation.
#pragma once

namespace kestrel {

class ParameterHandlerTable;

// Calls, in catalogue order, the setter of every parameter whose row is applied at creation (the
// writable numeric ones; texts, actions and the lookup-table entry are not) with its initial
// value and reportErrors false, so that the board leaves creation in the state the values
// describe. Failures are ignored, as they are for every step of the initial state.
void applyInitialValues(const ParameterHandlerTable& handlers);

} // namespace kestrel
