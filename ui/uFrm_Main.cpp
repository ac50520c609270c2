// The main window's construction: the commands, the bars, the side bar, the page stack, the status bar and the
// overlays, and how the parts are wired to each other.
#include "ui/uFrm_Main.h"

#include "ui/Artwork.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListPage.h"
#include "ui/HintText.h"
#include "ui/KeyTexts.h"
#include "ui/LanguageEditor.h"
#include "ui/RepositoryPage.h"
#include "ui/ResultView.h"
#include "ui/SettingsPage.h"
#include "ui/TextBridge.h"
#include "ui/TextTargets.h"
#include "ui/WindowLook.h"

#include "commands/ActionTags.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace qvc;

namespace {

// The Menu keys of the Captions and Hints sections name the twelve tagged commands, in Tag order.
constexpr std::string_view kMenuKeys[kTaggedActionCount] = { "MenuScanSubDirectory", "MenuAddFile", "MenuRemoveFile",
    "MenuSelectAll", "MenuInsertLine", "MenuDeleteLines", "MenuOpenRepositoryData", "MenuCopyRepositoryData",
    "MenuNewRepositoryData", "MenuSaveRepositoryData", "MenuExecuteConversion", "MenuAboutMe" };
constexpr std::string_view kMenuTitleKeys[4]
    = { "MainMenuBarItem1", "MainMenuBarItem2", "MainMenuBarItem3", "MainMenuBarItem4" };
constexpr std::string_view kSideBarKeys[3] = { "OutlookBarButton1", "OutlookBarButton2", "OutlookBarButton3" };

} // namespace

Tfrm_Main::Tfrm_Main(TDialogSeam *dialogs, const QString &executablePath, QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_executablePath(executablePath)
    , m_settingsBase(SettingsBaseFor(executablePath))
{
    InitArtwork();
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(CaptionText("Form"));
    setFont(WindowFont());
    resize(690, 480);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(690 / 2, 480 / 2));
    }
    setAttribute(Qt::WA_AlwaysShowToolTips, true);

    CreateActions();
    CreateMenusAndToolBar();
    CreateWorkArea();
    CreateStatusBar();
    CreateOverlays();
    ConnectParts();

    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, &Tfrm_Main::OnUpdateAction);

    FormCreate();
}

QAction *Tfrm_Main::NewAction(
    const char *name, int tag, const QString &caption, const QString &hint, int picture, const QKeySequence &shortcut)
{
    auto *action = new QAction(CommandPicture(picture), caption, this);
    action->setObjectName(QLatin1String(name));
    action->setProperty("Tag", tag);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setIconVisibleInMenu(true);
    SetHint(action, hint);
    connect(action, &QAction::hovered, this, [this, action] { ShowHintOf(action); });
    if (tag >= 0)
        connect(action, &QAction::triggered, this, [this, action] { OnExecuteAction(action); });
    addAction(action);
    return action;
}

