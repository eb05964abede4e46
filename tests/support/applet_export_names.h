// The applet library's exports, in the order of Gh5AppletExports.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace kestrel::test {

inline std::vector<std::string> appletExportNames() {
    std::istringstream list(
        "Std_entry Info Fg_setParameterWithType Fg_getParameterWithType Fg_getParameterIdByName "
        "Fg_getParameterName Fg_getParameterId Fg_getNrOfParameter Fg_getEventMask Fg_getEventName "
        "Fg_saveConfig Fg_loadConfig Fg_getParameterInfoXML Fg_getParameterInfo Fg_AllocShading "
        "Fg_FreeShading "
        "Shad_SetSubValueLine Shad_SetMultValueLine Shad_SetFixedPatternNoiseLine Shad_GetMaxLine "
        "Shad_GetAccess "
        "Shad_FreeAccess Shad_WriteActLine Fg_getAppletId Fg_getStatusEx Fg_AcquireEx Fg_stopAcquireEx "
        "Fg_getLastPicNumberEx Fg_getLastPicNumberBlockingEx Fg_getLastErrorNumber Fg_FreeGrabber");
    std::vector<std::string> names;
    for (std::string name; list >> name;)
        names.push_back(name);
    return names;
}

} // namespace kestrel::test
