#pragma once

#include "spawn_quietly.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// A loopback TCP port nobody listens on now: the system picks it, so tests that run at the same
// time get different ones.
inline std::uint16_t FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    std::uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

// Whether something listens on the loopback port, read from the kernel's socket table so that
// asking opens no connection (ser2net would open its device for it).
inline bool LoopbackListening(std::uint16_t port)
{
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);)
        if (line.find(wanted) != std::string::npos && line.find(" 0A ") != std::string::npos)
            return true;
    return false;
}

// ser2net, the serial-to-network gateway, serving one device on a loopback port: raw TCP or
// RFC 2217. Start and Stop may be repeated to restart it on the same port.
class Ser2NetGateway {
public:
    enum class Mode { Raw, Rfc2217 };

    Ser2NetGateway(std::string devicePath, Mode mode) : m_device(std::move(devicePath)), m_mode(mode)
    {
        m_port = FreeLoopbackPort();
        m_dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/vantrolix-ser2net-"
            + std::to_string(getpid()) + "-" + std::to_string(m_port);
    }
    ~Ser2NetGateway() { Stop(); }
    Ser2NetGateway(const Ser2NetGateway&) = delete;
    Ser2NetGateway& operator=(const Ser2NetGateway&) = delete;

    // False, with the reason, when ser2net is missing or did not come up listening.
    bool Start(std::string& error)
    {
        const std::string program = Program();
        if (program.empty()) {
            error = "ser2net is not installed (./run installs it)";
            return false;
        }
        const std::string config = m_dir + ".yaml";
        {
            std::ofstream out(config);
            out << "connection: &gateway\n"
                << "  accepter: " << (m_mode == Mode::Rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
                << "127.0.0.1," << m_port << "\n"
                << "  connector: serialdev," << m_device << ",9600n81,local\n";
        }
        const std::string pidFile = m_dir + ".pid";
        m_pid = SpawnQuietly({program, "-n", "-u", "-c", config, "-P", pidFile}, true);
        if (m_pid == 0) {
            error = "cannot start ser2net";
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!LoopbackListening(m_port)) {
            int status = 0;
            if (std::chrono::steady_clock::now() > deadline || waitpid(m_pid, &status, WNOHANG) == m_pid) {
                error = "ser2net did not listen on port " + std::to_string(m_port);
                Stop();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = 0;
        std::remove((m_dir + ".yaml").c_str());
        std::remove((m_dir + ".pid").c_str());
    }

    std::uint16_t Port() const { return m_port; }
    std::string PortName() const
    {
        return (m_mode == Mode::Rfc2217 ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(m_port);
    }

private:
    static std::string Program()
    {
        for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"})
            if (access(path, X_OK) == 0)
                return path;
        return {};
    }

    std::string m_device;
    Mode m_mode;
    std::uint16_t m_port = 0;
    std::string m_dir;
    pid_t m_pid = 0;
};