void Tfrm_Main::CreateActions()
{
    struct TCommand
    {
        const char *Name;
        int Picture;
        QKeySequence Shortcut;
    };
    const TCommand commands[kTaggedActionCount] = {
        { "actScanSubDirectory", 7, QKeySequence(Qt::CTRL | Qt::Key_B) },
        { "actAddFile", 0, QKeySequence(Qt::CTRL | Qt::Key_O) },
        { "actRemoveFile", 1, QKeySequence(Qt::CTRL | Qt::Key_D) },
        { "actSelectAll", 10, QKeySequence(Qt::CTRL | Qt::Key_A) },
        { "actInsertLine", 6, QKeySequence(Qt::CTRL | Qt::Key_I) },
        { "actDeleteLines", 8, QKeySequence(Qt::CTRL | Qt::Key_E) },
        { "actOpenRepositoryData", 5, {} },
        { "actCopyRepositoryData", 13, {} },
        { "actNewRepositoryData", 9, {} },
        { "actSaveRepositoryData", 11, {} },
        { "actExecuteConversion", 2, {} },
        { "actAboutMe", 3, {} },
    };
    for (int tag = 0; tag < kTaggedActionCount; ++tag) {
        const TCommand &command = commands[tag];
        m_taggedActions[std::size_t(tag)] = NewAction(command.Name, tag, CaptionText(kMenuKeys[tag]),
            HintText(kMenuKeys[tag]), command.Picture, command.Shortcut);
    }
    actFileExit = NewAction("actFileExit", -1, QStringLiteral("&Sair..."),
        QStringLiteral("Sair...|Sair desta aplicação..."), 4, QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(actFileExit, &QAction::triggered, this, &QWidget::close);
    actUndoLastRun = new QAction(QStringLiteral("Desfazer a Última Conversão"), this);
    actUndoLastRun->setObjectName(QStringLiteral("actUndoLastRun"));
    // Keys beyond the stored ones: the menus show them, the tooltips name them, the stored hints stay.
    AddCommandKey(ActionByTag(tagSaveRepositoryData), QKeySequence(Qt::CTRL | Qt::Key_S));
    AddCommandKey(ActionByTag(tagExecuteConversion), QKeySequence(Qt::Key_F9));
    actRunFailedOnly = new QAction(QStringLiteral("Executar somente os com &falha"), this);
    actRunFailedOnly->setObjectName(QStringLiteral("actRunFailedOnly"));
    SetHint(actRunFailedOnly,
        QStringLiteral("Executar somente os com falha|Converter de novo somente os arquivos que falharam na última "
                       "conversão..."));
    connect(actRunFailedOnly, &QAction::hovered, this, [this] { ShowHintOf(actRunFailedOnly); });
    actFilterList = new QAction(QStringLiteral("&Filtrar a Lista"), this);
    actFilterList->setObjectName(QStringLiteral("actFilterList"));
    actFilterList->setShortcutContext(Qt::WindowShortcut);
    SetHint(actFilterList, QStringLiteral("Filtrar a Lista|Mostrar somente os arquivos de um tipo..."));
    AddCommandKey(actFilterList, QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(actFilterList, &QAction::hovered, this, [this] { ShowHintOf(actFilterList); });
    addAction(actFilterList);
}

QAction *Tfrm_Main::ActionByTag(int tag) const
{
    return IsActionTag(tag) ? m_taggedActions[std::size_t(tag)] : nullptr;
}

void Tfrm_Main::CreateMenusAndToolBar()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ActionMainMenuBar1->setFont(MenuFont());
    setMenuBar(ActionMainMenuBar1);
    for (int i = 0; i < 4; ++i) {
        QMenu *menu = ActionMainMenuBar1->addMenu(CaptionText(kMenuTitleKeys[i]));
        menu->setObjectName(QStringLiteral("MainMenuBarItem%1").arg(i + 1));
        menu->setFont(MenuFont());
        menu->setToolTipsVisible(false);
        MainMenuBarItems[std::size_t(i)] = menu;
    }
    const auto command = [this](int tag) { return ActionByTag(tag); };
    MainMenuBarItems[0]->addActions({ command(tagScanSubDirectory), command(tagAddFile), command(tagRemoveFile) });
    MainMenuBarItems[0]->addSeparator();
    MainMenuBarItems[0]->addAction(actFileExit);
    MainMenuBarItems[1]->addAction(command(tagSelectAll));
    MainMenuBarItems[1]->addAction(actFilterList);
    MainMenuBarItems[1]->addSeparator();
    MainMenuBarItems[1]->addActions({ command(tagInsertLine), command(tagDeleteLines) });
    MainMenuBarItems[2]->addActions({ command(tagOpenRepositoryData), command(tagCopyRepositoryData) });
    MainMenuBarItems[2]->addSeparator();
    MainMenuBarItems[2]->addActions({ command(tagNewRepositoryData), command(tagSaveRepositoryData) });
    MainMenuBarItems[2]->addSeparator();
    MainMenuBarItems[2]->addAction(command(tagExecuteConversion));
    MainMenuBarItems[2]->addAction(actRunFailedOnly);
    MainMenuBarItems[2]->addAction(actUndoLastRun);
    MainMenuBarItems[3]->addAction(command(tagAboutMe));

    ActionToolBar1 = new QToolBar(this);
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setFloatable(false);
    ActionToolBar1->setIconSize(QSize(16, 16));
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ActionToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ActionToolBar1->addAction(actFileExit);
    for (int tag = 0; tag < kTaggedActionCount; ++tag)
        ActionToolBar1->addAction(command(tag));
    addToolBar(Qt::TopToolBarArea, ActionToolBar1);
}

void Tfrm_Main::CreateWorkArea()
{
    pData = new QFrame(this);
    pData->setObjectName(QStringLiteral("pData"));
    pData->setFrameShape(QFrame::Panel);
    pData->setFrameShadow(QFrame::Sunken);
    auto *dataLayout = new QHBoxLayout(pData);
    dataLayout->setContentsMargins(4, 4, 4, 4);
    dataLayout->setSpacing(0);
    setCentralWidget(pData);
    m_workArea.reset(pData);

    Splitter1 = new QSplitter(Qt::Horizontal, pData);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setHandleWidth(4);
    dataLayout->addWidget(Splitter1);

    // Side bar: one group with three large buttons.
    obOutlookBarOptions = new QFrame(Splitter1);
    obOutlookBarOptions->setObjectName(QStringLiteral("obOutlookBarOptions"));
    obOutlookBarOptions->setFrameShape(QFrame::StyledPanel);
    obOutlookBarOptions->setAutoFillBackground(true);
    SetHint(obOutlookBarOptions, HintText("OutlookBarOptions"));
    auto *sideLayout = new QVBoxLayout(obOutlookBarOptions);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->setSpacing(6);
    obOutlookBarOptionsTitle = TitleBar(
        QStringLiteral("obOutlookBarOptionsTitle"), CaptionText("OutlookBar"), kShadowGrey, obOutlookBarOptions);
    obOutlookBarOptionsTitle->setAlignment(Qt::AlignCenter);
    obOutlookBarOptionsTitle->setFixedHeight(20);
    sideLayout->addWidget(obOutlookBarOptionsTitle);
    for (int i = 0; i < 3; ++i) {
        auto *button = new QToolButton(obOutlookBarOptions);
        button->setObjectName(QStringLiteral("obOutlookBarOptionsButton%1").arg(i));
        button->setText(CaptionText(kSideBarKeys[i]));
        button->setIcon(QIcon(SideBarPicture(i)));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(62);
        connect(button, &QToolButton::clicked, this, [this, i] { obOutlookBarOptionsButtonClick(i); });
        obOutlookBarOptionsButtons[std::size_t(i)] = button;
        sideLayout->addWidget(button);
    }
    sideLayout->addStretch(1);

    // Page area: title panel over the page stack.
    Panel2 = new QFrame(Splitter1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto *pageLayout = new QVBoxLayout(Panel2);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    Panel3 = TitleBar(QStringLiteral("Panel3"), QStringLiteral("Conversão de Arquivos"), kShadowGrey, Panel2);
    QFont titleFont;
    titleFont.setFamilies(
        { QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    titleFont.setPixelSize(24);
    titleFont.setBold(false);
    Panel3->setFont(titleFont);
    Panel3->setFixedHeight(34);
    Panel3->setIndent(8);
    auto *titleLayout = new QHBoxLayout(Panel3);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->addStretch(1);
    Image1 = new QLabel(Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedWidth(43);
    Image1->setAlignment(Qt::AlignCenter);
    titleLayout->addWidget(Image1);
    pageLayout->addWidget(Panel3);

    Notebook1 = new QStackedWidget(Panel2);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    // The pages are built before they join the stack, so their controls take their first sizes from the
    // application's font; the stack then gives them the window's.
    m_fileListPage = new TFileListPage(*m_dialogs, m_runLock, m_saveDialog, nullptr);
    m_repositoryPage = new TRepositoryPage(*m_dialogs, m_runLock, m_saveDialog, PathFromQ(m_settingsBase), nullptr);
    m_settingsPage = new TSettingsPage(nullptr);
    Notebook1->addWidget(m_fileListPage);
    Notebook1->addWidget(m_repositoryPage);
    Notebook1->addWidget(m_settingsPage);
    auto *page3 = new QWidget;
    page3->setObjectName(QStringLiteral("Notebook1Page3"));
    Notebook1->addWidget(page3);
    pageLayout->addWidget(Notebook1, 1);

    Splitter1->addWidget(obOutlookBarOptions);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({ 144, 690 - 144 });
}

void Tfrm_Main::CreateStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbStatusBarConvertFile"));
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);
    // The design text; the settings replace it with VersionLabelText and the version number.
    sbStatusBarVersion = new QLabel(QStringLiteral("Versão : 2.01"), bar);
    sbStatusBarVersion->setObjectName(QStringLiteral("sbStatusBarVersion"));
    sbStatusBarVersion->setFixedWidth(90);
    sbStatusBarVersion->setAlignment(Qt::AlignCenter);
    sbStatusBarHint = new QLabel(QStringLiteral(" "), bar);
    sbStatusBarHint->setObjectName(QStringLiteral("sbStatusBarHint"));
    sbStatusBarHint->setFrameShape(QFrame::Panel);
    sbStatusBarHint->setFrameShadow(QFrame::Sunken);
    sbStatusBarHint->setTextFormat(Qt::PlainText);
    // A long hint (a failed file's reason with its path) is cut at the window's edge, never widens the window.
    sbStatusBarHint->setMinimumWidth(1);
    bar->addWidget(sbStatusBarVersion);
    bar->addWidget(sbStatusBarHint, 1);
}

void Tfrm_Main::CreateOverlays()
{
    m_languageEditor = std::make_unique<TLanguageEditor>(*m_dialogs, this);
    m_resultView = std::make_unique<TResultView>(this);
    m_runner = std::make_unique<TConversionRunner>(*m_dialogs, m_runLock, *m_fileListPage, *m_settingsPage,
        m_repositoryPage->Repository(), m_executablePath, this);
}

void Tfrm_Main::ConnectParts()
{
    connect(
        m_fileListPage, &TFileListPage::PageWanted, this, [this] { obOutlookBarOptionsButtonClick(pageConvertFiles); });
    connect(m_fileListPage, &TFileListPage::StateChanged, this, &Tfrm_Main::ScheduleUpdate);
    connect(m_fileListPage, &TFileListPage::RemoveKeyReleased, this,
        [this] { OnExecuteAction(ActionByTag(tagRemoveFile)); });
    connect(m_fileListPage, &TFileListPage::RowActivated, this, &Tfrm_Main::ShowResultOfSelectedRow);
    connect(m_fileListPage, &TFileListPage::CloseWanted, this, &QWidget::close);
    connect(m_repositoryPage, &TRepositoryPage::PageWanted, this,
        [this] { obOutlookBarOptionsButtonClick(pageRepository); });
    connect(m_repositoryPage, &TRepositoryPage::StateChanged, this, &Tfrm_Main::ScheduleUpdate);
    connect(m_repositoryPage, &TRepositoryPage::TitleChanged, this, &QWidget::setWindowTitle);
    connect(m_settingsPage, &TSettingsPage::MaskLeft, m_fileListPage, &TFileListPage::ApplyFileMask);
    connect(m_settingsPage, &TSettingsPage::LanguageEditorWanted, this, &Tfrm_Main::OpenLanguageEditor);
    connect(m_languageEditor.get(), &TLanguageEditor::ApplyClicked, this, &Tfrm_Main::ApplyLanguageEditor);
    connect(m_languageEditor.get(), &TLanguageEditor::CancelClicked, this, [this] {
        ShowOverlayPanel(m_languageEditor.get(), false);
        m_settingsPage->FocusLanguageButton();
    });
    connect(m_resultView.get(), &TResultView::Closed, this, [this] {
        ShowOverlayPanel(m_resultView.get(), false);
        m_fileListPage->setFocus(Qt::OtherFocusReason);
    });
    connect(m_runner.get(), &TConversionRunner::CloseWanted, this, &QWidget::close);
    connect(actUndoLastRun, &QAction::triggered, m_runner.get(), &TConversionRunner::UndoLastRun);
    connect(actRunFailedOnly, &QAction::triggered, this, &Tfrm_Main::RunFailedOnly);
    connect(actFilterList, &QAction::triggered, this, &Tfrm_Main::FocusListFilter);
    connect(&m_runLock, &TRunLock::Changed, this, &Tfrm_Main::RunLockChanged);
}

void Tfrm_Main::AddTextTargets(TTextTargets &targets)
{
    targets.Captions.push_back({ "StatusBar", [this] { return m_versionLabelText; },
        [this](const QString &text) { m_versionLabelText = text; } });
    targets.Captions.push_back(TextOf("OutlookBar", obOutlookBarOptionsTitle));
    for (std::size_t i = 0; i < 3; ++i)
        targets.Captions.push_back(TextOf(kSideBarKeys[i], obOutlookBarOptionsButtons[i]));
    for (std::size_t i = 0; i < 4; ++i) {
        QMenu *menu = MainMenuBarItems[i];
        targets.Captions.push_back({ kMenuTitleKeys[i], [menu] { return menu->title(); },
            [menu](const QString &text) { menu->setTitle(text); } });
    }
    for (int tag = 0; tag < kTaggedActionCount; ++tag) {
        targets.Captions.push_back(TextOf(kMenuKeys[tag], ActionByTag(tag)));
        targets.Hints.push_back(HintTargetOf(kMenuKeys[tag], ActionByTag(tag)));
    }
    targets.Hints.push_back(HintTargetOf("OutlookBarOptions", static_cast<QWidget *>(obOutlookBarOptions)));
}

TTextTargets Tfrm_Main::TextTargets()
{
    TTextTargets targets;
    AddTextTargets(targets);
    m_fileListPage->AddTextTargets(targets);
    m_repositoryPage->AddTextTargets(targets);
    m_settingsPage->AddTextTargets(targets);
    m_languageEditor->AddTextTargets(targets);
    m_resultView->AddTextTargets(targets);
    return targets;
}
