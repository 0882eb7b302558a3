#include "main/diagnostics.h"

#include <cstdlib>

#include "hid/command_channel.h"
#include "hid/hid_connection.h"
#include "hid/report_descriptor.h"

bool ParseHexNumber(const std::string& text, unsigned long max, unsigned long& value) {
    // Plain hexadecimal digits only: no sign, no blank, no "0x", at most 8 of them.
    if (text.empty() || text.size() > 8) return false;
    unsigned long result = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = result * 16 + static_cast<unsigned long>(digit);
    }
    if (result > max) return false;
    value = result;
    return true;
}

namespace {

// Results that come with a reply from the device; the others (no reply, a failed write) have
// none to show.
bool HasReply(int result) {
    return result != hid::kResultReadFailed && result != hid::kResultWriteFailed;
}

}  // namespace

int ListDevices(hid::IHidBackend& backend, std::FILE* out) {
    std::vector<hid::HidNodeInfo> nodes;
    std::string error;
    if (!backend.ListNodes(nodes, error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    for (const auto& node : nodes) {
        const hid::ReportDescriptor descriptor = hid::ParseReportDescriptor(node.reportDescriptor);
        if (!descriptor.ok) {
            std::fprintf(stderr, "%s: unreadable report descriptor: %s\n", node.nodeId.c_str(),
                         descriptor.error.c_str());
            continue;
        }
        const int count = static_cast<int>(descriptor.collections.size());
        for (int i = 0; i < count; ++i) {
            const auto& collection = descriptor.collections[i];
            const std::string path = hid::MakeInterfacePath(node, i + 1, count);
            std::fprintf(out, "%s vid=%x pid=%x mi=%x col=%x page=%x usage=%x\n", path.c_str(),
                         ParseVendorId(path), ParseProductId(path), ParseInterfaceNumber(path),
                         ParseCollectionNumber(path), collection.usagePage, collection.usage);
        }
    }
    return 0;
}

int ExchangeCommand(const std::shared_ptr<hid::IHidBackend>& backend, const std::string& path,
                    const std::vector<std::string>& args, std::FILE* out) {
    unsigned long command = 0, length = 0, offset = 0;
    if (args.empty() || !ParseHexNumber(args[0], 0xFF, command) ||
        (args.size() > 1 && !ParseHexNumber(args[1], hid::kMaxChunkData, length)) ||
        (args.size() > 2 && !ParseHexNumber(args[2], 0xFFFF, offset))) {
        std::fprintf(stderr,
                     "usage: --exchange PATH COMMAND [LENGTH [OFFSET [DATA...]]] (hexadecimal)\n");
        return 2;
    }
    std::vector<uint8_t> data;
    for (size_t i = 3; i < args.size(); ++i) {
        unsigned long byte = 0;
        if (!ParseHexNumber(args[i], 0xFF, byte) || data.size() >= hid::kMaxChunkData) {
            std::fprintf(stderr, "bad data byte '%s'\n", args[i].c_str());
            return 2;
        }
        data.push_back(static_cast<uint8_t>(byte));
    }
    if (data.size() > length) {
        std::fprintf(stderr, "--exchange: %zu data bytes given but LENGTH is %lu\n", data.size(),
                     length);
        return 2;
    }
    CCommandChannel channel(backend);
    {
        std::lock_guard lock(channel.ExchangeLock());
        if (!channel.WiredConnection().Open(path, true, true, true, false)) {
            std::fprintf(stderr, "error: cannot open %s: %s\n", path.c_str(),
                         channel.WiredConnection().LastError().c_str());
            return 1;
        }
        channel.SetOpened(true);
        channel.SetMode(1);
    }
    hid::Report request;
    hid::BeginRequest(request, static_cast<uint8_t>(command));
    hid::FillChunk(request, static_cast<uint8_t>(length), static_cast<uint16_t>(offset), data);
    hid::Report reply{};
    int result =
        channel.Exchange(request.data(), request.size(), reply.data(), reply.size(), nullptr);
    if (result == hid::kResultOk && reply[hid::kByteStatus] == hid::kStatusFailed) {
        result = hid::kResultStatusFF;
    } else if (result == hid::kResultOk && reply[hid::kByteStatus] == hid::kStatusRefused) {
        result = hid::kResultStatusFE;
    }
    std::fprintf(out, "request:\n%s", hid::FormatReportTrace(request).c_str());
    if (HasReply(result)) {
        std::fprintf(out, "reply:\n%s", hid::FormatReportTrace(reply).c_str());
    }
    std::fprintf(out, "result: %d (%s)\n", result, hid::ResultName(result));
    return result == hid::kResultOk ? 0 : 1;
}
