// Feeds arbitrary bytes to what the program reads from outside on the HID side: report
// descriptors (from sysfs or the virtual bus), the reports unpacked with them, and the
// virtual bus's message stream. Nothing may crash, read out of bounds or allocate without
// bound.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hid/report_descriptor.h"
#include "hid/report_unpack.h"
#include "hid/vhid_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);

    // The first half is a descriptor, the rest a report to unpack with every cap it yields.
    const size_t half = size / 2;
    const hid::ReportDescriptor descriptor = hid::ParseReportDescriptor(bytes.first(half));
    if (descriptor.ok) {
        const auto report = bytes.subspan(half);
        for (const auto& collection : descriptor.collections) {
            for (const auto type : {hid::ReportType::Input, hid::ReportType::Output,
                                    hid::ReportType::Feature}) {
                const auto& caps = collection.caps(type);
                (void)hid::GetUsages(caps, 0, report);
                (void)hid::MaxUsageListLength(caps, 0);
                for (const auto& cap : caps.valueCaps) {
                    (void)hid::GetUsageValue(cap, cap.usageMin, report);
                    (void)hid::GetScaledUsageValue(cap, cap.usageMin, report);
                }
            }
        }
    }

    // The whole input as a bus stream, cut at an arbitrary point.
    vhid::FrameBuffer frames;
    frames.Append(bytes.first(half));
    frames.Append(bytes.subspan(half));
    while (auto message = frames.Next()) {
        vhid::Reader in(message->payload);
        (void)in.U32();
        (void)in.Str();
        (void)in.Blob();
        (void)in.Rest();
    }
    return 0;
}
