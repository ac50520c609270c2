#pragma once
// The result view `pViewResult`, an overlay over the work area: the run's scope when it was not the whole text, the
// pairs that changed one file and how often, the occurrences the run left in place, and the changed lines with the
// changed words marked.
#include "common/Scope.h"
#include "engine/run/ResultStore.h"
#include "filelist/FileList.h"

#include <QFrame>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;
class QTextBrowser;

namespace qvc {

struct TTextTargets;

class TResultView : public QFrame
{
    Q_OBJECT
public:
    explicit TResultView(QWidget *parent);

    /// Fills the view with the results of a row, which the run of `scope` gave; false when the row has nothing to
    /// show (the view stays as it was). Throws what the result store throws for a row it does not hold.
    bool Fill(const TFileRow &row, std::size_t missedCount, const TResultStore &store, TScope scope);
    /// Gives the focus to bbOk, which confirms the view.
    void FocusOk();
    /// The title without a file's name (`ResultTitleText`).
    const QString &ResultTitleText() const { return m_resultTitleText; }

    /// The Captions and Hints keys of the view's controls.
    void AddTextTargets(TTextTargets &targets);

    /// Background colours of the changed words in the old and the new line.
    static constexpr const char *kChangedOldColour = "#ffc8c8";
    static constexpr const char *kChangedNewColour = "#c8f0c8";

Q_SIGNALS:
    /// bbOk (Tag 2) was clicked: the view is done.
    void Closed();

private:
    void ShowDetails(const TRowDetails &details, const std::string &separator);
    void Close();

    QString m_resultTitleText;
    QLabel *pViewResultTitle = nullptr;
    QLabel *stScopeResult = nullptr;
    QTableWidget *vleUnitsResult = nullptr;
    QLabel *stMissedResult = nullptr;
    QTableWidget *vleMissedResult = nullptr;
    QLabel *stChangedLines = nullptr;
    QTextBrowser *memChangedLines = nullptr;
    QPushButton *bbOk = nullptr;
};

} // namespace qvc
