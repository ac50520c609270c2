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

/// Set on an action whose key is the program's own addition rather than one of the commands' given keys.
inline constexpr const char *kOwnShortcutProperty = "qvcOwnShortcut";

inline void SetHint(QAction *action, const QString &hint)
{
    action->setProperty(kHintProperty, hint);
    QString tip = ShortHint(hint);
    // An added key names itself after the tooltip; the hint itself stays as the settings file holds it.
    if (!tip.isEmpty() && action->property(kOwnShortcutProperty).toBool() && !action->shortcut().isEmpty())
        tip += QStringLiteral(" (%1)").arg(action->shortcut().toString(QKeySequence::NativeText));
    action->setToolTip(tip);
}

inline QString HintOf(const QObject *object)
{
    return object->property(kHintProperty).toString();
}

/// Gives an action a key of the program's own: its menu entry shows it and its tooltip names it.
inline void AddOwnShortcut(QAction *action, const QKeySequence &key)
{
    action->setShortcut(key);
    action->setProperty(kOwnShortcutProperty, true);
    SetHint(action, HintOf(action));
}

} // namespace qvc
