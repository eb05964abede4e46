// What the virtual camera looks at while the camera simulator is off: its built-in scene, a lens
// cap (the black reference) or a flat field (the gray reference).
#pragma once

#include "grabhost5.hpp"

#include <string>
#include <vector>

namespace kestrel::tool {

// "default", "lens-cap", "flat-field".
const std::vector<std::string>& sceneNames();
// Shows the named scene from the next frame on: "" or why it cannot.
std::string selectScene(gh5::Board& board, const std::string& name);

} // namespace kestrel::tool
