#include "ui/RepositoryPage.h"
#include "ui/ErrorText.h"

#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/PairsGrid.h"
#include "ui/RepositoryModel.h"
#include "ui/RunLock.h"
#include "ui/TextBridge.h"
#include "ui/TextTargets.h"
#include "ui/WindowLook.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <exception>
#include <functional>

namespace qvc {

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

} // namespace

TRepositoryPage::TRepositoryPage(TDialogSeam &dialogs, const TRunLock &lock, TFileDialogRequest &saveDialog,
    const std::string &defaultBase, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_lock(lock)
    , m_saveDialog(saveDialog)
    , m_repository(defaultBase)
{
    setObjectName(QStringLiteral("Notebook1Page1"));
    CreateControls();
    m_saveDialog.DefaultSuffix = kDatSuffix;
    m_saveDialog.Filter = kDatFilter;
    m_saveDialog.FilterIndex = 0;
    m_saveDialog.ConfirmOverwrite = true;
    m_saveDialog.MultipleFiles = false;
    ShowRenameMode();
}

void TRepositoryPage::CreateControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    vleUnits = new TPairsGrid(this);
    vleUnits->setObjectName(QStringLiteral("vleUnits"));
    SetHint(vleUnits, HintText("ConvertStrings"));
    vleUnits->verticalHeader()->hide();
    vleUnits->verticalHeader()->setDefaultSectionSize(16);
    vleUnits->verticalHeader()->setMinimumSectionSize(16);
    vleUnits->setTabKeyNavigation(true);
    vleUnits->setSelectionMode(QAbstractItemView::SingleSelection);
    vleUnits->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_model = new TRepositoryModel(m_repository, this);
    vleUnits->setModel(m_model);
    // 246 and 271 pixels at design size; the grid keeps that share of whatever width it gets.
    vleUnits->setColumnWidth(0, 246);
    vleUnits->setColumnWidth(1, 271);
    layout->addWidget(vleUnits, 1);

    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("pRenameStrip"));
    // Room for the four choices: the three the .ini names and Lazarus below them.
    strip->setFixedHeight(130);
    rgRadioGroupFileExtension = new QGroupBox(strip);
    rgRadioGroupFileExtension->setObjectName(QStringLiteral("rgRadioGroupFileExtension"));
    rgRadioGroupFileExtension->setFocusPolicy(Qt::TabFocus);
    SetHint(rgRadioGroupFileExtension, HintText("RadioGroupChangeFile"));
    auto *groupLayout = new QVBoxLayout(rgRadioGroupFileExtension);
    groupLayout->setContentsMargins(12, 18, 8, 6);
    groupLayout->setSpacing(2);
    rgRadioGroupFileExtensionButtons = new QButtonGroup(this);
    rgRadioGroupFileExtensionButtons->setObjectName(QStringLiteral("rgRadioGroupFileExtensionButtons"));
    for (const qvc::TRenameMode mode : qvc::kRenameModes) {
        const int i = qvc::RenameModeDigit(mode);
        const std::string_view key = qvc::RenameCaptionKey(mode);
        const QString caption = key.empty() ? ToQ(std::string(qvc::kLazarusRenameCaption)) : CaptionText(key);
        auto *radio = new QRadioButton(caption, rgRadioGroupFileExtension);
        radio->setObjectName(QStringLiteral("rgRadioGroupFileExtensionItem%1").arg(i));
        rgRadioGroupFileExtensionButtons->addButton(radio, i);
        rgRadioGroupFileExtensionItems[std::size_t(i)] = radio;
        groupLayout->addWidget(radio);
    }
    rgRadioGroupFileExtensionItems[std::size_t(qvc::RenameModeDigit(qvc::kDefaultRenameMode))]->setChecked(true);
    stStaticTextFileExtension
        = TitleBar(QStringLiteral("stStaticTextFileExtension"), CaptionText("ChangeFileName"), kNavy, strip);
    stStaticTextFileExtension->setBuddy(rgRadioGroupFileExtension);
    stStaticTextFileExtension->setTextFormat(Qt::PlainText);
    auto *stripLayout = new QVBoxLayout(strip);
    stripLayout->setContentsMargins(4, 8, 4, 4);
    stripLayout->addWidget(rgRadioGroupFileExtension);
    // The title is drawn over the group's top edge, not laid out with it.
    stStaticTextFileExtension->move(14, 1);
    stStaticTextFileExtension->adjustSize();
    stStaticTextFileExtension->raise();
    layout->addWidget(strip);
    setFocusProxy(vleUnits);

    vleUnits->SetRepositoryModel(m_model);
    vleUnits->SetEditLock([this] { return m_lock.Held(); });
    connect(vleUnits, &TPairsGrid::CharacterKeyPressed, this, &TRepositoryPage::CharacterKeyPressed);
    connect(vleUnits, &TPairsGrid::EditRefused, this,
        [this](const QString &message) { m_dialogs.ShowError(window(), message); });
    for (const auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_model, signal, this, &TRepositoryPage::StateChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TRepositoryPage::StateChanged);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TRepositoryPage::StateChanged);
    connect(rgRadioGroupFileExtensionButtons, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked)
            RenameItemToggled(index);
    });
    new TFocusInHook(rgRadioGroupFileExtension, [this] { RenameGroupEntered(); });
    connect(m_model, &TRepositoryModel::RenameModeChanged, this, &TRepositoryPage::ShowRenameMode);

    // The grid's history keys act on the grid and the rename items themselves; a cell editor keeps its own undo.
    const auto historyAction = [this](const char *name, const QKeySequence &key, bool back) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        vleUnits->addAction(action);
        for (QRadioButton *radio : rgRadioGroupFileExtensionItems)
            radio->addAction(action);
        connect(action, &QAction::triggered, this, [this, back] { StepHistory(back); });
        return action;
    };
    actUndoPairs = historyAction("actUndoPairs", QKeySequence(Qt::CTRL | Qt::Key_Z), true);
    actRedoPairs = historyAction("actRedoPairs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false);
}

