#pragma once
// WinSock for the life of the program: started once at start-up (version 1.1), cleaned up when
// the session object goes. Connections made while it lives end on their own when it goes: a
// receive still pending then fails with the code of a stopped WinSock.

#include <windows.h>

namespace likenex {

inline constexpr WORD kWinSockVersion = MAKEWORD(1, 1);

class NetworkSession {
public:
    NetworkSession() = default;
    NetworkSession(const NetworkSession&) = delete;
    NetworkSession& operator=(const NetworkSession&) = delete;
    ~NetworkSession();

    // Starts WinSock; on failure writes "\nwinsock初始化失败！\n" (UTF-8) to standard output
    // and returns false. Starting a started session does nothing more.
    [[nodiscard]] bool start(WORD version = kWinSockVersion);
    [[nodiscard]] bool started() const { return started_; }

private:
    bool started_ = false;
};

}  // namespace likenex
