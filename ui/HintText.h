#pragma once
// Hints are "short|long": the short part is the tooltip, the long part goes to the status bar's hint line.
#include <QAction>
#include <QKeySequence>
#include <QList>
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

inline QString HintOf(const QObject *object)
{
    return object->property(kHintProperty).toString();
}

inline void SetHint(QWidget *widget, const QString &hint, bool tooltip = true)
{
    widget->setProperty(kHintProperty, hint);
    widget->setToolTip(tooltip ? ShortHint(hint) : QString());
}

/// The key a command gained beyond its stored hint; its tooltip names it after the hint's short part.
inline constexpr const char *kAddedKeyProperty = "qvcAddedKey";

/// A tooltip with the added key `key` named after it, as "Executar... (F9)"; a tooltip left empty stays empty.
inline QString TooltipWithKey(const QString &tooltip, const QString &key)
{
    return tooltip.isEmpty() || key.isEmpty() ? tooltip : tooltip + QStringLiteral(" (") + key + QLatin1Char(')');
}

inline void SetHint(QAction *action, const QString &hint)
{
    action->setProperty(kHintProperty, hint);
    action->setToolTip(TooltipWithKey(ShortHint(hint), action->property(kAddedKeyProperty).toString()));
}

/// Gives a command one more key and names it in the command's tooltip (the stored hint stays as it is, and a
/// hint set later keeps the key in the tooltip). The key shows in the menus as the command's shortcut.
inline void AddCommandKey(QAction *action, const QKeySequence &key)
{
    QList<QKeySequence> keys = action->shortcuts();
    keys.append(key);
    action->setShortcuts(keys);
    action->setProperty(kAddedKeyProperty, key.toString(QKeySequence::NativeText));
    SetHint(action, HintOf(action));
}

} // namespace qvc
