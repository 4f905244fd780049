#pragma once

#include "catalogue_tables.h"

// The named values of the list-valued variables; each list ends with an entry whose text is null.
// One list may serve several variables.
extern const ValueEntry OffOnValues[];
extern const ValueEntry PowerModeValues[];
extern const ValueEntry ThxModeValues[];
extern const ValueEntry TunerBandValues[];
extern const ValueEntry StereoModeValues[];
extern const ValueEntry TrayStatusValues[];
extern const ValueEntry CdFilterValues[];
extern const ValueEntry LayerValues[];
extern const ValueEntry SacdModeValues[];
extern const ValueEntry DisplayModeValues[];
extern const ValueEntry AspectRatioValues[];
extern const ValueEntry PictureModeValues[];
extern const ValueEntry SampleRateValues[];
extern const ValueEntry VideoOutputValues[];
extern const ValueEntry DownmixValues[];
extern const ValueEntry PlayModeValues[];
