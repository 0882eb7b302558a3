// skelmora-send: sends a registered message to the running configurator.
//
//   skelmora-send MESSAGE [WPARAM [LPARAM]]
//   skelmora-send --list
//
// MESSAGE is a registered name ("Game_Start", "TELMA QX-418GRY Device",
// "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", ...) or "#" and its number. WPARAM (0 to 2^64-1)
// and LPARAM (-2^63 to 2^63-1) are decimal or 0x-hexadecimal and default to 0.
//
// Exit status: 0 delivered, 1 no instance runs (or there is no private run-time folder and so
// no port), 2 usage error (nothing sent), 3 not taken: no answer in time (the instance then
// drops the request), it answered with an error, or the port belongs to another user.
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/message_port.h"
#include "platform/registered_messages.h"

namespace {

constexpr int kTimeoutMs = 3000;

void PrintKnown(std::FILE* out) {
    std::fputs("messages the running instance takes:\n", out);
    for (const auto& m : platform::kRegisteredMessages) {
        if (!m.acceptedFromOutside) continue;
        std::fprintf(out, "  #0x%04X  %.*s\n", static_cast<unsigned>(m.number),
                     static_cast<int>(m.name.size()), m.name.data());
    }
}

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: skelmora-send MESSAGE [WPARAM [LPARAM]]\n"
        "       skelmora-send --list\n"
        "Sends MESSAGE (a registered name, or # and its number) to the running configurator.\n"
        "WPARAM and LPARAM are decimal or 0x-hexadecimal numbers, 0 when left out.\n"
        "Exit status: 0 delivered, 1 no instance runs, 2 usage error, 3 not taken.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        PrintKnown(stdout);
        return 0;
    }
    if (argc < 2 || argc > 4) {
        PrintUsage(stderr);
        return 2;
    }

    const std::string name = argv[1];
    const platform::RegisteredMessage* message = platform::ResolveRegisteredMessage(name);
    if (!message) {
        std::fprintf(stderr, "skelmora-send: unknown message \"%s\"\n", name.c_str());
        PrintKnown(stderr);
        return 2;
    }
    if (!message->acceptedFromOutside) {
        std::fprintf(stderr, "skelmora-send: \"%s\" is not taken from other programs\n", name.c_str());
        PrintKnown(stderr);
        return 2;
    }
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    if (argc >= 3) {
        const auto w = platform::ParseUnsigned(argv[2]);
        if (!w) {
            std::fprintf(stderr, "skelmora-send: WPARAM \"%s\" is not a number from 0 to 2^64-1\n", argv[2]);
            return 2;
        }
        wParam = *w;
    }
    if (argc >= 4) {
        const auto l = platform::ParseSigned(argv[3]);
        if (!l) {
            std::fprintf(stderr, "skelmora-send: LPARAM \"%s\" is not a number from -2^63 to 2^63-1\n", argv[3]);
            return 2;
        }
        lParam = *l;
    }

    const platform::SendOutcome outcome = platform::SendRegisteredMessage(name, wParam, lParam, kTimeoutMs);
    switch (outcome.result) {
    case platform::SendResult::Delivered:
        return 0;
    case platform::SendResult::NoInstance:
    case platform::SendResult::NoPort:
        std::fprintf(stderr, "skelmora-send: %s\n", qPrintable(outcome.detail));
        return 1;
    case platform::SendResult::Refused:
    case platform::SendResult::Error:
        break;
    }
    std::fprintf(stderr, "skelmora-send: not delivered: %s\n", qPrintable(outcome.detail));
    return 3;
}
