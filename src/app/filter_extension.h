#pragma once

#include <QString>

// The extension a file dialog's name filter stands for, taken from its first pattern: "csv" for
// "CSV files (*.csv)", empty for "All files (*)" or a filter without a plain "*.ext" pattern.
QString FilterExtension(const QString& filter);

// `path` with the filter's extension added when its file name has none, so the name chosen with a
// filter gets the format that filter offered. A name with an extension of its own is kept.
QString WithFilterExtension(const QString& path, const QString& filter);
