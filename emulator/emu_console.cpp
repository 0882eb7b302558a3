#include "emulator/emu_console.h"

#include <charconv>
#include <sstream>
#include <string_view>

#include "emulator/emulated_headset.h"
#include "hid/hex_text.h"
#include "hid/report_descriptor.h"

namespace emu {
namespace {

using Reply = EmuConsole::Reply;
using Words = EmuConsole::Words;

Reply Error(std::string text) { return {false, {std::move(text)}}; }
Reply Ok() { return {}; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// An even number of hexadecimal digits, at least two.
bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& bytes) {
    if (text.empty() || text.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value, int base) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseOnOff(const std::string& word, bool& on) {
    if (word != "on" && word != "off") return false;
    on = word == "on";
    return true;
}

bool ParseFault(const std::string& name, FaultKind& kind) {
    static const std::pair<const char*, FaultKind> kNames[] = {
        {"status-ff", FaultKind::StatusFF},
        {"status-fe", FaultKind::StatusFE},
        {"no-reply", FaultKind::NoReply},
        {"other-command", FaultKind::OtherCommand},
        {"only-other-command", FaultKind::OnlyOtherCommand},
        {"unsolicited-aa", FaultKind::Unsolicited0xAA},
    };
    for (const auto& [text, value] : kNames) {
        if (name == text) {
            kind = value;
            return true;
        }
    }
    return false;
}

// The node and the input report id of a device's consumer collection (0x0C / 0x01), and the
// length of that report with its id byte.
struct ConsumerReport {
    size_t node = 0;
    uint8_t reportId = 0;
    size_t length = 0;
};

std::optional<ConsumerReport> FindConsumerReport(const EmulatedDevice& device) {
    const auto& nodes = device.Nodes();
    for (size_t n = 0; n < nodes.size(); ++n) {
        const hid::ReportDescriptor parsed = hid::ParseReportDescriptor(nodes[n].reportDescriptor);
        if (!parsed.ok) continue;
        for (const auto& collection : parsed.collections) {
            const auto& input = collection.caps(hid::ReportType::Input);
            if (collection.usagePage != 0x0C || collection.usage != 0x01 ||
                input.reportIds.empty()) {
                continue;
            }
            return ConsumerReport{n, input.reportIds.front(), input.byteLength};
        }
    }
    return std::nullopt;
}

// The colours the headset shows: red, green, blue of LEDs 0..12 of target 0x22, then of 0x44.
std::vector<uint8_t> LedBytes(const EmulatedHeadset& headset) {
    std::vector<uint8_t> bytes;
    for (const auto& side : headset.Leds()) {
        for (const LedColour& led : side) bytes.insert(bytes.end(), {led.red, led.green, led.blue});
    }
    return bytes;
}

}  // namespace

// The command table: name, words after the name (at least, at most), usage, handler.
struct ConsoleCommands {
    using Handler = Reply (*)(EmuConsole&, const Words&);
    struct Entry {
        const char* name;
        size_t minWords, maxWords;
        const char* usage;
        Handler run;
    };

    static EmulatedDevice* DeviceOf(EmuConsole& console, const std::string& kind) {
        return console.bus_->Device(kind);
    }

    static Reply NoDevice(const std::string& kind) {
        return Error("no " + kind + " has been plugged");
    }

    static Reply Plug(EmuConsole& console, const Words& w) {
        std::string error;
        return console.bus_->Plug(w[1], error) ? Ok() : Error(error);
    }

    static Reply Unplug(EmuConsole& console, const Words& w) {
        std::string error;
        return console.bus_->Unplug(w[1], error) ? Ok() : Error(error);
    }

    static Reply List(EmuConsole& console, const Words&) {
        Reply reply;
        for (const auto& name : EmulatedKinds()) {
            reply.lines.push_back(name +
                                  (console.bus_->IsPlugged(name) ? " plugged" : " unplugged"));
        }
        reply.lines.emplace_back("ok");
        return reply;
    }

    static Reply Fault(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        unsigned command = 0;
        int chunk = 0, times = 1;
        FaultKind fault{};
        if (!ParseNumber(w[2], command, 16) || command > 0xFF || !ParseNumber(w[3], chunk, 10) ||
            chunk < -1 || !ParseFault(w[4], fault) ||
            (w.size() > 5 && (!ParseNumber(w[5], times, 10) || times == 0 || times < -1))) {
            return Error("fault KIND COMMAND CHUNK FAULT [TIMES]");
        }
        device->Firmware().AddFault({static_cast<uint8_t>(command), chunk, fault, times});
        return Ok();
    }

    static Reply ClearFaults(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        device->Firmware().ClearFaults();
        return Ok();
    }

    static Reply Link(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        bool on = false;
        if (!ParseOnOff(w[2], on)) return Error("link KIND on|off");
        device->Firmware().SetWirelessLinked(on);
        return Ok();
    }

    static Reply Dump(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        if (auto* headset = dynamic_cast<EmulatedHeadset*>(device); headset && w[2] == "leds")
            return {true, {"leds " + hid::HexText(LedBytes(*headset))}};
        const auto area = AreaByName(w[2]);
        const auto bytes = area ? device->Firmware().Dump(*area) : std::nullopt;
        if (!bytes) return Error(w[1] + " has no area '" + w[2] + "'");
        return {true, {w[2] + (bytes->empty() ? "" : " " + hid::HexText(*bytes))}};
    }

