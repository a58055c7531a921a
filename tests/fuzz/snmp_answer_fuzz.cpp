// libFuzzer target: the discovery answer decoder (the details answer's fields and the PDU header
// too) and the model match on arbitrary datagrams. Any crash, sanitizer report or broken field
// invariant (a text not terminated inside its field, a non-empty field after a rejected datagram,
// a header left set after one) stops the run.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "discovery/snmp_message.h"

namespace {

void CheckField(const char* field, size_t width)
{
    size_t length = strnlen(field, width);
    if (length == width) std::abort();  // not terminated
    for (size_t i = length; i < width; ++i)
        if (field[i] != 0) std::abort();  // the tail must be zero
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    DeviceRecord record;
    std::memset(&record, 0x5A, sizeof record);
    SnmpPduHeader header;
    std::memset(&header, 0x5A, sizeof header);
    const AnswerKind kind = DecodeSnmpReply(data, size, record, &header);
    const bool decoded = kind != AnswerKind::Undecodable;
    if (!decoded && (header.pduType != 0 || header.requestId != 0 || header.errorStatus != 0)) std::abort();
    for (auto field : {std::make_pair(record.name, sizeof record.name),
                       std::make_pair(record.location, sizeof record.location),
                       std::make_pair(record.serial, sizeof record.serial)}) {
        CheckField(field.first, field.second);
        if (!decoded && field.first[0]) std::abort();
    }
    CheckField(record.sysDescr, sizeof record.sysDescr);
    CheckField(record.sysObjectId, sizeof record.sysObjectId);
    CheckField(record.address, sizeof record.address);
    CheckField(record.macAddress, sizeof record.macAddress);
    CheckField(record.adapterName, sizeof record.adapterName);
    if (!decoded && (record.sysDescr[0] || record.sysObjectId[0] || record.macAddress[0])) std::abort();
    if (std::strlen(record.macAddress) > 29) std::abort();  // at most 10 octets
    MatchesModel(record, "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1");
    return 0;
}
