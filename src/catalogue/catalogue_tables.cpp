#include "catalogue_tables.h"

#include "value_lists.h"

constexpr std::array<const char*, kMessageTypeNameCount> g_MessageTypeNames = {
    // Commands 20 to 26.
    "Query",
    "Set",
    "IR Command",
    "Get Version",
    "Software Update",
    "Store A/V Preset",
    "Store Tuner Preset",
    // Responses 20 to 28.
    "Value",
    nullptr,
    nullptr,
    "Software Version",
    nullptr,
    "A/V Preset Stored",
    "Tuner Preset Stored",
    "RDS PS",
    "RDS RT",
};

// The row number is the model's identity: the builder's device list index and the bit position
// in a variable's modelMask.
constexpr std::array<ModelEntry, kModelCount> g_ModelTable = {{
    {"Arvane", 0xFFFFFFFF},
    {"Brisolt", 0x2F},
    {"Cadrell", 0x1F},
    {"Dunvey", 0x0F},
    {"Elmora", 0x0F},
    {"Fenlow", 0x2F},
    {"Gavrel", 0x0F},
    {"Hestor", 0x2F},
    {"Iskarn", 0x2F},
    {"Jorvel", 0x2F},
    {"Kantrel", 0x0F},
    {"Lumbra", 0x0F},
    {"Orlin Aster", 0x0F},
    {"Orlin Birch", 0x0F},
}};

