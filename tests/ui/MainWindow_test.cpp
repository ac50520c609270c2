// The main window: start-up state, bars, dispatch, enabling, pages, hint line and overlays.
#include "UiTestSupport.h"

#include "ui/Application.h"
#include "ui/HintText.h"
#include "ui/TextBridge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

class MainWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void startUpState();
    void menusAndToolBar();
    void commandsCarryCaptionsHintsShortcutsAndPictures_data();
    void commandsCarryCaptionsHintsShortcutsAndPictures();
    void pageSelectionMovesFocusOnlyWhenActive();
    void hintLineShowsNearestLongHint();
    void overlaysLockEveryCommandButAbout();
    void disabledCommandNeverRuns();
    void aboutBoxIsFreshAndClosesWithEnterAndEsc();

private:
    TWindowFixture *m_fixture = nullptr;
};

void MainWindowTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
}

void MainWindowTest::init()
{
    m_fixture = new TWindowFixture;
    m_fixture->Create();
}

void MainWindowTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
}

void MainWindowTest::startUpState()
{
    TMainProbe w = m_fixture->Window();
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Conversão de Arquivos"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Utilitário para converter arquivos DELPHI e KYLIX."));
    QCOMPARE(w.size(), QSize(690, 480));
    QVERIFY(w.font().bold());
    QCOMPARE(w.font().pointSize(), 8);
    QCOMPARE(w.Notebook1->currentIndex(), 0);
    QCOMPARE(w.Notebook1->count(), 4);
    QCOMPARE(w.Panel3->text(), QStringLiteral("Converter Arquivo(s)"));
    QVERIFY(!w.Image1->pixmap().isNull());
    QVERIFY(!w.Image2->pixmap().isNull());
    QCOMPARE(w.Image2->pixmap().toImage(), QPixmap(QStringLiteral(":/artwork/ready.png")).toImage());
    QVERIFY(!w.pProgressMessage->isEnabled());
    QVERIFY(w.pProgressMessage->text().isEmpty());
    QCOMPARE(w.ProgressMessageText(), QStringLiteral("Por favor, aguarde o final do processamento !"));
    QCOMPARE(w.ResultTitleText(), QStringLiteral("Resultado da conversão."));
    QVERIFY(!w.bbSaveResult->isEnabled());
    QCOMPARE(w.sbStatusBarVersion->text(), QStringLiteral("Versão : 2.01"));
    QCOMPARE(w.sbStatusBarVersion->width(), 90);
    QVERIFY(!w.pLanguageDefault->isVisible());
    QVERIFY(!w.pViewResult->isVisible());
    QCOMPARE(w.pLanguageDefault->parentWidget(), &w.Window());
    QCOMPARE(w.pViewResult->parentWidget(), &w.Window());
    QVERIFY(!w.RepositoryModified());
    QCOMPARE(w.MaxFileNameLength(), 0);
    QCOMPARE(
        qvc::ToQ(w.Repository().MessageQuestionText1()), QStringLiteral("Foram feitas modificações no arquivo %s "));
    QCOMPARE(qvc::ToQ(w.Repository().MessageQuestionCaption()), QStringLiteral("ATENÇÃO !"));
    const QStringList columns = { QStringLiteral(" #"), QStringLiteral("Nome dos Arquivos"),
        QStringLiteral("Atualizações"), QStringLiteral("Status"), QStringLiteral("Tempo") };
    for (int c = 0; c < 5; ++c)
        QCOMPARE(w.slSearchListSelectFiles->model()->headerData(c, Qt::Horizontal).toString(), columns[c]);
    QCOMPARE(w.vleUnits->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Localizar Texto"));
    QCOMPARE(w.vleUnits->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Trocar Para"));
    QCOMPARE(w.ldLabeledEditFileMask->text(), QStringLiteral("*.pas;*.dfm;*.xfm;*.dpr;*.dpk"));
    QVERIFY(w.rgRadioGroupFileExtensionItems[2]->isChecked());
    // With no files and no pairs only scan, add, open and about can run.
    SettleEvents();
    QString enabled;
    for (int tag = 0; tag < 12; ++tag)
        enabled += w.ActionByTag(tag)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(enabled, QStringLiteral("110000100001"));
}

void MainWindowTest::menusAndToolBar()
{
    TMainProbe w = m_fixture->Window();
    const auto names = [](const QList<QAction *> &actions) {
        QStringList result;
        for (QAction *a : actions)
            result << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return result;
    };
    QStringList titles;
    for (QAction *a : w.ActionMainMenuBar1->actions())
        titles << a->text();
    QCOMPARE(titles,
        (QStringList { QStringLiteral("&Arquivo"), QStringLiteral("&Edição"), QStringLiteral("&Conversão"),
            QStringLiteral("A&juda") }));
    QCOMPARE(names(w.MainMenuBarItems[0]->actions()),
        QStringList({ "actScanSubDirectory", "actAddFile", "actRemoveFile", "-", "actFileExit" }));
    QCOMPARE(names(w.MainMenuBarItems[1]->actions()),
        QStringList({ "actSelectAll", "actFilterList", "-", "actInsertLine", "actDeleteLines" }));
    QCOMPARE(names(w.MainMenuBarItems[2]->actions()),
        QStringList({ "actOpenRepositoryData", "actCopyRepositoryData", "-", "actNewRepositoryData",
            "actSaveRepositoryData", "-", "actExecuteConversion", "actRunFailedOnly", "actUndoLastRun" }));
    QCOMPARE(names(w.MainMenuBarItems[3]->actions()), QStringList({ "actAboutMe" }));
    QCOMPARE(names(w.ActionToolBar1->actions()),
        QStringList({ "actFileExit", "actScanSubDirectory", "actAddFile", "actRemoveFile", "actSelectAll",
            "actInsertLine", "actDeleteLines", "actOpenRepositoryData", "actCopyRepositoryData", "actNewRepositoryData",
            "actSaveRepositoryData", "actExecuteConversion", "actAboutMe" }));
    QVERIFY(!w.ActionMainMenuBar1->font().bold());
    QCOMPARE(w.ActionToolBar1->toolButtonStyle(), Qt::ToolButtonIconOnly);
}

void MainWindowTest::commandsCarryCaptionsHintsShortcutsAndPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("added"); // a key beyond the stored ones
    QTest::newRow("scan") << "actScanSubDirectory" << 0 << "&Buscar Sub-Diretórios"
                          << "Buscar Sub-Diretórios|Buscar arquivo(s) nos sub-diretórios para a lista..."
                          << "Ctrl+B"
                          << "";
    QTest::newRow("add") << "actAddFile" << 1 << "&Adicionar Arquivo"
                         << "Adicionar Arquivo|Adicionar um novo arquivo na lista..."
                         << "Ctrl+O"
                         << "";
    QTest::newRow("remove") << "actRemoveFile" << 2 << "&Remover Arquivo(s)"
                            << "Remover Arquivo(s)|Remover o(s) arquivo(s) da lista..."
                            << "Ctrl+D"
                            << "";
    QTest::newRow("selectAll") << "actSelectAll" << 3 << "&Selecionar Todos"
                               << "Selecionar Todos|Selecionar todos os itens da lista..."
                               << "Ctrl+A"
                               << "";
    QTest::newRow("insert") << "actInsertLine" << 4 << "&Nova Linha"
                            << "Nova Linha|Inserir uma nova linha na lista..."
                            << "Ctrl+I"
                            << "";
    QTest::newRow("delete") << "actDeleteLines" << 5 << "&Excluir Linha"
                            << "Excluir Linha|Excluir a linha da lista..."
                            << "Ctrl+E"
                            << "";
    QTest::newRow("open") << "actOpenRepositoryData" << 6 << "&Abrir Repositório"
                          << "Abrir Repositório|&Abrir um repositório de dados existente..."
                          << ""
                          << "";
    QTest::newRow("copy") << "actCopyRepositoryData" << 7 << "&Copiar Repositório"
                          << "Copiar Repositório|Copiar o repositório de dados atual para um outro..."
                          << ""
                          << "";
    QTest::newRow("new") << "actNewRepositoryData" << 8 << "Novo &Repositório"
                         << "Novo Repositório|Criar um novo repositório de dados..."
                         << ""
                         << "";
    QTest::newRow("save") << "actSaveRepositoryData" << 9 << "&Salvar Repositório"
                          << "Salvar Repositório|Salvar as alterações feitas no repositório de dados atual..."
                          << ""
                          << "Ctrl+S";
    QTest::newRow("execute") << "actExecuteConversion" << 10 << "&Executar..."
                             << "Executar...|Executar a conversão do(s) arquivo(s)..."
                             << ""
                             << "F9";
    QTest::newRow("about") << "actAboutMe" << 11 << "&Sobre..."
                           << "Sobre...|Informações sobre esta aplicação..."
                           << ""
                           << "";
    QTest::newRow("exit") << "actFileExit" << -1 << "&Sair..."
                          << "Sair...|Sair desta aplicação..."
                          << "Alt+F4"
                          << "";
}

