#pragma once
// Hints are "short|long": the short part is the tooltip, the long part goes to the status bar's hint line.
#include <QAction>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace qvc {

inline constexpr const char *kHintProperty = "qvcHint";

/// The tooltip part of a hint: before the first "|", or the whole hint when it has none.
inline QString ShortHint(const QString &hint)
{
    const auto bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

/// The hint-line part: after the first "|", or the whole hint when it has none.
inline QString LongHint(const QString &hint)
{
    const auto bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

inline void SetHint(QWidget *widget, const QString &hint, bool tooltip = true)
{
    widget->setProperty(kHintProperty, hint);
    widget->setToolTip(tooltip ? ShortHint(hint) : QString());
}

inline void SetHint(QAction *action, const QString &hint)
{
    action->setProperty(kHintProperty, hint);
    action->setToolTip(ShortHint(hint));
}

inline QString HintOf(const QObject *object)
{
    return object->property(kHintProperty).toString();
}

} // namespace qvc
