// A listening socket of the test's own on a loopback address: the peer a test
// controls (it answers when the test says), or a stranger's host that must never
// see a connection (127.0.0.2 is on no allow-list).
#pragma once
#include <winsock2.h>

#include <cstdint>

namespace nettest {

class LoopbackListener {
public:
    explicit LoopbackListener(std::uint32_t address = INADDR_LOOPBACK) {
        WSADATA wsa{};
        m_started = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
        m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        m_at.sin_family = AF_INET;
        m_at.sin_addr.s_addr = htonl(address);
        int len = sizeof m_at;
        m_ok = m_socket != INVALID_SOCKET && bind(m_socket, reinterpret_cast<sockaddr*>(&m_at), sizeof m_at) == 0 &&
               listen(m_socket, 4) == 0 && getsockname(m_socket, reinterpret_cast<sockaddr*>(&m_at), &len) == 0;
    }
    ~LoopbackListener() {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        if (m_started)
            WSACleanup();
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    bool ok() const { return m_ok; }
    SOCKET socket() const { return m_socket; }
    const sockaddr_in& address() const { return m_at; }
    unsigned port() const { return ntohs(m_at.sin_port); }
    // Whether a connection is waiting, or arrives within the seconds given.
    bool Pending(long seconds) const {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(m_socket, &ready);
        timeval wait{seconds, 0};
        return select(0, &ready, nullptr, nullptr, &wait) == 1;
    }

private:
    bool m_started = false;
    SOCKET m_socket = INVALID_SOCKET;
    sockaddr_in m_at{};
    bool m_ok = false;
};

}  // namespace nettest
