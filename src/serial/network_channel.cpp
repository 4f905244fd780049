// The network channel, the same on every platform: the Telnet layer and RFC 2217 negotiation, the
// bytes kept from the set-up, and sends that never cut a doubled 0xFF apart, over the platform's
// socket.

#include "network_channel.h"

#include "serial/network_socket.h"
#include "serial/telnet_codec.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

namespace {

using Clock = CPortChannel::Clock;

// How long a negotiation answer may wait for room in the socket.
constexpr std::chrono::seconds kControlSendTimeout{1};
// The agreement takes a few hundred bytes; a gateway may also pass on what the device sent
// meanwhile. Past this, what it sends before agreeing is no negotiation and is not kept.
constexpr std::size_t kSetUpByteLimit = 16 * 1024;

// Sends every byte, waiting for room until the deadline; false when the socket failed, was woken
// or time ran out.
bool SendAll(CNetworkSocket& socket, std::span<const std::uint8_t> bytes, Clock::time_point deadline)
{
    while (!bytes.empty()) {
        const auto sent = socket.Send(bytes);
        if (sent.gone)
            return false;
        bytes = bytes.subspan(sent.count);
        if (sent.count == 0 && socket.WaitWritable(deadline) != CPortChannel::Wait::Ready)
            return false;
    }
    return true;
}

class CNetworkChannel final : public CPortChannel {
public:
    CNetworkChannel(std::unique_ptr<CNetworkSocket> socket, bool telnet) : m_socket(std::move(socket))
    {
        if (telnet)
            m_telnet.emplace();
    }
    ~CNetworkChannel() override { Release(); }

    // Agrees on serial port control with the gateway and sets the line; false with the reason
    // when the gateway refuses, sets other values or does not answer in time.
    bool SetUpLine(const std::string& where, const LineSettings& settings, Clock::time_point deadline,
                   const std::function<bool()>& abandoned, std::string& reason);

    Wait WaitReadable(Clock::time_point deadline) const override
    {
        if (!m_early.empty())
            return Wait::Ready;
        return m_socket->WaitReadable(deadline);
    }
    Wait WaitWritable(Clock::time_point deadline) const override
    {
        return m_socket->WaitWritable(deadline);
    }
    Transfer ReadSome(ReceivedItems& items) override;
    Transfer WriteSome(std::span<const std::uint8_t> data) override;
    void Wake() const override { m_socket->Wake(); }
    void Release() override { m_socket->Close(); }
    bool IsReleased() const override { return m_socket->IsClosed(); }

private:
    // A doubled 0xFF whose second half has not gone out yet: it must go before anything else.
    enum class Tail { None, Pending, SentUnreported };

    Transfer ReceiveInto(ReceivedItems& items);
    bool SendControl(std::span<const std::uint8_t> bytes);

    std::unique_ptr<CNetworkSocket> m_socket;
    std::optional<CTelnetCodec> m_telnet; // the read state; one reader at a time
    ReceivedItems m_early; // what arrived while the line was being set up

