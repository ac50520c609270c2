// Walks the real window through a first port for the README's pictures: opens a repository, scans a project,
// runs the conversion and shows each page and the result view, taking a picture of the screen at each step.
//   qvc_screenshot_tour PROJECT_FOLDER REPOSITORY.dat OUTPUT_FOLDER [--all]
// Runs on an X display (scripts/screenshots starts one under Xvfb); the pictures are taken with ImageMagick's
// "import -window root". Dialogs are answered through the dialog seam; settings go to a temporary folder.
#include "ScriptedDialogSeam.h"
#include "ui/Application.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListPage.h"
#include "ui/uFrm_Main.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QItemSelectionModel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <cstdio>

namespace {

void Settle()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(25);
    }
}

bool Shoot(const QString &folder, const QString &name)
{
    Settle();
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const int code = QProcess::execute(QStringLiteral("import"),
        { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-strip"), file });
    std::fprintf(stderr, "%s: %s\n", qPrintable(file), code == 0 ? "taken" : "import failed");
    return code == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qvc::SetUpApplication(app);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4 && !(args.size() == 5 && args[4] == QLatin1String("--all"))) {
        std::fprintf(stderr, "usage: qvc_screenshot_tour PROJECT_FOLDER REPOSITORY.dat OUTPUT_FOLDER [--all]\n");
        return 2;
    }
    // --all also shows the language editor and the about box, for comparing the window's look between versions.
    const bool extra = args.size() == 5;
    const QString &project = args[1];
    const QString &repository = args[2];
    const QString &output = args[3];

    QTemporaryDir home;
    // The tour's run journals stay with it, so its list of runs to undo holds its own run only.
    qputenv("XDG_STATE_HOME", home.path().toLocal8Bit());
    qvc::TScriptedDialogSeam dialogs;
    Tfrm_Main window(&dialogs, home.path() + QStringLiteral("/qvConvertFiles"));
    // Larger than the window's first size, so that the file names show whole; scripts/screenshots makes the
    // screen the same size.
    window.move(0, 0);
    window.resize(880, 560);
    window.show();
    Settle();

    // Everything is found by object name, so the tour drives any shape of the window.
    const auto action = [&window](const char *name) { return window.findChild<QAction *>(QLatin1String(name)); };
    const auto side = [&window](int i) {
        return window.findChild<QToolButton *>(QStringLiteral("obOutlookBarOptionsButton%1").arg(i));
    };
    bool ok = true;
    dialogs.OpenAnswers.push_back({ repository });
    action("actOpenRepositoryData")->trigger();
    dialogs.FolderAnswers.push_back(project);
    action("actScanSubDirectory")->trigger();
    QTest::qWaitFor([&window] { return !window.FileListPage().ScanInProgress(); }, 600000);
    Settle();
    window.findChild<QCheckBox *>(QStringLiteral("cbCheckBoxBackupFiles"))->setChecked(true);
    action("actExecuteConversion")->trigger();
    QTest::qWaitFor([&window] { return !window.Runner().Running(); }, 600000);
    Settle();

    // The unit with the most replacements selected, the way a user looks at the list before opening its results.
    auto *list = window.findChild<QTableView *>(QStringLiteral("slSearchListSelectFiles"));
    const QAbstractItemModel *model = list->model();
    int changed = -1;
    int most = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        const int count = model->index(row, 2).data().toString().toInt();
        if (count > most && model->index(row, 1).data().toString().endsWith(QLatin1String(".pas"))) {
            most = count;
            changed = row;
        }
    }
    if (changed >= 0)
        list->selectionModel()->select(
            model->index(changed, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ok = Shoot(output, QStringLiteral("page-files")) && ok;
    side(1)->click();
    ok = Shoot(output, QStringLiteral("page-repository")) && ok;
    side(2)->click();
    ok = Shoot(output, QStringLiteral("page-settings")) && ok;
    if (extra) {
        window.findChild<QPushButton *>(QStringLiteral("bbLanguageDefault"))->click();
        ok = Shoot(output, QStringLiteral("language-editor")) && ok;
        window.findChild<QPushButton *>(QStringLiteral("bbCancel"))->click();
        dialogs.ExecHandler = [&](QDialog *box) {
            box->show();
            ok = Shoot(output, QStringLiteral("about-box")) && ok;
            box->hide();
            return int(QDialog::Accepted);
        };
        action("actAboutMe")->trigger();
    }
    side(0)->click();
    Settle();
    if (changed < 0) {
        std::fprintf(stderr, "no file was changed by the run; no result view to show\n");
        return 1;
    }
    Q_EMIT list->doubleClicked(model->index(changed, 1));
    ok = Shoot(output, QStringLiteral("result-view")) && ok;
    window.findChild<QPushButton *>(QStringLiteral("bbOk"))->click();
    Settle();

    // The list of runs to take back, over the window; nothing is undone.
    dialogs.ExecHandler = [&](QDialog *box) {
        box->show();
        box->move(window.geometry().center() - box->rect().center());
        ok = Shoot(output, QStringLiteral("undo-runs")) && ok;
        box->hide();
        return int(QDialog::Rejected);
    };
    action("actUndoLastRun")->trigger();
    dialogs.ExecHandler = nullptr;

    // The window at its smallest, the list filtered to the changed files.
    auto *filter = window.findChild<QComboBox *>(QStringLiteral("cbListFilter"));
    filter->setCurrentIndex(1);
    Q_EMIT filter->activated(1);
    window.resize(window.minimumSizeHint());
    ok = Shoot(output, QStringLiteral("page-files-minimum")) && ok;
    for (const auto &call : dialogs.Calls)
        if (call.Kind == QLatin1String("error") || call.Kind == QLatin1String("message"))
            std::fprintf(stderr, "the window said: %s\n", qPrintable(call.Text));
    return ok ? 0 : 1;
}
