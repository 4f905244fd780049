#pragma once

// The main window's template and the controls in it, as the resources name them.
inline constexpr int IDD_VANTROLIX_DIALOG = 102;
inline constexpr int IDC_PORT = 1001;
inline constexpr int IDC_SETUP = 1002;
inline constexpr int IDC_GRID = 1003;
inline constexpr int IDC_BUILD_COMMAND = 1004;
inline constexpr int IDC_SEND = 1010;
inline constexpr int IDC_CLEAR = 1014;
inline constexpr int IDC_COMMAND_DATA = 1017;
// Under "Command Data": why its text would not be sent as written.
inline constexpr int IDC_COMMAND_WARNING = 1019;
inline constexpr int IDC_ENCODED_COMMAND = 1018;
inline constexpr int IDC_DESCRIPTION = 1024;
inline constexpr int IDS_ABOUTBOX = 101;
