// A small BER builder for discovery answers, shared by the discovery tests and the LAN responder.
#pragma once
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Octets from hex text; spaces are ignored.
inline Bytes Hex(const char* text)
{
    Bytes out;
    unsigned octet;
    for (int used; std::sscanf(text, " %2x%n", &octet, &used) == 1; text += used)
        out.push_back(static_cast<std::uint8_t>(octet));
    return out;
}

inline Bytes Tlv(std::uint8_t tag, const Bytes& contents)
{
    const size_t n = contents.size();
    Bytes out = n < 0x80 ? Bytes{tag} : n < 0x100 ? Bytes{tag, 0x81} : Bytes{tag, 0x82, std::uint8_t(n >> 8)};
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Str(const std::string& s)
{
    return Tlv(0x04, Bytes(s.begin(), s.end()));
}
inline Bytes Int(std::uint8_t v)
{
    return Tlv(0x02, Bytes{v});
}

// Dotted text as an OBJECT IDENTIFIER; sub-identifiers may exceed 32 bits, as given.
inline Bytes Oid(const std::string& dotted)
{
    std::istringstream in(dotted);
    std::vector<unsigned long long> arcs;
    for (std::string arc; std::getline(in, arc, '.');) arcs.push_back(std::stoull(arc));
    arcs[1] += arcs[0] * 40;
    Bytes contents;
    for (size_t i = 1; i < arcs.size(); ++i)  // base 128, high groups first, each but the last marked
        for (int shift = 63; shift >= 0; shift -= 7)
            if (arcs[i] >> shift || shift == 0)
                contents.push_back(static_cast<std::uint8_t>((arcs[i] >> shift & 0x7F) | (shift ? 0x80 : 0)));
    return Tlv(0x06, contents);
}

inline Bytes Binding(const std::string& name, const Bytes& value)
{
    return Tlv(0x30, Cat({Oid(name), value}));
}

// A whole GetResponse with the given bindings; version 0 is SNMPv1, 1 SNMPv2c.
inline Bytes Answer(std::initializer_list<Bytes> bindings, std::uint8_t version = 0)
{
    Bytes pdu = Tlv(0xA2, Cat({Int(1), Int(0), Int(0), Tlv(0x30, Cat(bindings))}));
    return Tlv(0x30, Cat({Int(version), Str("harbor"), pdu}));
}

// An SNMPv1 answer to a details request (its request-id is set by the scripted network).
inline Bytes DetailsAnswer(std::uint8_t errorStatus, std::uint8_t errorIndex, std::initializer_list<Bytes> bindings,
                           std::uint8_t version = 0)
{
    Bytes pdu = Tlv(0xA2, Cat({Tlv(0x02, {0x53, 0x44, 0, 0}), Int(errorStatus), Int(errorIndex), Tlv(0x30, Cat(bindings))}));
    return Tlv(0x30, Cat({Int(version), Str("harbor"), pdu}));
}

// The usual answer of a scanner: sysDescr, sysObjectID and the first physical address.
inline Bytes ScannerAnswer(const std::string& descr, const std::string& objectId,
                           const Bytes& mac = Hex("020000000011"))
{
    return Answer({Binding("1.3.6.1.2.1.1.1.0", Str(descr)), Binding("1.3.6.1.2.1.1.2.0", Oid(objectId)),
                   Binding("1.3.6.1.2.1.2.2.1.6.1", Tlv(0x04, mac))});
}
