#include "links/winsockerrors.h"

#include <winsock2.h>

#include <gtest/gtest.h>

TEST(WinsockErrorText, NamesTheCodesAsWindowsDefinesThem)
{
    EXPECT_EQ(gf_winsockErrorText(WSAEINTR), "10004 Interrupted system call");
    EXPECT_EQ(gf_winsockErrorText(WSAEACCES), "10013 Permission denied");
    EXPECT_EQ(gf_winsockErrorText(WSAEWOULDBLOCK), "10035 Operation would block");
    EXPECT_EQ(gf_winsockErrorText(WSAEMSGSIZE), "10040 Messenger too long");
    EXPECT_EQ(gf_winsockErrorText(WSAEADDRINUSE), "10048 Address already in use");
    EXPECT_EQ(gf_winsockErrorText(WSAECONNRESET), "10054 Connection reset by peer");
    EXPECT_EQ(gf_winsockErrorText(WSAETIMEDOUT), "10060 Connection timed out");
    EXPECT_EQ(gf_winsockErrorText(WSAECONNREFUSED), "10061 Connection refused");
    EXPECT_EQ(gf_winsockErrorText(WSAEREMOTE), "10071 Too many levels of remote in path");
    EXPECT_EQ(gf_winsockErrorText(WSASYSNOTREADY), "10091 Network system is unavailable");
    EXPECT_EQ(gf_winsockErrorText(WSANOTINITIALISED), "10093 WSAStartup not yet called");
    EXPECT_EQ(gf_winsockErrorText(WSAEDISCON), "10101 Graceful shutdown in progress");
    EXPECT_EQ(gf_winsockErrorText(WSAHOST_NOT_FOUND), "11001 Host not found");
    EXPECT_EQ(gf_winsockErrorText(WSANO_DATA), "11004 No host data of that type was found");
}

TEST(WinsockErrorText, CodesWithoutTextKeepTheirNumber)
{
    for (int code : {0, -1, 10005, 10072, 10090, 10102, 11002, 99999})
        EXPECT_EQ(gf_winsockErrorText(code), std::to_string(code) + " Unknown errror code") << code;
}

TEST(WinsockErrorText, DescribesARealFailure)
{
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET unused = INVALID_SOCKET;
    char byte = 0;
    ASSERT_EQ(send(unused, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(gf_winsockErrorText(WSAGetLastError()), "10038 Socket operation on non-socket");
    WSACleanup();
}
