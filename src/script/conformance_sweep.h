#pragma once

#include <atomic>

class CDeviceSession;
class CTestReport;

// The conformance test the catalogue gives for a model: every variable it offers for Query must
// answer with a Value the catalogue can read. With setValues, every settable variable with a
// value list is also set to each listed value, and back to the value it had: this changes the
// device, so it is only done when asked for. Failures are reported under the variable's name.
void RunSweep(CDeviceSession& session, int modelRow, bool setValues, CTestReport& report,
              const std::atomic<bool>* stop = nullptr);
