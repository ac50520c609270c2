// The repository commands (Tags 4 to 9), the pairs grid, the rename group and the close question.
#include "ui/ErrorText.h"
#include "ui/uFrm_Main.h"

#include "ui/PairsGrid.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <exception>
#include <functional>

using namespace qvc;

namespace {

const QString kDatFilter = QStringLiteral("*.dat|*.dat");
const QString kDatSuffix = QStringLiteral("dat");

// Runs a function whenever the watched widget receives the focus.
class TFocusInHook : public QObject
{
public:
    TFocusInHook(QObject *watched, std::function<void()> onFocusIn)
        : QObject(watched)
        , m_onFocusIn(std::move(onFocusIn))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn && watched == parent())
            m_onFocusIn();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onFocusIn;
};

// Tells the grid that the lines change outside its model, also when the change throws half-way.
class TLinesChange
{
public:
    explicit TLinesChange(TRepositoryModel &model)
        : m_model(model)
    {
        m_model.BeginChange();
    }
    ~TLinesChange() { m_model.EndChange(); }
    TLinesChange(const TLinesChange &) = delete;
    TLinesChange &operator=(const TLinesChange &) = delete;

private:
    TRepositoryModel &m_model;
};

TPairsGrid &Grid(QTableView *view)
{
    return *static_cast<TPairsGrid *>(view);
}

} // namespace

void Tfrm_Main::SetUpRepositoryPage()
{
    TPairsGrid &grid = Grid(vleUnits);
    grid.SetRepositoryModel(m_repositoryModel);
    grid.SetEditLock([this] { return IsRunning(); });
    connect(&grid, &TPairsGrid::CharacterKeyPressed, this, &Tfrm_Main::vleUnitsKeyPress);
    connect(
        &grid, &TPairsGrid::EditRefused, this, [this](const QString &message) { Dialogs().ShowError(this, message); });
    connect(rgRadioGroupFileExtensionButtons, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            rgRadioGroupFileExtensionClick(index);
    });
    new TFocusInHook(rgRadioGroupFileExtension, [this] { rgRadioGroupFileExtensionEnter(); });
    sdSaveRepositoryData.DefaultSuffix = kDatSuffix;
    sdSaveRepositoryData.Filter = kDatFilter;
    sdSaveRepositoryData.FilterIndex = 0;
    sdSaveRepositoryData.ConfirmOverwrite = true;
    sdSaveRepositoryData.MultipleFiles = false;
    ShowRenameMode();
}

void Tfrm_Main::ShowRenameMode()
{
    QScopedValueRollback showing(m_showingRenameMode, true);
    rgRadioGroupFileExtensionItems[std::size_t(m_repository.RenameMode())]->setChecked(true);
}

void Tfrm_Main::ShowRepositoryTitle()
{
    const std::string &title = m_repository.WindowTitle();
    const std::string &name = m_repository.RepositoryFileName();
    const std::string suffix = " (" + name + ")";
    // The title text is Windows-1252, the path the file system's bytes: each is decoded as what it is.
    if (!name.empty() && title.size() >= suffix.size()
        && title.compare(title.size() - suffix.size(), suffix.size(), suffix) == 0)
        setWindowTitle(ToQ(title.substr(0, title.size() - suffix.size())) + QStringLiteral(" (") + PathToQ(name)
            + QLatin1Char(')'));
    else
        setWindowTitle(ToQ(title));
}

bool Tfrm_Main::OpenRepositoryFile(const QString &path)
{
    bool opened = false;
    try {
        TLinesChange change(*m_repositoryModel);
        opened = m_repository.OpenRepositoryFile(PathFromQ(path));
    } catch (const std::exception &e) {
        Dialogs().ShowError(this, ErrorText(e));
        return false;
    }
    if (opened) {
        ShowRenameMode();
        ShowRepositoryTitle();
    }
    return true;
}

void Tfrm_Main::vleUnitsKeyPress(int key)
{
    Q_UNUSED(key);
    if (!IsRunning())
        m_repository.SetRepositoryModified(true);
}

void Tfrm_Main::rgRadioGroupFileExtensionClick(int index)
{
    if (m_showingRenameMode || index < 0 || index > 2)
        return;
    if (IsRunning()) {
        // The run reads the RenameMode: it stays as the run found it.
        ShowRenameMode();
        return;
    }
    m_repository.SetRenameMode(index);
    // An arrow key checks the next item before it moves the focus there: a focus anywhere in the group
    // means the user chose, by mouse or by keyboard.
    const QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == rgRadioGroupFileExtension || rgRadioGroupFileExtension->isAncestorOf(focus)))
        m_repository.SetRepositoryModified(true);
}

