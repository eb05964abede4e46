// The scenes by name, and the light level of the flat field.
#include "camera_scene.h"
#include "parameter_view.h"

#include "boardhw.h"

#include <algorithm>
#include <map>

namespace kestrel::tool {
namespace {

// The flat field lights the optical centre at seven eighths of full scale: the vignetted corners of
// the gray reference then stay above half scale, where the default dead-pixel threshold would mark
// them, and the centre keeps room for the noise below full scale.
constexpr double kFlatFieldLevel = 3584.0;
const std::map<std::string, int32_t> kScenes = {{"default", BOARD_SCENE_SYNTHETIC},
                                                {"lens-cap", BOARD_SCENE_LENS_CAP},
                                                {"flat-field", BOARD_SCENE_FLAT_FIELD}};

} // namespace

const std::vector<std::string>& sceneNames() {
    static const std::vector<std::string> names = {"default", "lens-cap", "flat-field"};
    return names;
}

std::string selectScene(gh5::Board& board, const std::string& name) {
    const auto scene = kScenes.find(name);
    if (scene == kScenes.end())
        return "no scene " + name + " (default, lens-cap or flat-field)";
    if (const int32_t code = Board_SetCameraScene(board.device(), scene->second, kFlatFieldLevel);
        code != BOARD_OK)
        return "scene " + name + ": " + codeText(code);
    return "";
}

} // namespace kestrel::tool
