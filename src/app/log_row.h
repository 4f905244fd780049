#pragma once

#include <QString>

#include <optional>

// One finished row of the response log, made on the receive thread and added on the UI thread.
struct LogRow {
    QString time;
    QString encoded;
    QString data;
    QString description;
    // The model a Device ID answer names; the Build Command window selects it when the row is added.
    std::optional<QString> deviceName;
};