    std::mutex m_sendMutex; // data and negotiation answers never cut into each other
    Tail m_tail = Tail::None;
    std::vector<std::uint8_t> m_encoded;
};

CPortChannel::Transfer CNetworkChannel::ReceiveInto(ReceivedItems& items)
{
    std::uint8_t raw[4096];
    const Transfer result = m_socket->Receive(raw);
    if (result.count == 0)
        return result;
    const std::span received(raw, result.count);
    if (!m_telnet) {
        items.insert(items.end(), received.begin(), received.end());
        return result;
    }
    m_telnet->Feed(received, items);
    const auto replies = m_telnet->TakeReplies();
    // A lost answer shows as a broken connection on the next read.
    if (!replies.empty())
        SendControl(replies);
    return result;
}

CPortChannel::Transfer CNetworkChannel::ReadSome(ReceivedItems& items)
{
    if (!m_early.empty()) {
        items.insert(items.end(), m_early.begin(), m_early.end());
        Transfer result;
        result.count = m_early.size();
        m_early.clear();
        return result;
    }
    return ReceiveInto(items);
}

bool CNetworkChannel::SendControl(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(m_sendMutex);
    const auto deadline = Clock::now() + kControlSendTimeout;
    if (m_tail == Tail::Pending) {
        const std::uint8_t iac = CTelnetCodec::kIac;
        if (!SendAll(*m_socket, std::span(&iac, 1), deadline))
            return false;
        m_tail = Tail::SentUnreported;
    }
    return SendAll(*m_socket, bytes, deadline);
}

CPortChannel::Transfer CNetworkChannel::WriteSome(std::span<const std::uint8_t> data)
{
    std::lock_guard lock(m_sendMutex);
    if (!m_telnet)
        return m_socket->Send(data);

    // A byte counts as written only once both halves of its doubling are out.
    if (m_tail == Tail::SentUnreported) {
        m_tail = Tail::None;
        return {1, false, false};
    }
    if (m_tail == Tail::Pending) {
        const std::uint8_t iac = CTelnetCodec::kIac;
        auto sent = m_socket->Send(std::span(&iac, 1));
        if (sent.count == 1)
            m_tail = Tail::None;
        return sent;
    }
    constexpr std::size_t kChunk = 4096;
    const auto chunk = data.first(std::min(data.size(), kChunk));
    m_encoded.clear();
    CTelnetCodec::AppendEscaped(chunk, m_encoded);
    auto sent = m_socket->Send(m_encoded);
    std::size_t consumed = 0;
    std::size_t position = 0;
    for (const std::uint8_t b : chunk) {
        const std::size_t width = b == CTelnetCodec::kIac ? 2 : 1;
        if (position + width > sent.count) {
            if (position + 1 == sent.count)
                m_tail = Tail::Pending;
            break;
        }
        position += width;
        ++consumed;
    }
    sent.count = consumed;
    return sent;
}

std::vector<std::uint8_t> BigEndian(std::uint32_t value, std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = size; i-- > 0; value >>= 8)
        bytes[i] = static_cast<std::uint8_t>(value);
    return bytes;
}

std::uint32_t ParityCode(Parity parity)
{
    switch (parity) {
    case Parity::Odd: return 2;
    case Parity::Even: return 3;
    case Parity::Mark: return 4;
    case Parity::Space: return 5;
    case Parity::None: break;
    }
    return 1;
}