void Tfrm_Main::rgRadioGroupFileExtensionEnter()
{
    if (QAbstractButton *selected = rgRadioGroupFileExtensionButtons->checkedButton())
        selected->setFocus(Qt::TabFocusReason);
}

void Tfrm_Main::InsertLine()
{
    obOutlookBarOptionsButtonClick(pageRepository);
    std::size_t row = 0;
    {
        TLinesChange change(*m_repositoryModel);
        row = m_repository.NewLine(Grid(vleUnits).CurrentLine());
    }
    Grid(vleUnits).SetCurrentCell(int(row), 0);
    vleUnits->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Main::DeleteLines()
{
    obOutlookBarOptionsButtonClick(pageRepository);
    const QModelIndex current = vleUnits->currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    std::optional<std::size_t> next;
    {
        TLinesChange change(*m_repositoryModel);
        next = m_repository.DeleteCurrentLine(Grid(vleUnits).CurrentLine());
    }
    Grid(vleUnits).SetCurrentCell(next ? int(*next) : 0, column);
    vleUnits->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Main::OpenRepositoryData()
{
    // A dialog of its own for every use: it starts at the current repository.
    TFileDialogRequest request;
    request.Filter = kDatFilter;
    request.DefaultSuffix = kDatSuffix;
    if (m_repository.RepositoryFileExists())
        request.FileName = PathToQ(m_repository.RepositoryFileName());
    else
        request.Directory = PathToQ(m_repository.RepositoryFolder());
    const QStringList chosen = Dialogs().OpenFiles(this, request);
    if (chosen.isEmpty())
        return;
    if (OpenRepositoryFile(chosen.constFirst()))
        obOutlookBarOptionsButtonClick(pageRepository);
}

bool Tfrm_Main::WriteRepositoryAs(const QString &path)
{
    try {
        TLinesChange change(*m_repositoryModel);
        m_repository.SaveRepository(PathFromQ(path));
    } catch (const std::exception &e) {
        // The core leaves lines, RenameMode and RepositoryModified as they were before the save.
        Dialogs().ShowError(this, ErrorText(e));
        return false;
    }
    ShowRenameMode();
    ShowRepositoryTitle();
    return true;
}

void Tfrm_Main::CopyRepositoryData()
{
    sdSaveRepositoryData.FileName.clear();
    sdSaveRepositoryData.Directory = PathToQ(m_repository.RepositoryFolder());
    const std::optional<QString> chosen = Dialogs().SaveFile(this, sdSaveRepositoryData);
    if (!chosen || !WriteRepositoryAs(*chosen))
        return;
    obOutlookBarOptionsButtonClick(pageRepository);
}

void Tfrm_Main::NewRepositoryData()
{
    {
        TLinesChange change(*m_repositoryModel);
        m_repository.NewRepository();
    }
    obOutlookBarOptionsButtonClick(pageRepository);
    ShowRepositoryTitle();
}

Tfrm_Main::TSaveOutcome Tfrm_Main::RunSaveRepositoryData()
{
    // The initial folder stays as the last use of the dialog left it.
    sdSaveRepositoryData.FileName = PathToQ(m_repository.RepositoryFileName());
    const std::optional<QString> chosen = Dialogs().SaveFile(this, sdSaveRepositoryData);
    if (!chosen)
        return TSaveOutcome::Cancelled;
    if (!WriteRepositoryAs(*chosen))
        return TSaveOutcome::Failed;
    obOutlookBarOptionsButtonClick(pageRepository);
    return TSaveOutcome::Saved;
}

void Tfrm_Main::SaveRepositoryData()
{
    RunSaveRepositoryData();
}

QString Tfrm_Main::CloseQuestionText() const
{
    // The templates are Windows-1252, the path the file system's bytes: a stand-in keeps them apart.
    const QChar standIn(0x0001);
    QString first = ToQ(FormatQuestionTemplate(m_repository.MessageQuestionText1(), "\x01"));
    first.replace(standIn, PathToQ(m_repository.RepositoryFileName()));
    return first + QLatin1Char('\n') + ToQ(m_repository.MessageQuestionText2());
}

bool Tfrm_Main::FormCloseQuery()
{
    if (!m_repository.RepositoryModified())
        return true;
    switch (Dialogs().Question(this, ToQ(m_repository.MessageQuestionCaption()), CloseQuestionText())) {
    case TAnswer::Yes:
        // Only a save that was made lets the window close: a cancelled save dialog, like a failed save,
        // returns to the window with the edits.
        return RunSaveRepositoryData() == TSaveOutcome::Saved;
    case TAnswer::No:
        return true;
    default:
        return false;
    }
}
