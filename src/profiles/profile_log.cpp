#include "profiles/profile_log.h"

#include <QString>

#include "platform/log_categories.h"

namespace profiles {

namespace {
QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

void ProfileTrace(std::string_view text) { qCDebug(lcProfile).noquote() << ToQString(text); }

void ProfileWarning(std::string_view text) { qCWarning(lcProfile).noquote() << ToQString(text); }

}  // namespace profiles