    static Reply Set(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        const auto area = AreaByName(w[2]);
        if (!area) return Error(w[1] + " has no area '" + w[2] + "'");
        size_t offset = 0;
        std::vector<uint8_t> bytes;
        if (!ParseNumber(w[3], offset, 10) || !ParseHexBytes(w[4], bytes)) {
            return Error("set KIND AREA OFFSET HEX (OFFSET decimal, HEX pairs of digits)");
        }
        std::string error;
        return device->Firmware().Set(*area, offset, bytes, error) ? Ok() : Error(error);
    }

    static Reply Flag(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        bool on = false;
        if (w[2] != "read-active" || !ParseOnOff(w[3], on)) {
            return Error("flag KIND read-active on|off");
        }
        device->Firmware().SetReadActiveKeyTable(on);
        return Ok();
    }

    static Reply Event(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        unsigned value = 0;
        if (w[2].size() > 4 || !ParseNumber(w[2], value, 16)) {
            return Error("event KIND VALUE (VALUE: up to 4 hexadecimal digits)");
        }
        const auto consumer = FindConsumerReport(*device);
        if (!consumer) return Error(w[1] + " has no consumer collection");
        std::vector<uint8_t> report(std::max<size_t>(consumer->length, 3), 0);
        report[0] = consumer->reportId;
        report[1] = static_cast<uint8_t>(value & 0xFF);
        report[2] = static_cast<uint8_t>(value >> 8);
        if (!console.bus_->InjectInput(w[1], consumer->node, report)) {
            return Error(w[1] + " is not plugged");
        }
        return Ok();
    }

    static Reply Log(EmuConsole& console, const Words& w) {
        if (!DeviceOf(console, w[1])) return NoDevice(w[1]);
        bool on = false;
        if (!ParseOnOff(w[2], on)) return Error("log KIND on|off");
        console.SetLogging(w[1], on);
        return Ok();
    }

    static Reply Stats(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        const RequestCounters c = device->Firmware().Counters();
        std::string line = "reports " + std::to_string(c.reports) + " bad " +
                           std::to_string(c.bad) + " unframed " + std::to_string(c.unframed);
        if (const auto* headset = dynamic_cast<const EmulatedHeadset*>(device)) {
            const LedCounters leds = headset->Counters();
            line += " led-reports " + std::to_string(leds.reports) + " led-bad " +
                    std::to_string(leds.bad);
        }
        return {true, {line}};
    }

    static Reply Frames(EmuConsole& console, const Words& w) {
        EmulatedDevice* device = DeviceOf(console, w[1]);
        if (!device) return NoDevice(w[1]);
        const CommandFirmware& firmware = device->Firmware();
        return {true,
                {"frames " + std::to_string(firmware.LightFrames()) + " chunks " +
                 std::to_string(firmware.LightFrameChunks())}};
    }

    static constexpr Entry kTable[] = {
        {"plug", 1, 1, "plug KIND", Plug},
        {"unplug", 1, 1, "unplug KIND", Unplug},
        {"list", 0, 0, "list", List},
        {"fault", 4, 5, "fault KIND COMMAND CHUNK FAULT [TIMES]", Fault},
        {"clear-faults", 1, 1, "clear-faults KIND", ClearFaults},
        {"link", 2, 2, "link KIND on|off", Link},
        {"dump", 2, 2, "dump KIND AREA", Dump},
        {"set", 4, 4, "set KIND AREA OFFSET HEX", Set},
        {"flag", 3, 3, "flag KIND read-active on|off", Flag},
        {"event", 2, 2, "event KIND VALUE", Event},
        {"log", 2, 2, "log KIND on|off", Log},
        {"stats", 1, 1, "stats KIND", Stats},
        {"frames", 1, 1, "frames KIND", Frames},
    };
};

EmuConsole::EmuConsole(std::shared_ptr<EmulatedBus> bus, LineSink sink)
    : bus_(std::move(bus)), sink_(std::move(sink)) {}

EmuConsole::~EmuConsole() {
    for (const auto& [kind, on] : logging_) {
        if (on) SetLogging(kind, false);
    }
}

void EmuConsole::Print(const std::string& line) {
    std::lock_guard lock(sinkMutex_);
    sink_(line);
}

void EmuConsole::SetLogging(const std::string& kind, bool on) {
    EmulatedDevice* device = bus_->Device(kind);
    if (!device) return;
    logging_[kind] = on;
    if (!on) {
        device->SetOutputObserver(nullptr);
        return;
    }
    device->SetOutputObserver([this, kind](std::span<const uint8_t> report) {
        Print("rx " + kind + " " + hid::HexText(report));
    });
}

EmuConsole::Reply EmuConsole::Run(const Words& words) {
    std::string names;
    for (const auto& entry : ConsoleCommands::kTable) {
        if (words[0] != entry.name) {
            names += std::string(names.empty() ? "" : ", ") + entry.name;
            continue;
        }
        const size_t count = words.size() - 1;
        if (count < entry.minWords || count > entry.maxWords) {
            return Error(std::string("usage: ") + entry.usage);
        }
        return entry.run(*this, words);
    }
    return Error("unknown command '" + words[0] + "' (" + names + ", quit)");
}

bool EmuConsole::Handle(const std::string& line) {
    std::istringstream stream(line);
    Words words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.empty()) return true;
    if (words[0] == "quit") {
        Print("ok");
        return false;
    }
    const Reply reply = Run(words);
    if (!reply.ok) {
        Print("error: " + reply.lines.front());
    } else if (reply.lines.empty()) {
        Print("ok");
    } else {
        for (const auto& text : reply.lines) Print(text);
    }
    return true;
}

}  // namespace emu
