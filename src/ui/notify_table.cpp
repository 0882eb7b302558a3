#include "ui/notify_table.h"

namespace ui {

std::optional<int> NumberAfterPrefix(const QString& name, const char* prefix) {
    const QLatin1String head(prefix);
    if (!name.startsWith(head)) return std::nullopt;
    const QStringView digits = QStringView(name).mid(head.size());
    if (digits.isEmpty() || digits.size() > 9) return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

bool MatchesNotify(const char* rowType, const char* rowControl, NotifyMatch match,
                   const QString& type, const QString& name) {
    if (type != QLatin1String(rowType)) return false;
    if (!rowControl) return true;  // a row without a control takes any sender
    switch (match) {
        case NotifyMatch::AnyControl:
            return true;
        case NotifyMatch::Exact:
            return rowControl && name == QLatin1String(rowControl);
        case NotifyMatch::Prefix:
            return rowControl && name.startsWith(QLatin1String(rowControl));
        case NotifyMatch::NumberedPrefix:
            return rowControl && NumberAfterPrefix(name, rowControl).has_value();
    }
    return false;
}

}  // namespace ui