bool CNetworkChannel::SetUpLine(const std::string& where, const LineSettings& settings,
                                Clock::time_point deadline, const std::function<bool()>& abandoned,
                                std::string& reason)
{
    // Reads until the condition holds; false when the gateway went, time ran out, it sent more
    // than the agreement takes or the open was abandoned first.
    std::size_t received = 0;
    auto awaitGateway = [&](auto&& done) {
        while (!done()) {
            if (abandoned && abandoned()) {
                reason = "setting up the line at " + where + " was abandoned";
                return false;
            }
            const auto wait = m_socket->WaitReadable(std::min(deadline, Clock::now() + kAbandonPoll));
            if (wait == Wait::TimedOut && Clock::now() < deadline)
                continue;
            if (wait != Wait::Ready) {
                reason = "the gateway at " + where + " did not agree on serial port control within "
                    + std::to_string(kNetworkOpenTimeout.count()) + " seconds";
                return false;
            }
            const auto got = ReceiveInto(m_early);
            if (got.gone) {
                reason = "the gateway at " + where + " closed the connection while the line was being set up"
                    " (another client may have the port)";
                return false;
            }
            received += got.count;
            if (received > kSetUpByteLimit) {
                reason = "the gateway at " + where + " sent more than " + std::to_string(kSetUpByteLimit)
                    + " bytes before agreeing on serial port control";
                return false;
            }
        }
        return true;
    };

    CTelnetCodec& telnet = *m_telnet;
    auto sendFailed = [&] {
        reason = "the connection to " + where + " failed while the line was being set up";
        return false;
    };
    if (!SendControl(telnet.Greeting()))
        return sendFailed();
    if (!awaitGateway([&] { return telnet.ComPortAgreed() || telnet.ComPortRefused(); }))
        return false;
    if (telnet.ComPortRefused()) {
        reason = "the gateway at " + where + " does not offer serial port control (RFC 2217); "
            "for a raw port use tcp://";
        return false;
    }

    struct Wanted {
        CTelnetCodec::ComPortCommand command;
        std::uint32_t value;
        std::size_t size;
    };
    const Wanted wanted[] = {{CTelnetCodec::kSetBaudRate, settings.baud, 4},
                             {CTelnetCodec::kSetDataSize, settings.dataBits, 1},
                             {CTelnetCodec::kSetParity, ParityCode(settings.parity), 1},
                             {CTelnetCodec::kSetStopSize, settings.stopBits, 1}};

    // DTR and RTS are asked for first. A gateway answers in order, so by the time the last
    // awaited answer is in, any answer to them is too; a gateway whose port has no modem lines (a
    // pseudo-terminal behind ser2net) gives none, as such a local port reports none, and that is
    // no fault. An answer with another value is.
    using Control = CTelnetCodec::Control;
    struct WantedControl {
        Control control;
        std::uint8_t value;
        const char* words;
        bool awaited;
    };
    const WantedControl controls[] = {{Control::Dtr, settings.dtr ? CTelnetCodec::kDtrOn : CTelnetCodec::kDtrOff,
                                       settings.dtr ? "DTR on" : "DTR off", false},
                                      {Control::Rts, settings.rts ? CTelnetCodec::kRtsOn : CTelnetCodec::kRtsOff,
                                       settings.rts ? "RTS on" : "RTS off", false},
                                      {Control::OutboundFlow, CTelnetCodec::kNoFlowControl, "flow control off", true}};
    // Framing, parity, overrun and break: the line states that are errors.
    constexpr std::uint8_t kErrorStates = 0x1E;
    std::vector<std::uint8_t> requests;
    auto add = [&](CTelnetCodec::ComPortCommand command, const std::vector<std::uint8_t>& value) {
        const auto request = CTelnetCodec::ComPortRequest(command, value);
        requests.insert(requests.end(), request.begin(), request.end());
    };
    for (const WantedControl& c : controls)
        if (!c.awaited)
            add(CTelnetCodec::kSetControl, {c.value});
    for (const Wanted& w : wanted)
        add(w.command, BigEndian(w.value, w.size));
    for (const WantedControl& c : controls)
        if (c.awaited)
            add(CTelnetCodec::kSetControl, {c.value});
    add(CTelnetCodec::kSetLineStateMask, {kErrorStates});
    if (!SendControl(requests))
        return sendFailed();
    if (!awaitGateway([&] {
            return std::ranges::all_of(wanted, [&](const Wanted& w) { return telnet.AnswerTo(w.command).received; })
                && std::ranges::all_of(controls, [&](const WantedControl& c) {
                       return !c.awaited || telnet.ControlAnswer(c.control).received;
                   });
        }))
        return false;
    for (const Wanted& w : wanted) {
        if (telnet.AnswerTo(w.command).value != w.value) {
            reason = "the gateway at " + where + " does not accept the line settings";
            return false;
        }
    }
    // A gateway left with flow control on holds back what the device sends; DTR off or RTS on,
    // as many devices are wired, keeps the device from listening: as garbling as a wrong rate.
    for (const WantedControl& c : controls) {
        const auto& answer = telnet.ControlAnswer(c.control);
        if (answer.received && answer.value != c.value) {
            reason = "the gateway at " + where + " does not accept the line settings: it does not set "
                + c.words;
            return false;
        }
    }
    return true;
}

} // namespace

std::unique_ptr<CPortChannel> OpenNetworkChannel(const NetworkAddress& address, const LineSettings& settings,
                                                 const CPortChannel::Options& options, std::string& reason,
                                                 long& systemCode)
{
    const auto deadline = Clock::now() + kNetworkOpenTimeout;
    auto socket = ConnectNetworkSocket(address, deadline, options.abandoned, reason, systemCode);
    if (!socket)
        return nullptr;
    const bool telnet = address.kind == NetworkAddress::Kind::Rfc2217;
    auto channel = std::make_unique<CNetworkChannel>(std::move(socket), telnet);
    if (telnet && !channel->SetUpLine(address.HostAndPort(), settings, deadline, options.abandoned, reason))
        return nullptr;
    return channel;
}
