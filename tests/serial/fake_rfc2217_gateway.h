#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A gateway of the test's own on a loopback port, for what a real one will not do on demand:
// report line errors, refuse serial port control, answer the settings wrongly, flood, or stay
// silent. It accepts one client, sends it the greeting given (then, when told to flood, data
// bytes up to a bound while the client takes them), then sends what the test asks.
class FakeRfc2217Gateway {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit FakeRfc2217Gateway(Bytes greeting, std::size_t flood = 0) : m_greeting(std::move(greeting)), m_flood(flood)
    {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 1);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakeRfc2217Gateway()
    {
        shutdown(m_listener, SHUT_RDWR);
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
            if (m_client >= 0)
                shutdown(m_client, SHUT_RDWR);
        }
        m_thread.join();
        close(m_listener);
        if (m_client >= 0)
            close(m_client);
    }

    // The greeting a gateway with serial port control sends: it agrees and confirms the rate (9600
    // unless told), 8N1 and each SET-CONTROL value given (no flow control, DTR on, RTS off unless
    // told).
    static Bytes Agreeing(std::uint32_t baud = 9600, std::vector<std::uint8_t> controls = {1, 8, 12})
    {
        Bytes greeting{255, 253, 44, 255, 250, 44, 101, static_cast<std::uint8_t>(baud >> 24),
                       static_cast<std::uint8_t>(baud >> 16), static_cast<std::uint8_t>(baud >> 8),
                       static_cast<std::uint8_t>(baud), 255, 240, 255, 250, 44, 102, 8, 255, 240,
                       255, 250, 44, 103, 1, 255, 240, 255, 250, 44, 104, 1, 255, 240};
        for (const std::uint8_t control : controls)
            greeting.insert(greeting.end(), {255, 250, 44, 105, control, 255, 240});
        return greeting;
    }

    // Data bytes sent after the greeting before the client went (or the bound was reached).
    std::size_t Flooded() const { return m_flooded; }

    std::string PortName() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }

    // Sends to the client once it is there; false when none came within two seconds.
    bool Send(const Bytes& bytes)
    {
        std::unique_lock lock(m_mutex);
        if (!m_connected.wait_for(lock, std::chrono::seconds(2), [&] { return m_client >= 0; }))
            return false;
        return send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

private:
    void Serve()
    {
        const int client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_client = client;
            send(client, m_greeting.data(), m_greeting.size(), MSG_NOSIGNAL);
            if (m_stop)
                shutdown(m_client, SHUT_RDWR);
        }
        m_connected.notify_all();
        // Ends when the client goes or the destructor shuts the connection down.
        const Bytes chunk(64 * 1024, 0x41);
        while (m_flooded < m_flood) {
            const ssize_t n = send(client, chunk.data(), std::min(chunk.size(), m_flood - m_flooded), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            m_flooded += static_cast<std::size_t>(n);
        }
        // Reads what the client sends until it goes, so that its writes never stall.
        std::uint8_t sink[1024];
        while (recv(client, sink, sizeof sink, 0) > 0) {
        }
    }

    Bytes m_greeting;
    std::size_t m_flood = 0;
    std::atomic<std::size_t> m_flooded{0};
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_connected;
    int m_client = -1;
    bool m_stop = false;
    std::thread m_thread;
};
