#include "value_lists.h"

constexpr ValueEntry OffOnValues[] = {{0, "Off"}, {1, "On"}, {0, nullptr}};
constexpr ValueEntry PowerModeValues[] = {{0, "Off"}, {1, "On"}, {2, "Protect"}, {0, nullptr}};
constexpr ValueEntry ThxModeValues[] = {
    {0, "Off"}, {1, "Ultra2 Cinema"}, {2, "Music"}, {3, "Cinema"}, {4, "Surround EX"}, {0, nullptr}};
constexpr ValueEntry TunerBandValues[] = {{0, "AM"}, {1, "FM"}, {2, "XM/DAB"}, {0, nullptr}};
constexpr ValueEntry StereoModeValues[] = {{0, "Mono"}, {1, "Left"}, {2, "Right"}, {3, "Stereo"}, {0, nullptr}};
constexpr ValueEntry TrayStatusValues[] = {{0, "Closed"}, {1, "Open"}, {0, nullptr}};
constexpr ValueEntry CdFilterValues[] = {{0, "Normal"}, {1, "Slow"}, {0, nullptr}};
constexpr ValueEntry LayerValues[] = {{0, "SACD"}, {1, "CD"}, {0, nullptr}};
constexpr ValueEntry SacdModeValues[] = {{0, "2 channel"}, {1, "multi channel"}, {0, nullptr}};
constexpr ValueEntry DisplayModeValues[] = {
    {0, "Elapsed"}, {1, "Remain"}, {2, "Disc Elapsed"}, {3, "Disc Remain"}, {0, nullptr}};
constexpr ValueEntry AspectRatioValues[] = {
    {0, "Widescreen 16:9"}, {1, "Letter box 4:3"}, {2, "Pan scan 4:3"}, {0, nullptr}};
constexpr ValueEntry PictureModeValues[] = {{0, "Auto"}, {1, "Film"}, {2, "Video"}, {0, nullptr}};
constexpr ValueEntry SampleRateValues[] = {{0, "48 kHz"}, {1, "96 kHz"}, {2, "192 kHz"}, {0, nullptr}};
constexpr ValueEntry VideoOutputValues[] = {
    {0, "HDMI off and VGA off"}, {1, "HDMI on and VGA off"}, {2, "HDMI off and VGA on"}, {0, nullptr}};
// Lower case on purpose, unlike the other lists: descriptions keep the text exactly as it stands.
constexpr ValueEntry DownmixValues[] = {{0, "Lt/Rt"}, {1, "Stereo"}, {2, "off"}, {0, nullptr}};
constexpr ValueEntry PlayModeValues[] = {
    {0, "Stop"},
    {1, "Play"},
    {2, "Pause"},
    {10, "Fast Forward >"},
    {11, "Fast Forward >>"},
    {12, "Fast Forward >>>"},
    {13, "Fast Forward >>>>"},
    {14, "Fast Forward >>>>>"},
    {15, "Fast Forward >>>>>>"},
    {20, "Fast Backward <"},
    {21, "Fast Backward <<"},
    {22, "Fast Backward <<<"},
    {23, "Fast Backward <<<<"},
    {24, "Fast Backward <<<<<"},
    {25, "Fast Backward <<<<<<"},
    {30, "Slow Forward 1"},
    {31, "Slow Forward 2"},
    {32, "Slow Forward 3"},
    {33, "Slow Forward 4"},
    {34, "Slow Forward 5"},
    {40, "Slow Backward 1"},
    {41, "Slow Backward 2"},
    {42, "Slow Backward 3"},
    {43, "Slow Backward 4"},
    {44, "Slow Backward 5"},
    {0, nullptr},
};
