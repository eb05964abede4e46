// What a new applet starts from: the rows' defaults in a value block, and on the board.
#pragma once

#include "params/parameter_definition.h"
#include "params/parameter_value_block.h"

namespace kestrel {

class ParameterHandlerTable;

// A value block holding every row's default in its field, and 0 in every lookup-table entry (the
// default of FG_LUT_VALUE). The one way to make a block: its members have no defaults of their own.
ParameterValueBlock freshValueBlock();

// Stores the row's initial or stored default in its field of `values`, as staging would; nothing
// for a row without a field.
void storeDefault(const ParameterDefinition& row, ParameterValueBlock& values);

// Calls the row's setter through `handlers` with its initial value and reportErrors false; raises
// kErrInvalidArgument when the row has no setter.
void setToInitialValue(const ParameterHandlerTable& handlers, const ParameterDefinition& row);

// Calls, in catalogue order, the setter of every parameter whose row is applied at creation (the
// writable numeric ones; texts, actions and the lookup-table entry are not) with its initial
// value and reportErrors false, so that the board leaves creation in the state the values
// describe. Failures are ignored, as they are for every step of the initial state.
void applyInitialValues(const ParameterHandlerTable& handlers);

} // namespace kestrel
