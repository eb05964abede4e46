// The port section of a configuration file: writing the saved parameters and loading them back in
// a stage pass and an apply pass.
#pragma once

namespace kestrel {

class Fg_ConfigFileParser;
class ParameterHandlerTable;
struct ParameterValueBlock;

// Writes the "[Port A]" section: every saved parameter in file order, from its field in
// `values`, or from its getter for the computed ones. A key whose getter raises is left out and
// the walk goes on.
void writeSavedParameters(Fg_ConfigFileParser& parser, ParameterValueBlock& values,
                          const ParameterHandlerTable& handlers);

// Loads the "[Port A]" section of an open file:
// 1. stage: every staged key, in file order, is read and stored in its field without any check;
// 2. apply: FG_TRIGGER_LEGACY_MODE, then every other applied key in file order, is read again and
//    handed to its setter with reportErrors false (a setter keeps its previous, staged value when
//    it rejects the value);
// 3. FG_SHADING_APPLY_SETTINGS is set to 1 through its setter, which applies the staged shading
//    settings.
// False as soon as a key cannot be read or a code is raised outside a setter's own guard (a
// parameter without a setter raises kErrInvalidArgument); what was staged or applied before
// stays.
bool readSavedParameters(Fg_ConfigFileParser& parser, ParameterValueBlock& values,
                         const ParameterHandlerTable& handlers);

} // namespace kestrel
