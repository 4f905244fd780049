#pragma once

#include <atomic>
#include <cstddef>

class ITestLink;
class CTestReport;

// The conformance test the catalogue gives for a model: every variable it offers for Query must
// answer with a Value the catalogue can read. With setValues, every settable variable with a
// value list is also set to each listed value, and back to the value it had: this changes the
// device, so it is only done when asked for. Failures are reported under the variable's name.
void RunSweep(ITestLink& session, int modelRow, bool setValues, CTestReport& report,
              const std::atomic<bool>* stop = nullptr);

// How many steps RunSweep reports for the model when it runs to its end with every answer read.
std::size_t SweepSteps(int modelRow, bool setValues);
