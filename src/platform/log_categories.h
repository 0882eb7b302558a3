#pragma once
// Every logging category of the program, in one place. Enable one with
// QT_LOGGING_RULES="skelmora.proto.debug=true" (or "skelmora.*=true").
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcHid)         // skelmora.hid: transport, enumeration, backends
Q_DECLARE_LOGGING_CATEGORY(lcProto)       // skelmora.proto: command reports and their traces
Q_DECLARE_LOGGING_CATEGORY(lcEmu)         // skelmora.emu: emulated firmware and the bus server
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)   // skelmora.discovery: device discovery and hot-plug
Q_DECLARE_LOGGING_CATEGORY(lcDevice)      // skelmora.device: device objects, light and event threads
Q_DECLARE_LOGGING_CATEGORY(lcProfile)     // skelmora.profile: profile files
Q_DECLARE_LOGGING_CATEGORY(lcUi)          // skelmora.ui: layouts, notifications, windows
Q_DECLARE_LOGGING_CATEGORY(lcApp)         // skelmora.app: start-up, main window, skin and language
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)    // skelmora.platform: message port, single instance, input hook
Q_DECLARE_LOGGING_CATEGORY(lcAudio)       // skelmora.audio: headset sound card, equaliser, music capture
