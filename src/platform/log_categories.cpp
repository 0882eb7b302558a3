#include "platform/log_categories.h"

Q_LOGGING_CATEGORY(lcHid, "skelmora.hid", QtWarningMsg)
Q_LOGGING_CATEGORY(lcProto, "skelmora.proto", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEmu, "skelmora.emu", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDiscovery, "skelmora.discovery", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDevice, "skelmora.device", QtWarningMsg)
Q_LOGGING_CATEGORY(lcProfile, "skelmora.profile", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "skelmora.ui", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "skelmora.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "skelmora.platform", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAudio, "skelmora.audio", QtWarningMsg)