void TRepositoryPage::StepHistory(bool back)
{
    QUndoStack &history = m_model->History();
    if (m_lock.Held() || !(back ? history.canUndo() : history.canRedo()))
        return;
    if (back)
        history.undo();
    else
        history.redo();
    // Back where the last load or save left the lines, they are saved again.
    m_repository.SetRepositoryModified(!history.isClean());
    Q_EMIT StateChanged();
}

void TRepositoryPage::AddTextTargets(TTextTargets &targets)
{
    TSubstitutionRepository *repository = &m_repository;
    targets.Captions.push_back({ "Form", [repository] { return ToQ(repository->WindowTitleText()); },
        [repository](const QString &text) { repository->SetWindowTitleText(FromQ(text)); } });
    for (int column = 0; column < 2; ++column)
        targets.Captions.push_back({ column == 0 ? "ConvertStringsColumn1" : "ConvertStringsColumn2",
            [this, column] { return m_model->Caption(column); },
            [this, column](const QString &text) { m_model->SetCaption(column, text); } });
    targets.Captions.push_back({ "ChangeFileName", [this] { return stStaticTextFileExtension->text(); },
        [this](const QString &text) {
            // The title is placed over the group's edge by hand, so it takes the size of its new text.
            stStaticTextFileExtension->setText(text);
            stStaticTextFileExtension->adjustSize();
        } });
    for (const qvc::TRenameMode mode : qvc::kRenameModes)
        if (const std::string_view key = qvc::RenameCaptionKey(mode); !key.empty())
            targets.Captions.push_back(
                TextOf(key, rgRadioGroupFileExtensionItems[std::size_t(qvc::RenameModeDigit(mode))]));
    targets.Captions.push_back(
        { "MessageQuestionText1", [repository] { return ToQ(repository->MessageQuestionText1()); },
            [repository](const QString &text) { repository->SetMessageQuestionText1(FromQ(text)); } });
    targets.Captions.push_back(
        { "MessageQuestionText2", [repository] { return ToQ(repository->MessageQuestionText2()); },
            [repository](const QString &text) { repository->SetMessageQuestionText2(FromQ(text)); } });
    targets.Captions.push_back(
        { "MessageQuestionCaption", [repository] { return ToQ(repository->MessageQuestionCaption()); },
            [repository](const QString &text) { repository->SetMessageQuestionCaption(FromQ(text)); } });
    targets.Hints.push_back(HintTargetOf("ConvertStrings", static_cast<QWidget *>(vleUnits)));
    targets.Hints.push_back(HintTargetOf("RadioGroupChangeFile", static_cast<QWidget *>(rgRadioGroupFileExtension)));
}