void MainWindowTest::commandsCarryCaptionsHintsShortcutsAndPictures()
{
    QFETCH(QString, name);
    QFETCH(int, tag);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QString, shortcut);
    QFETCH(QString, added);
    auto *action = m_fixture->Main().findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->property("Tag").toInt(), tag);
    QCOMPARE(action->text(), caption);
    QCOMPARE(qvc::HintOf(action), hint);
    // A key beyond the stored ones is named in the tooltip; the stored hint stays as it is.
    QCOMPARE(action->toolTip(), added.isEmpty() ? qvc::ShortHint(hint) : qvc::ShortHint(hint) + " (" + added + ")");
    QStringList keys;
    for (const QKeySequence &key : action->shortcuts())
        keys << key.toString(QKeySequence::PortableText);
    QStringList expectedKeys;
    for (const QString &key : { shortcut, added })
        if (!key.isEmpty())
            expectedKeys << key;
    QCOMPARE(keys, expectedKeys);
    QVERIFY(!action->icon().isNull());
    if (tag >= 0)
        QCOMPARE(m_fixture->Window().ActionByTag(tag), action);
}

void MainWindowTest::pageSelectionMovesFocusOnlyWhenActive()
{
    TMainProbe w = m_fixture->Window();
    // Not shown, so not active: the page changes and the focus stays where it is.
    w.obOutlookBarOptionsButtonClick(2);
    QCOMPARE(w.Notebook1->currentIndex(), 2);
    QCOMPARE(w.Panel3->text(), QStringLiteral("Configurações"));
    QVERIFY(!w.cbCheckBoxBackupFiles->hasFocus());

    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Window()));
    w.obOutlookBarOptionsButtons[1]->click();
    QCOMPARE(w.Notebook1->currentIndex(), 1);
    QCOMPARE(w.Panel3->text(), QStringLiteral("Repositório de Dados"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.vleUnits));
    QCOMPARE(w.Image1->pixmap().toImage(), QPixmap(QStringLiteral(":/artwork/side1-repository.png")).toImage());
    w.obOutlookBarOptionsButtonClick(2);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.cbCheckBoxBackupFiles));
    w.obOutlookBarOptionsButtonClick(0);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.slSearchListSelectFiles));
}

