// skelmora-send: sends a registered message to the running configurator.
//
//   skelmora-send MESSAGE [WPARAM [LPARAM]]
//   skelmora-send ui REQUEST...
//   skelmora-send --listen SECONDS
//   skelmora-send --list
//   skelmora-send --help | --version
//
// MESSAGE is a registered name ("Game_Start", "TELMA QX-418GRY Device",
// "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", ...) or "#" and its number. WPARAM (0 to 2^64-1)
// and LPARAM (-2^63 to 2^63-1) are decimal or 0x-hexadecimal and default to 0.
//
// Exit status: 0 delivered, 1 no instance runs (or there is no private run-time folder and so
// no port), 2 usage error (nothing sent), 3 not taken: no answer in time (the instance then
// drops the request), it answered with an error, or the port belongs to another user.
// A reply that carries data (the tool report) is printed as lower-case hexadecimal; a "ui"
// request prints "ok" or the value it read; --listen prints each broadcast as
// "NAME WPARAM LPARAM".
#include <QCommandLineParser>
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
        "       skelmora-send ui show KIND[:TAB] | click NAME | select NAME | unselect NAME |\n"
        "                        item NAME ROW | value NAME N | text NAME TEXT | get NAME |\n"
        "                        power suspend|resume   (instance started with --automation)\n"
        "       skelmora-send --listen SECONDS\n"
        "       skelmora-send --list | --help | --version\n"
        "Sends MESSAGE (a registered name, or # and its number) to the running configurator.\n"
        "WPARAM and LPARAM are decimal or 0x-hexadecimal numbers, 0 when left out.\n"
        "Exit status: 0 delivered, 1 no instance runs, 2 usage error, 3 not taken.\n",
        out);
}

// 0 delivered, 1 no instance (or no port), 3 not taken; the reason goes to stderr.
int ExitOf(const platform::SendOutcome& outcome) {
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

}  // namespace

// A usage error: one line, the usage, exit 2.
int UsageError(const std::string& line) {
    std::fprintf(stderr, "skelmora-send: %s\n", line.c_str());
    PrintUsage(stderr);
    return 2;
}

int main(int argc, char** argv) {
    // Parsed before the application exists. Arguments pass as Latin-1, which keeps their bytes.
    // After MESSAGE everything is an argument, so an LPARAM of -5 is a number, not an option.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption listOption(QStringLiteral("list"),
                                        QStringLiteral("list the messages"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("print the usage"));
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("print the version"));
    const QCommandLineOption listenOption(QStringLiteral("listen"),
                                          QStringLiteral("print broadcasts for SECONDS"),
                                          QStringLiteral("SECONDS"));
    parser.addOptions({listOption, helpOption, versionOption, listenOption});
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLatin1(argv[i]);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return UsageError(unknown.isEmpty()
                              ? parser.errorText().toStdString()
                              : "unknown option '" + unknown.first().toStdString() + "'");
    }
    for (const QCommandLineOption* option :
         {&listOption, &helpOption, &versionOption, &listenOption}) {
        qsizetype given = 0;
        for (const QString& name : parser.optionNames()) given += option->names().contains(name);
        if (given > 1)
            return UsageError("--" + option->names().constLast().toStdString() + " given twice");
    }
    const QStringList positional = parser.positionalArguments();
    const bool anOption = !parser.optionNames().isEmpty();
    if (anOption && (parser.optionNames().size() > 1 || !positional.isEmpty()))
        return UsageError("--help, --list, --listen and --version stand alone");
    if (parser.isSet(helpOption)) {
        PrintUsage(stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("skelmora-send %s\n", SKELMORA_VERSION);
        return 0;
    }
    if (parser.isSet(listOption)) {
        PrintKnown(stdout);
        return 0;
    }
    if (parser.isSet(listenOption)) {
        const auto seconds = platform::ParseUnsigned(parser.value(listenOption).toStdString());
        if (!seconds || *seconds > 86400)
            return UsageError("--listen needs SECONDS from 0 to 86400");
        QCoreApplication app(argc, argv);
        const platform::SendOutcome outcome = platform::ListenForBroadcasts(
            static_cast<int>(*seconds * 1000),
            [](const QString& name, std::uint64_t wParam, std::int64_t lParam) {
                std::printf("%s %llu %lld\n", qPrintable(name),
                            static_cast<unsigned long long>(wParam),
                            static_cast<long long>(lParam));
                std::fflush(stdout);
            });
        return ExitOf(outcome);
    }
    if (!positional.isEmpty() && positional[0] == QLatin1String("ui")) {
        if (positional.size() < 2) return UsageError("ui needs a request");
        // The request travels as UTF-8; a TEXT with spaces is one argument or several.
        QStringList words;
        for (qsizetype i = 1; i < positional.size(); ++i)
            words << QString::fromUtf8(positional[i].toLatin1());
        const std::string request = words.join(u' ').toUtf8().toStdString();
        const std::string line =
            platform::port::FormatKindRequest(platform::port::RequestKind::Ui, request);
        if (line.size() > static_cast<std::size_t>(platform::port::kMaxRequestBytes))
            return UsageError("the ui request is longer than the port's 256 bytes");
        for (unsigned char c : request)
            if (c < 0x20 || c == 0x7F) return UsageError("control characters cannot be sent");
        QCoreApplication app(argc, argv);
        const platform::SendOutcome outcome = platform::SendRequestLine(line, kTimeoutMs);
        if (outcome.result == platform::SendResult::Delivered)
            std::printf("%s\n", qPrintable(outcome.data));
        return ExitOf(outcome);
    }
    if (positional.isEmpty() || positional.size() > 3) {
        PrintUsage(stderr);
        return 2;
    }

    QCoreApplication app(argc, argv);
    const std::string name = positional[0].toLatin1().toStdString();
    const std::string wText = positional.size() >= 2 ? positional[1].toLatin1().toStdString() : "";
    const std::string lText = positional.size() >= 3 ? positional[2].toLatin1().toStdString() : "";
    const platform::RegisteredMessage* message = platform::ResolveRegisteredMessage(name);
    if (!message) {
        std::fprintf(stderr, "skelmora-send: unknown message \"%s\"\n", name.c_str());
        PrintKnown(stderr);
        return 2;
    }
    if (!message->acceptedFromOutside) {
        std::fprintf(stderr, "skelmora-send: \"%s\" is not taken from other programs\n",
                     name.c_str());
        PrintKnown(stderr);
        return 2;
    }
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    if (positional.size() >= 2) {
        const auto w = platform::ParseUnsigned(wText);
        if (!w) {
            std::fprintf(stderr, "skelmora-send: WPARAM \"%s\" is not a number from 0 to 2^64-1\n",
                         wText.c_str());
            return 2;
        }
        wParam = *w;
    }
    if (positional.size() >= 3) {
        const auto l = platform::ParseSigned(lText);
        if (!l) {
            std::fprintf(stderr,
                         "skelmora-send: LPARAM \"%s\" is not a number from -2^63 to 2^63-1\n",
                         lText.c_str());
            return 2;
        }
        lParam = *l;
    }

    const platform::SendOutcome outcome =
        platform::SendRegisteredMessage(name, wParam, lParam, kTimeoutMs);
    if (outcome.result == platform::SendResult::Delivered && !outcome.data.isEmpty())
        std::printf("%s\n", qPrintable(outcome.data));
    return ExitOf(outcome);
}
