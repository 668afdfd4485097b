#include "net/win/NetworkSession.h"

#include <cstdio>

namespace likenex {

NetworkSession::~NetworkSession() {
    if (started_) WSACleanup();
}

bool NetworkSession::start(WORD version) {
    if (started_) return true;
    WSADATA data{};
    if (WSAStartup(version, &data) != 0) {
        std::fputs("\nwinsock初始化失败！\n", stdout);
        std::fflush(stdout);
        return false;
    }
    started_ = true;
    return true;
}

}  // namespace likenex
