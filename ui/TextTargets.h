#pragma once
// Where each key of the settings file's Captions and Hints sections lands in the window: a getter and a setter of
// its target's text. Each part of the window lists the targets of its own controls, so loading, saving and the
// language editor move texts by key only.
#include "ui/HintText.h"

#include <QString>
#include <QTableWidget>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// One key and the text of its target in the window.
struct TTextTarget
{
    std::string_view Key;
    std::function<QString()> Get;
    std::function<void(const QString &)> Set;
};

/// The targets of the Captions keys and of the Hints keys.
struct TTextTargets
{
    std::vector<TTextTarget> Captions;
    std::vector<TTextTarget> Hints;
};

/// The text of a control with text() and setText().
template <typename TControl> TTextTarget TextOf(std::string_view key, TControl *control)
{
    return { key, [control] { return control->text(); }, [control](const QString &text) { control->setText(text); } };
}

/// The title of a column of a table.
inline TTextTarget ColumnOf(std::string_view key, QTableWidget *grid, int column)
{
    return { key,
        [grid, column] {
            const QTableWidgetItem *item = grid->horizontalHeaderItem(column);
            return item ? item->text() : QString();
        },
        [grid, column](const QString &title) {
            if (QTableWidgetItem *item = grid->horizontalHeaderItem(column))
                item->setText(title);
            else
                grid->setHorizontalHeaderItem(column, new QTableWidgetItem(title));
        } };
}

/// The hint of a widget or an action.
template <typename TObject> TTextTarget HintTargetOf(std::string_view key, TObject *object)
{
    return { key, [object] { return HintOf(object); }, [object](const QString &hint) { SetHint(object, hint); } };
}

/// The target of a key (exact spelling) in a list; every key of the tables has one, so a missing one is a fault
/// of the program (std::logic_error).
inline const TTextTarget &TextTargetOf(const std::vector<TTextTarget> &targets, std::string_view key)
{
    for (const auto &target : targets)
        if (target.Key == key)
            return target;
    throw std::logic_error("no control for the settings key " + std::string(key));
}

} // namespace qvc
