// What the applet says about itself: names, versions and descriptive texts.
#pragma once

#include <cstdint>

namespace kestrel::identity {

// Static storage: addresses handed out stay valid while the library is loaded.
inline constexpr char kAppletName[] = "Kestrel12";
inline constexpr char kVersion[] = "2.4.1.2";
inline constexpr char kFullVersion[] = "2.4.1.2.20170418.111648";
inline constexpr char kTitle[] = "Pelorus Advanced:Area";
inline constexpr char kDescription[] =
    "Pelorus Advanced with support of Velora technology, 12Bit image processing, shading correction, "
    "median noise filter, dead pixel interpolation and lookup table for one Camera Link MEDIUM "
    "configuration grayscale area scan camera.";
inline constexpr char kClassification[] =
    "class=standard,family=acquisition,type=single,sensortype=area,color=gray,interface=cl-medium";
inline constexpr char kIdentifier[] = "5e1b7a20-3c94-4d2f-a6e8-0f21c9d4b731";
inline constexpr char kEmptyText[] = "";

// Identity of an applet object, as configuration files record it.
inline constexpr char kVendorName[] = "Tarnwell GmbH";
inline constexpr char kObjectAppletVersion[] = "1.2";
inline constexpr int32_t kLoadAppletId = 0;

} // namespace kestrel::identity