void MainWindowTest::hintLineShowsNearestLongHint()
{
    TMainProbe w = m_fixture->Window();
    w.ShowHintOf(w.slSearchListSelectFiles->viewport());
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" Lista dos arquivos a serem processados..."));
    w.ShowHintOf(w.bbSaveResult);
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" Salvar o resultado da conversão do(s) arquivo(s)..."));
    // Side-bar buttons have no hint of their own: the side bar's is shown, and it has no tooltip part.
    w.ShowHintOf(w.obOutlookBarOptionsButtons[0]);
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" Opções do aplicativo..."));
    QVERIFY(w.obOutlookBarOptions->toolTip().isEmpty());
    // A tool-bar button shows its command's hint; the "&" of a long hint stays as it is.
    auto *button = qobject_cast<QToolButton *>(w.ActionToolBar1->widgetForAction(w.actOpenRepositoryData));
    QVERIFY(button);
    w.ShowHintOf(button);
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" &Abrir um repositório de dados existente..."));
    w.ShowHintOf(w.Panel3);
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" "));
    // The pointer drives it: moving onto the file list shows the list's hint.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.Window()));
    QTest::mouseMove(w.bbSaveResult);
    SettleEvents();
    QCOMPARE(w.sbStatusBarHint->text(), QStringLiteral(" Salvar o resultado da conversão do(s) arquivo(s)..."));
}

