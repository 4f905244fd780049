#pragma once

#include "log/session_folder.h"

#include <QString>

#include <filesystem>

// What the configuration file says about the session record and the log's display:
//   [Session] Record (true), Folder ($XDG_STATE_HOME/vantrolix/sessions), KeepFiles (50),
//             KeepMegabytes (1024)
//   [Log]     Scrollback (1000000 rows), ShowSentCommands (false), ShowMilliseconds (false),
//             BytesInHex (false), TimeSincePreviousRow (false)
// A value that is missing, not a number or not positive counts as its default.
struct SessionSettings {
    bool record = true;
    std::filesystem::path folder;
    RetentionLimits retention;
    int scrollback = 1'000'000;
    bool showSent = false;
    bool showMilliseconds = false;
    bool hexBytes = false;
    bool sincePrevious = false;
};

SessionSettings ReadSessionSettings(const QString& file);
// The display options the View menu changes. False when they could not be stored.
bool WriteLogDisplaySettings(const QString& file, const SessionSettings& display);