// Table order is also the order in which the builder lists the variables.
constexpr std::array<VariableEntry, kVariableCount> g_VariableTable = {{
    {20, "Device ID", 0xFFFFFFFF, kAccessQueryOnly, nullptr, FormatText},
    {21, "Power Mode", 0xFFFFFFFF, kAccessQueryAndSet, PowerModeValues, nullptr},
    {22, "Brightness", 0x3C59, kAccessQueryAndSet, nullptr, FormatByte},
    {23, "Volume", 0x3BA6, kAccessQueryAndSet, nullptr, FormatLevel},
    {24, "Mute", 0x3BA6, kAccessQueryAndSet, OffOnValues, nullptr},
    {27, "Zone Volume", 0x03A6, kAccessQueryAndSet, nullptr, FormatLevel},
    {28, "Zone Mute", 0x03A6, kAccessQueryAndSet, OffOnValues, nullptr},
    {29, "THX Mode", 0x0002, kAccessQueryAndSet, ThxModeValues, nullptr},
    {31, "Tape Monitor", 0x03A2, kAccessQueryAndSet, OffOnValues, nullptr},
    {32, "Treble", 0x3BA6, kAccessQueryAndSet, nullptr, FormatLevel},
    {33, "Bass", 0x3BA6, kAccessQueryAndSet, nullptr, FormatLevel},
    {34, "Subwoofer Level", 0x0002, kAccessQueryAndSet, nullptr, FormatLevel},
    {35, "Center Level", 0x0002, kAccessQueryAndSet, nullptr, FormatLevel},
    {36, "Surround Level", 0x0002, kAccessQueryAndSet, nullptr, FormatLevel},
    {37, "Center Dialog", 0x0002, kAccessQueryAndSet, nullptr, FormatLevel},
    {38, "Audio Input Type", 0x0000, kAccessQueryAndSet, nullptr, FormatByte},
    {39, "Audio Signal Type", 0x3BA2, kAccessQueryOnly, nullptr, FormatByte},
    {40, "Surround Mode", 0x3BA2, kAccessQueryAndSet, nullptr, FormatByte},
    {41, "Video Input Type", 0x0020, kAccessQueryAndSet, nullptr, FormatByte},
    {42, "Late Night", 0x3C52, kAccessQueryAndSet, nullptr, FormatByte},
    {43, "Tuner Band", 0x3BA1, kAccessQueryAndSet, TunerBandValues, nullptr},
    {44, "AM Frequency", 0x3BA1, kAccessQueryAndSet, nullptr, FormatWord},
    {45, "FM Frequency", 0x3BA1, kAccessQueryAndSet, nullptr, FormatFmFrequency},
    {46, "Tuner Stereo Mode", 0x0000, kAccessQueryAndSet, nullptr, FormatByte},
    {47, "FM Mute", 0x3BA1, kAccessQueryAndSet, OffOnValues, nullptr},
    {48, "Digital Input Selection", 0x0002, kAccessQueryAndSet, nullptr, FormatByte},
    {49, "Blend", 0x0001, kAccessQueryAndSet, OffOnValues, nullptr},
    {52, "Zone Power Mode", 0x03A6, kAccessQueryAndSet, OffOnValues, nullptr},
    {53, "Current Input", 0x3BA6, kAccessQueryAndSet, nullptr, FormatByte},
    {54, "Zone Input", 0x03A6, kAccessQueryAndSet, nullptr, FormatByte},
    {55, "Input Name", 0x0BA6, kAccessQueryAndSet, nullptr, nullptr},
    {56, "AM Preset", 0x3BA0, kAccessQueryAndSet, nullptr, FormatByte},
    {57, "FM Preset", 0x3BA1, kAccessQueryAndSet, nullptr, FormatByte},
    {58, "Speaker A", 0x0384, kAccessQueryAndSet, OffOnValues, nullptr},
    {59, "Speaker B", 0x0384, kAccessQueryAndSet, OffOnValues, nullptr},
    {60, "Tone Defeat", 0x3BA6, kAccessQueryAndSet, OffOnValues, nullptr},
    {61, "Tilt", 0x0004, kAccessQueryAndSet, nullptr, FormatLevel},
    {62, "Balance", 0x0004, kAccessQueryAndSet, nullptr, FormatLevel},
    {64, "Stereo Mode", 0x0024, kAccessQueryAndSet, StereoModeValues, nullptr},
    {65, "Crossover", 0x0024, kAccessQueryAndSet, nullptr, FormatByte},
    {80, "Play Time", 0x3C58, kAccessQueryAndSet, nullptr, FormatPlayTime},
    {81, "Track Info", 0x3C58, kAccessQueryAndSet, nullptr, FormatTitleChapter},
    {82, "Media Type", 0x0000, kAccessQueryOnly, nullptr, FormatByte},
    {83, "Video System", 0x3C58, kAccessQueryAndSet, nullptr, FormatByte},
    {84, "Resolution", 0x3C58, kAccessQueryAndSet, nullptr, FormatByte},
    {85, "Progressive Scan", 0x0000, kAccessQueryAndSet, nullptr, FormatByte},
    {86, "Play Back Control", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {87, "Tray Status", 0x3C58, kAccessQueryAndSet, TrayStatusValues, nullptr},
    {88, "Play Mode", 0x3C58, kAccessQueryAndSet, PlayModeValues, nullptr},
    {89, "Repeat", 0x3C58, kAccessQueryAndSet, nullptr, FormatByte},
    {90, "Zoom", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {91, "Audio Track", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {92, "Audio Tracks present", 0x0000, kAccessQueryOnly, nullptr, FormatByte},
    {93, "Subtitle", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {94, "Angle", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {95, "Digital Output", 0x3C58, kAccessQueryAndSet, nullptr, FormatByte},
    {96, "Black Level", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {97, "Active Video Outputs", 0x0000, kAccessQueryAndSet, nullptr, FormatByte},
    {100, "Random", 0x3C58, kAccessQueryAndSet, OffOnValues, nullptr},
    {101, "TV Aspect Ratio", 0x0450, kAccessQueryAndSet, AspectRatioValues, nullptr},
    {102, "Picture Mode", 0x0050, kAccessQueryAndSet, PictureModeValues, nullptr},
    {103, "Brightness", 0x0450, kAccessQueryAndSet, nullptr, FormatSignedByte},
    {104, "Contrast", 0x0450, kAccessQueryAndSet, nullptr, FormatSignedByte},
    {105, "Saturation", 0x0450, kAccessQueryAndSet, nullptr, FormatSignedByte},
    {106, "Sharpness", 0x0450, kAccessQueryAndSet, nullptr, FormatSignedByte},
    {107, "Gamma", 0x0450, kAccessQueryAndSet, nullptr, FormatByte},
    {108, "Video Output", 0x0450, kAccessQueryAndSet, VideoOutputValues, nullptr},
    {109, "Video Output", 0x0008, kAccessQueryAndSet, OffOnValues, nullptr},
    {110, "Digital Audio Out Sample Freq", 0x0050, kAccessQueryAndSet, SampleRateValues, nullptr},
    {111, "Master Volume", 0x0050, kAccessQueryAndSet, nullptr, FormatLevel},
    {112, "Downmix", 0x0450, kAccessQueryAndSet, DownmixValues, nullptr},
    {113, "Test Tone", 0x0400, kAccessQueryAndSet, OffOnValues, nullptr},
    {114, "AutoPlay", 0x0058, kAccessQueryAndSet, OffOnValues, nullptr},
    {115, "CD Filter", 0x0008, kAccessQueryAndSet, CdFilterValues, nullptr},
    {116, "Layer", 0x0008, kAccessQueryAndSet, LayerValues, nullptr},
    {117, "SACD Mode", 0x0008, kAccessQueryAndSet, SacdModeValues, nullptr},
    {118, "Display Mode", 0x0008, kAccessQueryAndSet, DisplayModeValues, nullptr},
    {150, "iPod Title", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {151, "iPod Artist", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {152, "iPod Album", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {153, "iPod Repeat", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {154, "iPod Shuffle", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {155, "iPod Audiobook Speed", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {156, "iPod Menu Timeout", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {180, "XM Channel", 0x3800, kAccessQueryAndSet, nullptr, FormatByte},
    {181, "XM Channel Name", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {182, "XM Channel Category", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {183, "XM Name", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {184, "XM Title", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {200, "DAB DLS", 0x3800, kAccessQueryOnly, nullptr, FormatText},
    {201, "DAB Service", 0x3800, kAccessQueryOnly, nullptr, FormatText},
}};

namespace {

constexpr bool IdsAreUniqueBytes()
{
    for (std::size_t i = 0; i < kVariableCount; ++i) {
        if (g_VariableTable[i].id < 20 || g_VariableTable[i].id > 201)
            return false;
        for (std::size_t j = i + 1; j < kVariableCount; ++j)
            if ((g_VariableTable[i].id & 0xFF) == (g_VariableTable[j].id & 0xFF))
                return false;
    }
    return true;
}

constexpr bool RowsAreWellFormed()
{
    for (const VariableEntry& v : g_VariableTable) {
        if (v.name == nullptr || (v.access != kAccessQueryOnly && v.access != kAccessQueryAndSet))
            return false;
    }
    return true;
}

} // namespace

// The describers rely on these: a search by id byte finds the one variable meant.
static_assert(IdsAreUniqueBytes(), "variable ids must be unique bytes between 20 and 201");
static_assert(RowsAreWellFormed(), "a variable has a name and one of the two access modes");
