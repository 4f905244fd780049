#pragma once

#include "serial/received_items.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The Telnet side of a network serial port (RFC 854 with the COM port control option of RFC 2217),
// for the client end. Received bytes are taken apart into data, option negotiation and the
// gateway's reports; the answers the negotiation calls for wait in Replies until sent. Commands
// and 0xFF doubling may be split anywhere across reads.
class CTelnetCodec {
public:
    static constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                                  kSe = 240;
    static constexpr std::uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;

    // COM port control commands as the client sends them; the gateway answers with each plus 100.
    enum ComPortCommand : std::uint8_t {
        kSetBaudRate = 1,
        kSetDataSize = 2,
        kSetParity = 3,
        kSetStopSize = 4,
        kSetControl = 5,
        kNotifyLineState = 6,
        kSetLineStateMask = 10,
    };
    static constexpr std::uint8_t kServerOffset = 100;

    // The gateway's answers to the settings, by command: each answer is the value it applied.
    struct Answer {
        bool received = false;
        std::uint32_t value = 0;
    };

    // What the client opens with: it offers COM port control and binary transmission, and asks
    // for binary transmission and no go-aheads from the gateway.
    std::vector<std::uint8_t> Greeting();

    // Data bytes go to items; so do line errors the gateway notifies, at their place in the stream.
    void Feed(std::span<const std::uint8_t> raw, ReceivedItems& items);

    // The negotiation answers owed to the gateway since the last call.
    std::vector<std::uint8_t> TakeReplies();

    bool ComPortAgreed() const { return m_local[kComPort].enabled; }
    bool ComPortRefused() const { return m_local[kComPort].refused; }
    const Answer& AnswerTo(ComPortCommand command) const { return m_answers[command]; }

    // SET-CONTROL sets several independent things, each with values of its own; the gateway's
    // answer to each is kept apart by what it is about.
    enum class Control { OutboundFlow, Dtr, Rts };
    static constexpr std::uint8_t kNoFlowControl = 1, kDtrOn = 8, kDtrOff = 9, kRtsOn = 11, kRtsOff = 12;
    const Answer& ControlAnswer(Control control) const { return m_controlAnswers[static_cast<std::size_t>(control)]; }

    // A COM port control command with its value (escaped), ready to send.
    static std::vector<std::uint8_t> ComPortRequest(ComPortCommand command, std::span<const std::uint8_t> value);
    // Data as it goes on the wire: every 0xFF doubled.
    static void AppendEscaped(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);
    // The CE_ flags for the error bits of a NOTIFY-LINESTATE value.
    static std::uint32_t LineStateErrors(std::uint8_t state);

private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    struct Side {
        bool enabled = false;
        bool asked = false;   // we requested it and await the answer
        bool refused = false; // the gateway refused our request
    };
    static constexpr std::size_t kMaxSub = 64; // longer subnegotiations are cut; none we use is

    void Negotiate(std::uint8_t verb, std::uint8_t option);
    void Request(std::uint8_t verb, std::uint8_t option);
    void EndSub(ReceivedItems& items);

    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::vector<std::uint8_t> m_sub;
    std::vector<std::uint8_t> m_replies;
    std::array<Side, 256> m_local {};  // options this end performs (WILL / WONT)
    std::array<Side, 256> m_remote {}; // options the gateway performs (DO / DONT)
    std::array<Answer, 16> m_answers {};
    std::array<Answer, 3> m_controlAnswers {};
};
