#pragma once

#include <QIcon>
#include <QString>

// The program's string table and icons, kept as data in its resources.
QString LoadResourceString(int id); // empty when there is no such string
QIcon LoadResourceIcon(int id);     // null when there is no such icon

// The application icon's resource id.
constexpr int IDR_MAINFRAME = 128;
