#pragma once
// skelmora.update: the settings window and the update check.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
