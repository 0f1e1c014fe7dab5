#include "tools/devsim/replies.h"

namespace devsim {

discovery::SearchReply ToSearchReply(const Device& device) {
    discovery::SearchReply reply;
    reply.classText = device.classText;
    reply.mac = device.mac;
    reply.deviceAddress = device.address;
    reply.deviceName = device.name;
    reply.httpPort = device.httpPort;
    reply.rtspPort = device.rtspPort;
    reply.dvsByte = device.dvsByte;
    reply.modelText = device.model;
    return reply;
}

discovery::ReplyRecord BuildReply(const Device& device) {
    return discovery::EncodeSearchReply(ToSearchReply(device));
}

} // namespace devsim
