// The main window's construction: every control with its name, texts, hints and sizes.
#include "ui/uFrm_Main.h"

#include "ui/Artwork.h"
#include "ui/FileListModel.h"
#include "ui/HintText.h"
#include "ui/LocaleBridge.h"
#include "ui/PairsGrid.h"
#include "ui/RepositoryModel.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace qvc;

namespace {

// Classic desktop colours of the window's title bars and panels.
const QColor kActiveCaption(10, 36, 106);
const QColor kCaptionText(255, 255, 255);
const QColor kShadowGrey(128, 128, 128);

QFont WindowFont()
{
    QFont font;
    font.setFamilies({ QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif") });
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

QFont MenuFont()
{
    QFont font;
    font.setFamilies({ QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif") });
    font.setPointSize(8);
    font.setBold(false);
    return font;
}

QLabel *TitleBar(const QString &name, const QString &caption, const QColor &background, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, kCaptionText);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QTableWidget *KeyValueGrid(const QString &name, const QString &column1, const QString &column2, QWidget *parent)
{
    auto *grid = new QTableWidget(0, 2, parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels({ column1, column2 });
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setColumnWidth(0, 200);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setTabKeyNavigation(true);
    return grid;
}

// A read-only table of the result view: whole rows selected, no row numbers, rows of the design height.
void SetUpResultTable(QTableWidget *table)
{
    table->setShowGrid(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(19);
}

} // namespace

Tfrm_Main::Tfrm_Main(TDialogSeam *dialogs, const QString &executablePath, QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_executablePath(executablePath)
    , m_settingsBase(SettingsBaseFor(executablePath))
    , m_fileList(m_resultStore, MakeListLocale())
    , m_repository(PathFromQ(m_settingsBase))
{
    InitArtwork();
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QStringLiteral("Utilitário para converter arquivos DELPHI e KYLIX."));
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
    CreateLanguageEditor();
    CreateResultView();
    CreateFileListHandlers();
    CreateSettingsHandlers();

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
    actScanSubDirectory
        = NewAction("actScanSubDirectory", tagScanSubDirectory, QStringLiteral("&Buscar Sub-Diretórios"),
            QStringLiteral("Buscar Sub-Diretórios|Buscar arquivo(s) nos sub-diretórios para a lista..."), 7,
            QKeySequence(Qt::CTRL | Qt::Key_B));
    actAddFile = NewAction("actAddFile", tagAddFile, QStringLiteral("&Adicionar Arquivo"),
        QStringLiteral("Adicionar Arquivo|Adicionar um novo arquivo na lista..."), 0,
        QKeySequence(Qt::CTRL | Qt::Key_O));
    actRemoveFile = NewAction("actRemoveFile", tagRemoveFile, QStringLiteral("&Remover Arquivo(s)"),
        QStringLiteral("Remover Arquivo(s)|Remover o(s) arquivo(s) da lista..."), 1,
        QKeySequence(Qt::CTRL | Qt::Key_D));
    actSelectAll = NewAction("actSelectAll", tagSelectAll, QStringLiteral("&Selecionar Todos"),
        QStringLiteral("Selecionar Todos|Selecionar todos os itens da lista..."), 10,
        QKeySequence(Qt::CTRL | Qt::Key_A));
    actInsertLine = NewAction("actInsertLine", tagInsertLine, QStringLiteral("&Nova Linha"),
        QStringLiteral("Nova Linha|Inserir uma nova linha na lista..."), 6, QKeySequence(Qt::CTRL | Qt::Key_I));
    actDeleteLines = NewAction("actDeleteLines", tagDeleteLines, QStringLiteral("&Excluir Linha"),
        QStringLiteral("Excluir Linha|Excluir a linha da lista..."), 8, QKeySequence(Qt::CTRL | Qt::Key_E));
    actOpenRepositoryData
        = NewAction("actOpenRepositoryData", tagOpenRepositoryData, QStringLiteral("&Abrir Repositório"),
            QStringLiteral("Abrir Repositório|&Abrir um repositório de dados existente..."), 5, {});
    actCopyRepositoryData
        = NewAction("actCopyRepositoryData", tagCopyRepositoryData, QStringLiteral("&Copiar Repositório"),
            QStringLiteral("Copiar Repositório|Copiar o repositório de dados atual para um outro..."), 13, {});
    actNewRepositoryData = NewAction("actNewRepositoryData", tagNewRepositoryData, QStringLiteral("Novo &Repositório"),
        QStringLiteral("Novo Repositório|Criar um novo repositório de dados..."), 9, {});
    actSaveRepositoryData
        = NewAction("actSaveRepositoryData", tagSaveRepositoryData, QStringLiteral("&Salvar Repositório"),
            QStringLiteral("Salvar Repositório|Salvar as alterações feitas no repositório de dados atual..."), 11, {});
    actExecuteConversion = NewAction("actExecuteConversion", tagExecuteConversion, QStringLiteral("&Executar..."),
        QStringLiteral("Executar...|Executar a conversão do(s) arquivo(s)..."), 2, {});
    actAboutMe = NewAction("actAboutMe", tagAboutMe, QStringLiteral("&Sobre..."),
        QStringLiteral("Sobre...|Informações sobre esta aplicação..."), 3, {});
    actFileExit = NewAction("actFileExit", -1, QStringLiteral("&Sair..."),
        QStringLiteral("Sair...|Sair desta aplicação..."), 4, QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(actFileExit, &QAction::triggered, this, &QWidget::close);
    actUndoLastRun = new QAction(QStringLiteral("Desfazer a Última Conversão"), this);
    actUndoLastRun->setObjectName(QStringLiteral("actUndoLastRun"));
    connect(actUndoLastRun, &QAction::triggered, this, &Tfrm_Main::UndoLastRun);
}

QAction *Tfrm_Main::ActionByTag(int tag) const
{
    switch (tag) {
    case tagScanSubDirectory:
        return actScanSubDirectory;
    case tagAddFile:
        return actAddFile;
    case tagRemoveFile:
        return actRemoveFile;
    case tagSelectAll:
        return actSelectAll;
    case tagInsertLine:
        return actInsertLine;
    case tagDeleteLines:
        return actDeleteLines;
    case tagOpenRepositoryData:
        return actOpenRepositoryData;
    case tagCopyRepositoryData:
        return actCopyRepositoryData;
    case tagNewRepositoryData:
        return actNewRepositoryData;
    case tagSaveRepositoryData:
        return actSaveRepositoryData;
    case tagExecuteConversion:
        return actExecuteConversion;
    case tagAboutMe:
        return actAboutMe;
    default:
        return nullptr;
    }
}

void Tfrm_Main::CreateMenusAndToolBar()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ActionMainMenuBar1->setFont(MenuFont());
    setMenuBar(ActionMainMenuBar1);
    const QString titles[4] = { QStringLiteral("&Arquivo"), QStringLiteral("&Edição"), QStringLiteral("&Conversão"),
        QStringLiteral("A&juda") };
    for (int i = 0; i < 4; ++i) {
        MainMenuBarItems[i] = ActionMainMenuBar1->addMenu(titles[i]);
        MainMenuBarItems[i]->setObjectName(QStringLiteral("MainMenuBarItem%1").arg(i + 1));
        MainMenuBarItems[i]->setFont(MenuFont());
        MainMenuBarItems[i]->setToolTipsVisible(false);
    }
    MainMenuBarItems[0]->addActions({ actScanSubDirectory, actAddFile, actRemoveFile });
    MainMenuBarItems[0]->addSeparator();
    MainMenuBarItems[0]->addAction(actFileExit);
    MainMenuBarItems[1]->addAction(actSelectAll);
    MainMenuBarItems[1]->addSeparator();
    MainMenuBarItems[1]->addActions({ actInsertLine, actDeleteLines });
    MainMenuBarItems[2]->addActions({ actOpenRepositoryData, actCopyRepositoryData });
    MainMenuBarItems[2]->addSeparator();
    MainMenuBarItems[2]->addActions({ actNewRepositoryData, actSaveRepositoryData });
    MainMenuBarItems[2]->addSeparator();
    MainMenuBarItems[2]->addAction(actExecuteConversion);
    MainMenuBarItems[2]->addAction(actUndoLastRun);
    MainMenuBarItems[3]->addAction(actAboutMe);

    ActionToolBar1 = new QToolBar(this);
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setFloatable(false);
    ActionToolBar1->setIconSize(QSize(16, 16));
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ActionToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ActionToolBar1->addActions({ actFileExit, actScanSubDirectory, actAddFile, actRemoveFile, actSelectAll,
        actInsertLine, actDeleteLines, actOpenRepositoryData, actCopyRepositoryData, actNewRepositoryData,
        actSaveRepositoryData, actExecuteConversion, actAboutMe });
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
    SetHint(obOutlookBarOptions, QStringLiteral("|Opções do aplicativo..."));
    auto *sideLayout = new QVBoxLayout(obOutlookBarOptions);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->setSpacing(6);
    obOutlookBarOptionsTitle = TitleBar(
        QStringLiteral("obOutlookBarOptionsTitle"), QStringLiteral("Opções"), kShadowGrey, obOutlookBarOptions);
    obOutlookBarOptionsTitle->setAlignment(Qt::AlignCenter);
    obOutlookBarOptionsTitle->setFixedHeight(20);
    sideLayout->addWidget(obOutlookBarOptionsTitle);
    const QString buttonCaptions[3] = { QStringLiteral("Converter Arquivo(s)"), QStringLiteral("Repositório de Dados"),
        QStringLiteral("Configurações") };
    for (int i = 0; i < 3; ++i) {
        auto *button = new QToolButton(obOutlookBarOptions);
        button->setObjectName(QStringLiteral("obOutlookBarOptionsButton%1").arg(i));
        button->setText(buttonCaptions[i]);
        button->setIcon(QIcon(SideBarPicture(i)));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(62);
        connect(button, &QToolButton::clicked, this, [this, i] { obOutlookBarOptionsButtonClick(i); });
        obOutlookBarOptionsButtons[i] = button;
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
    Notebook1->addWidget(CreatePageConvertFiles());
    Notebook1->addWidget(CreatePageRepository());
    Notebook1->addWidget(CreatePageSettings());
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

QWidget *Tfrm_Main::CreatePageConvertFiles()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Notebook1Page0"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    slSearchListSelectFiles = new QTableView(page);
    slSearchListSelectFiles->setObjectName(QStringLiteral("slSearchListSelectFiles"));
    SetHint(slSearchListSelectFiles, QStringLiteral("|Lista dos arquivos a serem processados..."));
    slSearchListSelectFiles->setShowGrid(true);
    slSearchListSelectFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    slSearchListSelectFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    slSearchListSelectFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    slSearchListSelectFiles->setWordWrap(false);
    // Long paths keep their start and their file name; the middle gives way.
    slSearchListSelectFiles->setTextElideMode(Qt::ElideMiddle);
    slSearchListSelectFiles->setIconSize(QSize(45, 15));
    slSearchListSelectFiles->verticalHeader()->hide();
    slSearchListSelectFiles->verticalHeader()->setDefaultSectionSize(19);
    slSearchListSelectFiles->horizontalHeader()->setHighlightSections(false);
    slSearchListSelectFiles->horizontalHeader()->setSectionsClickable(true);
    m_fileListModel = new TFileListModel(m_fileList, this);
    m_fileListModel->SetResultStore(&m_resultStore);
    slSearchListSelectFiles->setModel(m_fileListModel);
    connect(slSearchListSelectFiles, &QTableView::doubleClicked, this, [this] { slSearchListSelectFilesDblClick(); });
    auto *header = slSearchListSelectFiles->horizontalHeader();
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    // The number column also carries the state image and the row icon in front of the number.
    slSearchListSelectFiles->setColumnWidth(0, 34 + 45);
    slSearchListSelectFiles->setColumnWidth(2, 100);
    slSearchListSelectFiles->setColumnWidth(3, 53);
    slSearchListSelectFiles->setColumnWidth(4, 100);
    // The name gives way before the fixed columns do, down to a width that still shows a name.
    header->setMinimumSectionSize(24);
    FitFileListMinimumWidth();
    slSearchListSelectFiles->viewport()->setMouseTracking(true);
    connect(m_fileListModel, &QAbstractItemModel::rowsInserted, this, &Tfrm_Main::FitNumberColumn);
    layout->addWidget(slSearchListSelectFiles, 1);

    pStatusResult = new QFrame(page);
    pStatusResult->setObjectName(QStringLiteral("pStatusResult"));
    pStatusResult->setFixedHeight(41);
    auto *strip = new QHBoxLayout(pStatusResult);
    strip->setContentsMargins(2, 2, 2, 2);
    strip->setSpacing(4);
    bbSaveResult = new QPushButton(QStringLiteral("Salvar Resultado"), pStatusResult);
    bbSaveResult->setObjectName(QStringLiteral("bbSaveResult"));
    SetHint(bbSaveResult, QStringLiteral("Salvar Resultado|Salvar o resultado da conversão do(s) arquivo(s)..."));
    bbSaveResult->setIcon(CommandPicture(11));
    bbSaveResult->setEnabled(false);
    bbSaveResult->setFixedHeight(37);
    bbSaveResult->setMinimumWidth(128);
    connect(bbSaveResult, &QPushButton::clicked, this, [this] { bbSaveResultClick(); });
    strip->addWidget(bbSaveResult);
    auto *progressColumn = new QVBoxLayout;
    progressColumn->setSpacing(2);
    pProgressMessage = new QLabel(QStringLiteral("Por favor, aguarde o final do processamento !"), pStatusResult);
    pProgressMessage->setObjectName(QStringLiteral("pProgressMessage"));
    SetHint(pProgressMessage, QStringLiteral("|Por favor, aguarde o final do processamento do(s) arquivo(s)..."));
    pProgressMessage->setFixedHeight(21);
    pProgressMessage->setFrameShape(QFrame::Panel);
    pProgressMessage->setFrameShadow(QFrame::Sunken);
    pProgressMessage->setAlignment(Qt::AlignCenter);
    // The message gives way to the strip's width instead of widening the window while a run shows it.
    pProgressMessage->setMinimumWidth(1);
    pRunFileCount = new QLabel(pStatusResult);
    pRunFileCount->setObjectName(QStringLiteral("pRunFileCount"));
    pRunFileCount->setFixedHeight(14);
    pRunFileCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The run disables the whole strip, yet what it says while working must stay readable.
    for (QLabel *label : { pProgressMessage, pRunFileCount }) {
        QPalette palette = label->palette();
        palette.setColor(
            QPalette::Disabled, QPalette::WindowText, palette.color(QPalette::Active, QPalette::WindowText));
        label->setPalette(palette);
    }
    progressColumn->addWidget(pProgressMessage);
    ProgressBar1 = new QProgressBar(pStatusResult);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(12);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    // The file count goes beside the bar, so the message keeps the strip's whole width.
    auto *barRow = new QHBoxLayout;
    barRow->setSpacing(6);
    barRow->addWidget(ProgressBar1, 1);
    barRow->addWidget(pRunFileCount);
    progressColumn->addLayout(barRow);
    strip->addLayout(progressColumn, 1);
    Image2 = new QLabel(pStatusResult);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setFixedSize(20, 37);
    Image2->setAlignment(Qt::AlignCenter);
    strip->addWidget(Image2);
    layout->addWidget(pStatusResult);
    return page;
}

QWidget *Tfrm_Main::CreatePageRepository()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Notebook1Page1"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    vleUnits = new TPairsGrid(page);
    vleUnits->setObjectName(QStringLiteral("vleUnits"));
    SetHint(vleUnits, QStringLiteral("|Lista dos textos a serem utilizados na conversão dos arquivos..."));
    vleUnits->verticalHeader()->hide();
    vleUnits->verticalHeader()->setDefaultSectionSize(16);
    vleUnits->verticalHeader()->setMinimumSectionSize(16);
    vleUnits->setTabKeyNavigation(true);
    vleUnits->setSelectionMode(QAbstractItemView::SingleSelection);
    vleUnits->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_repositoryModel = new TRepositoryModel(m_repository, this);
    vleUnits->setModel(m_repositoryModel);
    // 246 and 271 pixels at design size; the grid keeps that share of whatever width it gets.
    vleUnits->setColumnWidth(0, 246);
    vleUnits->setColumnWidth(1, 271);
    layout->addWidget(vleUnits, 1);

    auto *strip = new QWidget(page);
    strip->setObjectName(QStringLiteral("pRenameStrip"));
    strip->setFixedHeight(112);
    rgRadioGroupFileExtension = new QGroupBox(strip);
    rgRadioGroupFileExtension->setObjectName(QStringLiteral("rgRadioGroupFileExtension"));
    rgRadioGroupFileExtension->setFocusPolicy(Qt::TabFocus);
    SetHint(rgRadioGroupFileExtension,
        QStringLiteral("|Escolha um dos items para a troca do nome dos arquivos processados..."));
    auto *groupLayout = new QVBoxLayout(rgRadioGroupFileExtension);
    groupLayout->setContentsMargins(12, 18, 8, 6);
    groupLayout->setSpacing(2);
    rgRadioGroupFileExtensionButtons = new QButtonGroup(this);
    rgRadioGroupFileExtensionButtons->setObjectName(QStringLiteral("rgRadioGroupFileExtensionButtons"));
    const QString items[3] = { QStringLiteral("de DELPHI para KYLIX !"), QStringLiteral("de KYLIX para DELPHI !"),
        QStringLiteral("Não trocar o(s) nome(s) do(s) arquivo(s) !") };
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(items[i], rgRadioGroupFileExtension);
        radio->setObjectName(QStringLiteral("rgRadioGroupFileExtensionItem%1").arg(i));
        rgRadioGroupFileExtensionButtons->addButton(radio, i);
        rgRadioGroupFileExtensionItems[i] = radio;
        groupLayout->addWidget(radio);
    }
    rgRadioGroupFileExtensionItems[2]->setChecked(true);
    stStaticTextFileExtension = TitleBar(QStringLiteral("stStaticTextFileExtension"),
        QStringLiteral(" Trocar o(s) &nome(s) do(s) arquivo(s) processado(s) "), QColor(0, 0, 128), strip);
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
    SetUpRepositoryPage();
    return page;
}

QWidget *Tfrm_Main::CreatePageSettings()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Notebook1Page2"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    cbCheckBoxBackupFiles
        = new QCheckBox(QStringLiteral("Efetuar um \"&BACKUP\" antes de processar o(s) arquivo(s)."), page);
    cbCheckBoxBackupFiles->setObjectName(QStringLiteral("cbCheckBoxBackupFiles"));
    SetHint(cbCheckBoxBackupFiles, QStringLiteral("|Criar um backup dos arquivos antes de serem processados..."));
    layout->addWidget(cbCheckBoxBackupFiles);
    cbCheckBoxSimulate = new QCheckBox(QStringLiteral("Apenas \"&SIMULAR\" a conversão no(s) arquivo(s)."), page);
    cbCheckBoxSimulate->setObjectName(QStringLiteral("cbCheckBoxSimulate"));
    SetHint(cbCheckBoxSimulate, QStringLiteral("|Apenas simular a conversão nos arquivos..."));
    layout->addWidget(cbCheckBoxSimulate);
    layout->addSpacing(8);
    ldLabeledEditFileMaskLabel = new QLabel(QStringLiteral("&Filtrar o(s) arquivo(s) do(s) tipo(s) : "), page);
    ldLabeledEditFileMaskLabel->setObjectName(QStringLiteral("ldLabeledEditFileMaskLabel"));
    layout->addWidget(ldLabeledEditFileMaskLabel);
    ldLabeledEditFileMask = new QLineEdit(QStringLiteral("*.pas;*.dfm;*.xfm;*.dpr;*.dpk"), page);
    ldLabeledEditFileMask->setObjectName(QStringLiteral("ldLabeledEditFileMask"));
    SetHint(ldLabeledEditFileMask, QStringLiteral("|Mascara para o filtrar os arquivos..."));
    SetHint(ldLabeledEditFileMaskLabel, HintOf(ldLabeledEditFileMask));
    ldLabeledEditFileMaskLabel->setBuddy(ldLabeledEditFileMask);
    layout->addWidget(ldLabeledEditFileMask);
    layout->addSpacing(8);
    bbLanguageDefault = new QPushButton(QStringLiteral("&Editar a limguagem padão..."), page);
    bbLanguageDefault->setObjectName(QStringLiteral("bbLanguageDefault"));
    SetHint(bbLanguageDefault, QStringLiteral("|Editar a limguagem padão desta aplicação..."));
    bbLanguageDefault->setIcon(CommandPicture(3));
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(bbLanguageDefault);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    layout->addStretch(1);
    return page;
}

void Tfrm_Main::CreateStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbStatusBarConvertFile"));
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);
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

void Tfrm_Main::CreateLanguageEditor()
{
    pLanguageDefault = new QFrame(this);
    pLanguageDefault->setObjectName(QStringLiteral("pLanguageDefault"));
    pLanguageDefault->setFrameShape(QFrame::Panel);
    pLanguageDefault->setFrameShadow(QFrame::Raised);
    pLanguageDefault->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(pLanguageDefault);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    pLanguageCaptionTitle = TitleBar(QStringLiteral("pLanguageCaptionTitle"), QStringLiteral("Linguagem (Captions)"),
        kActiveCaption, pLanguageDefault);
    pLanguageCaptionTitle->setFixedHeight(18);
    layout->addWidget(pLanguageCaptionTitle);
    ValueListEditor1 = KeyValueGrid(
        QStringLiteral("ValueListEditor1"), QStringLiteral("Chaves"), QStringLiteral("Valores"), pLanguageDefault);
    layout->addWidget(ValueListEditor1, 1);
    pLanguageHintTitle = TitleBar(
        QStringLiteral("pLanguageHintTitle"), QStringLiteral("Linguagem (Hints)"), kActiveCaption, pLanguageDefault);
    pLanguageHintTitle->setFixedHeight(18);
    layout->addWidget(pLanguageHintTitle);
    ValueListEditor2 = KeyValueGrid(
        QStringLiteral("ValueListEditor2"), QStringLiteral("Chaves"), QStringLiteral("Valores"), pLanguageDefault);
    ValueListEditor2->setFixedHeight(153);
    layout->addWidget(ValueListEditor2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bbApply = new QPushButton(QStringLiteral("&Aplicar..."), pLanguageDefault);
    bbApply->setObjectName(QStringLiteral("bbApply"));
    bbApply->setProperty("Tag", 0);
    SetHint(bbApply, QStringLiteral("|Aplicar as alterações efetuadas na linguagem padrão..."));
    bbCancel = new QPushButton(QStringLiteral("&Cancelar"), pLanguageDefault);
    bbCancel->setObjectName(QStringLiteral("bbCancel"));
    bbCancel->setProperty("Tag", 1);
    SetHint(bbCancel, QStringLiteral("|Cancelar as alterações efetuadas..."));
    for (QPushButton *button : { bbApply, bbCancel }) {
        button->setMinimumWidth(96);
        connect(button, &QPushButton::clicked, this, [this, button] { OnClickBitButtons(button); });
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    pLanguageDefault->hide();
}

void Tfrm_Main::CreateResultView()
{
    pViewResult = new QFrame(this);
    pViewResult->setObjectName(QStringLiteral("pViewResult"));
    pViewResult->setFrameShape(QFrame::Panel);
    pViewResult->setFrameShadow(QFrame::Raised);
    pViewResult->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(pViewResult);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    pViewResultTitle = TitleBar(
        QStringLiteral("pViewResultTitle"), QStringLiteral("Resultado da conversão."), kActiveCaption, pViewResult);
    pViewResultTitle->setFixedHeight(18);
    pViewResultTitle->setTextFormat(Qt::PlainText);
    layout->addWidget(pViewResultTitle);
    vleUnitsResult = new QTableWidget(0, 3, pViewResult);
    vleUnitsResult->setObjectName(QStringLiteral("vleUnitsResult"));
    vleUnitsResult->setHorizontalHeaderLabels(
        { QStringLiteral("Texto Localizado"), QStringLiteral("Troca Efetuada"), QStringLiteral("Qtde.") });
    SetHint(vleUnitsResult, QStringLiteral("|Lista dos itens convertidos..."));
    SetUpResultTable(vleUnitsResult);
    vleUnitsResult->setColumnWidth(0, 300);
    vleUnitsResult->setColumnWidth(2, 76);
    vleUnitsResult->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(vleUnitsResult, 2);
    stMissedResult = new QLabel(QStringLiteral("Ocorrências não trocadas"), pViewResult);
    stMissedResult->setObjectName(QStringLiteral("stMissedResult"));
    layout->addWidget(stMissedResult);
    vleMissedResult = new QTableWidget(0, 3, pViewResult);
    vleMissedResult->setObjectName(QStringLiteral("vleMissedResult"));
    vleMissedResult->setHorizontalHeaderLabels(
        { QStringLiteral("Linha"), QStringLiteral("Texto Localizado"), QStringLiteral("Motivo") });
    SetUpResultTable(vleMissedResult);
    vleMissedResult->setColumnWidth(0, 76);
    vleMissedResult->setColumnWidth(1, 300);
    vleMissedResult->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    layout->addWidget(vleMissedResult, 1);
    stChangedLines = new QLabel(pViewResult);
    stChangedLines->setObjectName(QStringLiteral("stChangedLines"));
    layout->addWidget(stChangedLines);
    memChangedLines = new QTextBrowser(pViewResult);
    memChangedLines->setObjectName(QStringLiteral("memChangedLines"));
    memChangedLines->setOpenLinks(false);
    memChangedLines->setLineWrapMode(QTextEdit::NoWrap);
    layout->addWidget(memChangedLines, 3);
    auto *bottom = new QWidget(pViewResult);
    bottom->setObjectName(QStringLiteral("pViewResultButtons"));
    bottom->setFixedHeight(39);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 4, 4, 4);
    bottomLayout->addStretch(1);
    bbOk = new QPushButton(QStringLiteral("&Ok"), bottom);
    bbOk->setObjectName(QStringLiteral("bbOk"));
    bbOk->setProperty("Tag", 2);
    bbOk->setMinimumWidth(96);
    SetHint(bbOk, QStringLiteral("|Confirma a visualização do resultado da conversão do arquivo..."));
    connect(bbOk, &QPushButton::clicked, this, [this] { OnClickBitButtons(bbOk); });
    // bbOk has the focus when the view opens: Enter confirms it as Space does, though the panel is no dialog.
    bbOk->setAutoDefault(true);
    for (const QKeySequence &key :
        { QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) }) {
        auto *shortcut = new QShortcut(key, pViewResult);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, bbOk, &QPushButton::click);
    }
    bottomLayout->addWidget(bbOk);
    layout->addWidget(bottom);
    pViewResult->hide();
}

void Tfrm_Main::FitNumberColumn()
{
    // Wide enough for the largest number given so far, next to the state image and the row icon.
    const std::size_t count = m_resultStore.Count();
    const QString largest = QString::number(qulonglong(count == 0 ? 0 : count - 1));
    const QFontMetrics metrics(slSearchListSelectFiles->font());
    const int needed = slSearchListSelectFiles->iconSize().width() + metrics.horizontalAdvance(largest) + 20;
    if (needed > slSearchListSelectFiles->columnWidth(0)) {
        slSearchListSelectFiles->setColumnWidth(0, needed);
        FitFileListMinimumWidth();
    }
}

void Tfrm_Main::FitFileListMinimumWidth()
{
    // Room for the fixed columns and a name that can still be read.
    constexpr int kNameMinimum = 160;
    int width = kNameMinimum + slSearchListSelectFiles->verticalScrollBar()->sizeHint().width()
        + 2 * slSearchListSelectFiles->frameWidth();
    for (int column : { 0, 2, 3, 4 })
        width += slSearchListSelectFiles->columnWidth(column);
    slSearchListSelectFiles->setMinimumWidth(width);
}