void TRepositoryPage::ShowRenameMode()
{
    QScopedValueRollback showing(m_showingRenameMode, true);
    rgRadioGroupFileExtensionItems[std::size_t(qvc::RenameModeDigit(m_repository.RenameMode()))]->setChecked(true);
}

void TRepositoryPage::ShowRepositoryTitle()
{
    const std::string &title = m_repository.WindowTitle();
    const std::string &name = m_repository.RepositoryFileName();
    const std::string suffix = " (" + name + ")";
    // The title text is Windows-1252, the path the file system's bytes: each is decoded as what it is.
    if (!name.empty() && title.size() >= suffix.size()
        && title.compare(title.size() - suffix.size(), suffix.size(), suffix) == 0)
        Q_EMIT TitleChanged(ToQ(title.substr(0, title.size() - suffix.size())) + QStringLiteral(" (") + PathToQ(name)
            + QLatin1Char(')'));
    else
        Q_EMIT TitleChanged(ToQ(title));
}

void TRepositoryPage::FormTextChanged()
{
    if (m_repository.RepositoryFileExists()) {
        m_repository.RefreshWindowTitle();
        ShowRepositoryTitle();
    }
}

bool TRepositoryPage::OpenRepositoryFile(const QString &path)
{
    bool opened = false;
    try {
        TLinesChange change(*m_model);
        opened = m_repository.OpenRepositoryFile(PathFromQ(path));
    } catch (const std::exception &e) {
        m_dialogs.ShowError(window(), ErrorText(e));
        return false;
    }
    if (opened) {
        m_model->ClearHistory();
        ShowRenameMode();
        ShowRepositoryTitle();
    }
    Q_EMIT StateChanged();
    return true;
}

void TRepositoryPage::CharacterKeyPressed()
{
    if (m_lock.Held())
        return;
    m_repository.SetRepositoryModified(true);
    Q_EMIT StateChanged();
}

void TRepositoryPage::RenameItemToggled(int index)
{
    const auto mode = qvc::RenameModeOfDigit(index);
    if (m_showingRenameMode || !mode)
        return;
    if (m_lock.Held()) {
        // The run reads the RenameMode: it stays as the run found it.
        ShowRenameMode();
        return;
    }
    // An arrow key checks the next item before it moves the focus there: a focus anywhere in the group
    // means the user chose, by mouse or by keyboard.
    const QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == rgRadioGroupFileExtension || rgRadioGroupFileExtension->isAncestorOf(focus))) {
        m_model->ChooseRenameMode(*mode);
        Q_EMIT StateChanged();
    } else {
        m_repository.SetRenameMode(*mode);
    }
}

void TRepositoryPage::RenameGroupEntered()
{
    if (QAbstractButton *selected = rgRadioGroupFileExtensionButtons->checkedButton())
        selected->setFocus(Qt::TabFocusReason);
}

void TRepositoryPage::InsertLine()
{
    Q_EMIT PageWanted();
    std::size_t row = 0;
    m_model->ChangeLines(0, [&] { row = m_repository.NewLine(vleUnits->CurrentLine()); });
    vleUnits->SetCurrentCell(int(row), 0);
    vleUnits->setFocus(Qt::OtherFocusReason);
}

void TRepositoryPage::DeleteLines()
{
    Q_EMIT PageWanted();
    const QModelIndex current = vleUnits->currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    std::optional<std::size_t> next;
    m_model->ChangeLines(column, [&] { next = m_repository.DeleteCurrentLine(vleUnits->CurrentLine()); });
    vleUnits->SetCurrentCell(next ? int(*next) : 0, column);
    vleUnits->setFocus(Qt::OtherFocusReason);
}

