#include "main/backend_choice.h"

#include <sstream>

#include "emulator/emulated_bus.h"
#include "hid/hidraw_backend.h"
#include "hid/vhid_backend.h"

std::shared_ptr<hid::IHidBackend> ChooseHidBackend(const std::string& emulateKinds,
                                                   const char* hidVariable, std::string& error) {
    if (!emulateKinds.empty()) {
        // As a full-speed interrupt endpoint answers: about 1 ms per report.
        auto bus = emu::EmulatedBus::Create(std::chrono::microseconds(1000));
        std::stringstream kinds(emulateKinds);
        std::string kind;
        while (std::getline(kinds, kind, ',')) {
            if (kind.empty()) continue;
            if (!bus->Plug(kind, error)) return nullptr;
        }
        return bus;
    }
    const std::string choice = hidVariable ? hidVariable : "";
    if (choice.empty() || choice == "hidraw") return std::make_shared<hid::HidrawBackend>();
    if (choice.rfind("vhid:", 0) == 0) {
        const std::string path = choice.substr(5);
        if (path.empty()) {
            error = "SKELMORA_HID=vhid: needs a socket path (vhid:/path/to/bus.sock)";
            return nullptr;
        }
        return hid::VhidBackend::Connect(path, error);
    }
    error = "SKELMORA_HID='" + choice + "' is not understood (use hidraw or vhid:PATH)";
    return nullptr;
}
