// The network protocols a scanner connection uses. The values are stored as the registry value
// "ProtocolType" and carried as the protocol box's item data, so they never change.
#pragma once

constexpr int kProtocolIPv4 = 0;
constexpr int kProtocolIPv6 = 1;