void TRepositoryPage::OpenRepositoryData()
{
    // A dialog of its own for every use: it starts at the current repository.
    TFileDialogRequest request;
    request.Filter = kDatFilter;
    request.DefaultSuffix = kDatSuffix;
    if (m_repository.RepositoryFileExists())
        request.FileName = PathToQ(m_repository.RepositoryFileName());
    else
        request.Directory = PathToQ(m_repository.RepositoryFolder());
    const QStringList chosen = m_dialogs.OpenFiles(window(), request);
    if (chosen.isEmpty())
        return;
    if (OpenRepositoryFile(chosen.constFirst()))
        Q_EMIT PageWanted();
}

bool TRepositoryPage::ConfirmErasingPairs()
{
    const std::vector<std::size_t> rows = m_repository.ErasingPairRows();
    if (rows.empty())
        return true;
    const QString question
        = QStringLiteral("%1 pares apagam o texto encontrado. Salvar assim mesmo?").arg(qulonglong(rows.size()));
    if (m_dialogs.YesNo(window(), QApplication::applicationName(), question) == TAnswer::Yes)
        return true;
    // The cursor waits on the first of them, to give it a replace text.
    vleUnits->SetCurrentCell(int(rows.front()), 1);
    return false;
}

bool TRepositoryPage::WriteRepositoryAs(const QString &path)
{
    const std::vector<std::string> before = m_repository.Lines();
    try {
        TLinesChange change(*m_model);
        m_repository.SaveRepository(PathFromQ(path));
    } catch (const std::exception &e) {
        // The core leaves lines, RenameMode and RepositoryModified as they were before a failed write; only a
        // folder that could not be synced leaves the lines as saved, which the history's steps no longer fit.
        if (m_repository.Lines() != before)
            m_model->ClearHistory();
        m_dialogs.ShowError(window(), ErrorText(e));
        return false;
    }
    // Undo goes back as far as the saved lines, no further.
    m_model->ClearHistory();
    ShowRenameMode();
    ShowRepositoryTitle();
    return true;
}

void TRepositoryPage::CopyRepositoryData()
{
    if (!ConfirmErasingPairs())
        return;
    m_saveDialog.FileName.clear();
    m_saveDialog.Directory = PathToQ(m_repository.RepositoryFolder());
    const std::optional<QString> chosen = m_dialogs.SaveFile(window(), m_saveDialog);
    if (!chosen || !WriteRepositoryAs(*chosen))
        return;
    Q_EMIT PageWanted();
}

void TRepositoryPage::NewRepositoryData()
{
    {
        TLinesChange change(*m_model);
        m_repository.NewRepository();
    }
    m_model->ClearHistory();
    Q_EMIT PageWanted();
    ShowRepositoryTitle();
}

TRepositoryPage::TSaveOutcome TRepositoryPage::RunSaveRepositoryData()
{
    if (!ConfirmErasingPairs())
        return TSaveOutcome::Cancelled;
    // The initial folder stays as the last use of the dialog left it.
    m_saveDialog.FileName = PathToQ(m_repository.RepositoryFileName());
    const std::optional<QString> chosen = m_dialogs.SaveFile(window(), m_saveDialog);
    if (!chosen)
        return TSaveOutcome::Cancelled;
    if (!WriteRepositoryAs(*chosen))
        return TSaveOutcome::Failed;
    Q_EMIT PageWanted();
    return TSaveOutcome::Saved;
}

void TRepositoryPage::SaveRepositoryData()
{
    RunSaveRepositoryData();
}

QString TRepositoryPage::CloseQuestionText() const
{
    // The texts are Windows-1252, the path the file system's bytes: each part is decoded as what it is. The
    // two question texts are joined by a line break.
    const TCloseQuestionText question = m_repository.CloseQuestionText();
    QString text = ToQ(question.Before) + PathToQ(question.Path) + ToQ(question.After);
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

bool TRepositoryPage::CloseQuery()
{
    if (!m_repository.RepositoryModified())
        return true;
    switch (m_dialogs.Question(window(), ToQ(m_repository.MessageQuestionCaption()), CloseQuestionText())) {
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

} // namespace qvc
