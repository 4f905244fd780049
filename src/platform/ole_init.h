#pragma once

// The component library's start-up pair. Nothing on this platform needs starting, but the
// count keeps the rule testable that whoever initialises it releases it, exactly once.
// Per thread, as on the platform.
bool OleInitialize();
void OleUninitialize();
int GetOleInitializeCount();

// Whether an initialisation is recorded for this thread, by the application or by the first
// window that needed the library; windows that find one recorded leave the library alone.
bool IsAppOleInitialised();
void SetAppOleInitialised(bool initialised);

// Makes the next OleInitialize calls on this thread fail, as an unusable library would.
void SetOleInitializeFails(bool fails);