void MainWindowTest::overlaysLockEveryCommandButAbout()
{
    TMainProbe w = m_fixture->Window();
    w.show();
    for (QWidget *panel : { static_cast<QWidget *>(w.pLanguageDefault), static_cast<QWidget *>(w.pViewResult) }) {
        w.Repository().SetRepositoryModified(true);
        w.ShowOverlayPanel(panel, true);
        QVERIFY(panel->isVisible());
        QVERIFY(!w.ActionMainMenuBar1->isEnabled());
        QVERIFY(!w.pData->isEnabled());
        QVERIFY(w.ActionToolBar1->isEnabled());
        QCOMPARE(panel->geometry(), w.centralWidget()->geometry());
        w.OnUpdateAction();
        for (int tag = 0; tag < 11; ++tag)
            QVERIFY2(!w.ActionByTag(tag)->isEnabled(), qPrintable(QString::number(tag)));
        QVERIFY(w.actAboutMe->isEnabled());
        QVERIFY(w.actFileExit->isEnabled());
        // An overlay hides the unsaved changes for a while, it does not drop them.
        QVERIFY(w.RepositoryModified());
        w.ShowOverlayPanel(panel, false);
        QVERIFY(!panel->isVisible());
        QVERIFY(w.ActionMainMenuBar1->isEnabled());
        QVERIFY(w.pData->isEnabled());
        w.OnUpdateAction();
        QVERIFY(w.RepositoryModified());
        QVERIFY(w.actSaveRepositoryData->isEnabled());
    }
    w.Repository().SetRepositoryModified(false);
    // bbCancel and bbOk close their overlays and put the focus back.
    w.ShowOverlayPanel(w.pViewResult, true);
    w.pViewResultTitle->setText(QStringLiteral("Resultado da conversão. (x)"));
    w.bbOk->click();
    QVERIFY(!w.pViewResult->isVisible());
    QCOMPARE(w.pViewResultTitle->text(), QStringLiteral("Resultado da conversão."));
}

void MainWindowTest::disabledCommandNeverRuns()
{
    TMainProbe w = m_fixture->Window();
    int execs = 0;
    m_fixture->Dialogs.ExecHandler = [&execs](QDialog *) {
        ++execs;
        return 1;
    };
    // A stale enabled state is corrected by the pass that runs before the command.
    w.actExecuteConversion->setEnabled(true);
    w.actExecuteConversion->trigger();
    w.WaitForRunEnd();
    QVERIFY(!w.actExecuteConversion->isEnabled());
    // A Tag outside 0..11 does nothing.
    QAction stray;
    stray.setProperty("Tag", 12);
    w.OnExecuteAction(&stray);
    QCOMPARE(execs, 0);
    QVERIFY(m_fixture->Dialogs.Calls.empty());
}

void MainWindowTest::aboutBoxIsFreshAndClosesWithEnterAndEsc()
{
    TMainProbe w = m_fixture->Window();
    QList<QDialog *> seen;
    QStringList texts;
    bool closedByKeys = true;
    int keyIndex = 0;
    m_fixture->Dialogs.ExecHandler = [&](QDialog *dialog) -> int {
        seen << dialog;
        for (const char *name : { "lblProduto", "lblVersao", "lblComponente" })
            texts << dialog->findChild<QLabel *>(QLatin1String(name))->text();
        if (dialog->size() != QSize(408, 265) || dialog->windowTitle() != QStringLiteral("Sobre a aplicação."))
            closedByKeys = false;
        auto *button = dialog->findChild<QPushButton *>(QStringLiteral("bAboutClose"));
        if (!button || !button->isDefault() || qvc::HintOf(button) != QStringLiteral("Fechar..."))
            closedByKeys = false;
        dialog->show();
        QTest::keyClick(dialog, keyIndex++ == 0 ? Qt::Key_Escape : Qt::Key_Return);
        closedByKeys = closedByKeys && !dialog->isVisible() && dialog->result() == QDialog::Accepted;
        return dialog->result();
    };
    w.actAboutMe->trigger();
    w.actAboutMe->trigger();
    QCOMPARE(seen.size(), 2);
    QVERIFY(closedByKeys);
    QCOMPARE(texts,
        (QStringList { QStringLiteral(" qvConvertFiles.exe"), QStringLiteral(" 2.01 (Build 2.01.18)"),
            QStringLiteral(" Utilitário"), QStringLiteral(" qvConvertFiles.exe"),
            QStringLiteral(" 2.01 (Build 2.01.18)"), QStringLiteral(" Utilitário") }));
    QCOMPARE(m_fixture->Dialogs.CallsOf(QStringLiteral("exec")).size(), std::size_t(2));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"
