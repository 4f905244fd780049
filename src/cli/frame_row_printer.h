#pragma once

#include "repeated_rows.h"

#include "catalogue/radio_text.h"
#include "protocol/receive_framer.h"

class ConsoleOut;

// Prints each closed frame as the log's columns read, without the time: "encoded<TAB>data<TAB>
// description". Rows without a payload keep an empty description column, so every row has three.
class FrameRowPrinter : public IFrameSink {
public:
    explicit FrameRowPrinter(ConsoleOut& out) : m_out(out) {}
    void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) override;

private:
    ConsoleOut& m_out;
    CRepeatedRows m_repeated;
    CRadioText m_radioText; // builds up over the rows of this capture only
};
