// The network protocols a scanner connection uses. The values are stored as the registry value
// "ProtocolType" and carried as the protocol box's item data, so they never change.
#pragma once

#include "platform/udp.h"

constexpr int kProtocolIPv4 = 0;
constexpr int kProtocolIPv6 = 1;

// The one family type inside the program is the socket family (kUdpIPv4, kUdpIPv6: platform/udp.h);
// these turn the stored protocol values into it and back.
constexpr int FamilyOfProtocol(int protocol)
{
    return protocol == kProtocolIPv6 ? kUdpIPv6 : kUdpIPv4;
}
constexpr int ProtocolOfFamily(int family)
{
    return family == kUdpIPv6 ? kProtocolIPv6 : kProtocolIPv4;
}
