#include "telnet_codec.h"

#include "serial/line_errors.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

bool WeWill(std::uint8_t option)
{
    return option == CTelnetCodec::kBinary || option == CTelnetCodec::kComPort;
}

bool WeAccept(std::uint8_t option)
{
    return option == CTelnetCodec::kBinary || option == CTelnetCodec::kSuppressGoAhead;
}

// What a SET-CONTROL value is about (RFC 2217: 0 to 3 and 17 to 19 outbound flow control, 7 to 9
// DTR, 10 to 12 RTS); nothing for the break state and inbound flow control, which we never set.
std::optional<CTelnetCodec::Control> ControlOf(std::uint8_t value)
{
    using Control = CTelnetCodec::Control;
    if (value <= 3 || (value >= 17 && value <= 19))
        return Control::OutboundFlow;
    if (value >= 7 && value <= 9)
        return Control::Dtr;
    if (value >= 10 && value <= 12)
        return Control::Rts;
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> CTelnetCodec::Greeting()
{
    Request(kWill, kComPort);
    Request(kWill, kBinary);
    Request(kDo, kBinary);
    Request(kDo, kSuppressGoAhead);
    return TakeReplies();
}

void CTelnetCodec::Request(std::uint8_t verb, std::uint8_t option)
{
    Side& side = verb == kWill ? m_local[option] : m_remote[option];
    if (side.enabled || side.asked)
        return;
    side.asked = true;
    m_replies.insert(m_replies.end(), {kIac, verb, option});
}

// Answers a request without ever answering an answer, so that two ends cannot loop (RFC 1143's
// rule in its simple form): a request that matches the present state, or answers ours, gets none.
void CTelnetCodec::Negotiate(std::uint8_t verb, std::uint8_t option)
{
    const bool aboutUs = verb == kDo || verb == kDont;
    Side& side = aboutUs ? m_local[option] : m_remote[option];
    const bool wantsOn = verb == kDo || verb == kWill;
    const std::uint8_t yes = aboutUs ? kWill : kDo;
    const std::uint8_t no = aboutUs ? kWont : kDont;
    const bool asked = side.asked;
    side.asked = false;
    if (wantsOn) {
        if (side.enabled)
            return;
        if (aboutUs ? WeWill(option) : WeAccept(option)) {
            side.enabled = true;
            if (!asked)
                m_replies.insert(m_replies.end(), {kIac, yes, option});
        } else {
            m_replies.insert(m_replies.end(), {kIac, no, option});
        }
        return;
    }
    if (side.enabled) {
        side.enabled = false;
        m_replies.insert(m_replies.end(), {kIac, no, option});
    } else if (asked) {
        side.refused = true;
    }
}

void CTelnetCodec::Feed(std::span<const std::uint8_t> raw, ReceivedItems& items)
{
    for (const std::uint8_t b : raw) {
        switch (m_state) {
        case State::Data:
            if (b == kIac)
                m_state = State::Command;
            else
                items.push_back(b);
            break;
        case State::Command:
            if (b == kIac) {
                items.push_back(kIac);
                m_state = State::Data;
            } else if (b >= kSb) {
                m_verb = b;
                m_state = b == kSb ? State::Sub : State::Option;
                m_sub.clear();
            } else {
                // NOP, go-ahead, data mark and the rest carry nothing for a serial line.
                m_state = State::Data;
            }
            break;
        case State::Option:
            Negotiate(m_verb, b);
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == kIac)
                m_state = State::SubCommand;
            else if (m_sub.size() < kMaxSub)
                m_sub.push_back(b);
            break;
        case State::SubCommand:
            if (b == kIac) {
                if (m_sub.size() < kMaxSub)
                    m_sub.push_back(kIac);
                m_state = State::Sub;
            } else if (b == kSe) {
                EndSub(items);
                m_state = State::Data;
            } else {
                // A command inside a subnegotiation means its end was lost: drop it and take the
                // command as it stands.
                m_sub.clear();
                m_state = State::Command;
                Feed(std::span(&b, 1), items);
            }
            break;
        }
    }
}

void CTelnetCodec::EndSub(ReceivedItems& items)
{
    if (m_sub.size() < 2 || m_sub[0] != kComPort || m_sub[1] <= kServerOffset)
        return;
    const std::uint8_t command = m_sub[1] - kServerOffset;
    const std::span value(m_sub.begin() + 2, m_sub.end());
    if (command == kNotifyLineState) {
        if (!value.empty())
            if (const std::uint32_t errors = LineStateErrors(value[0]))
                PushLineError(items, errors);
        return;
    }
    if (command >= m_answers.size() || value.empty())
        return;
    if (command == kSetControl) {
        if (const auto control = ControlOf(value[0]))
            m_controlAnswers[static_cast<std::size_t>(*control)] = {true, value[0]};
        return;
    }
    std::uint32_t number = 0;
    for (const std::uint8_t v : value.first(std::min<std::size_t>(value.size(), 4)))
        number = number << 8 | v;
    m_answers[command] = {true, number};
}

std::vector<std::uint8_t> CTelnetCodec::TakeReplies()
{
    return std::exchange(m_replies, {});
}

std::vector<std::uint8_t> CTelnetCodec::ComPortRequest(ComPortCommand command, std::span<const std::uint8_t> value)
{
    std::vector<std::uint8_t> request{kIac, kSb, kComPort, command};
    AppendEscaped(value, request);
    request.insert(request.end(), {kIac, kSe});
    return request;
}

void CTelnetCodec::AppendEscaped(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out)
{
    for (const std::uint8_t b : data) {
        out.push_back(b);
        if (b == kIac)
            out.push_back(kIac);
    }
}

std::uint32_t CTelnetCodec::LineStateErrors(std::uint8_t state)
{
    std::uint32_t flags = 0;
    if (state & 0x02)
        flags |= CE_OVERRUN;
    if (state & 0x04)
        flags |= CE_RXPARITY;
    if (state & 0x08)
        flags |= CE_FRAME;
    if (state & 0x10)
        flags |= CE_BREAK;
    return flags;
}
