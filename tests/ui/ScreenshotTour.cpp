// Walks the real window through a first port for the README's pictures: opens a repository, scans a project,
// runs the conversion and shows each page and the result view, taking a picture of the screen at each step.
//   qvc_screenshot_tour PROJECT_FOLDER REPOSITORY.dat OUTPUT_FOLDER
// Runs on an X display (scripts/screenshots starts one under Xvfb); the pictures are taken with ImageMagick's
// "import -window root". Dialogs are answered through the dialog seam; settings go to a temporary folder.
#include "ui/Application.h"
#include "ui/DialogSeam.h"
#include "ui/uFrm_Main.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
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
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: qvc_screenshot_tour PROJECT_FOLDER REPOSITORY.dat OUTPUT_FOLDER\n");
        return 2;
    }
    const QString project = args[1];
    const QString repository = args[2];
    const QString output = args[3];

    QTemporaryDir home;
    qvc::TScriptedDialogSeam dialogs;
    Tfrm_Main window(&dialogs, home.path() + QStringLiteral("/qvConvertFiles"));
    // Larger than the window's first size, so that the file names show whole; scripts/screenshots makes the
    // screen the same size.
    window.move(0, 0);
    window.resize(880, 560);
    window.show();
    Settle();

    bool ok = true;
    dialogs.OpenAnswers.push_back({ repository });
    window.actOpenRepositoryData->trigger();
    dialogs.FolderAnswers.push_back(project);
    window.actScanSubDirectory->trigger();
    Settle();
    window.cbCheckBoxBackupFiles->setChecked(true);
    window.actExecuteConversion->trigger();
    Settle();

    // The unit with the most replacements selected, the way a user looks at the list before opening its results.
    QTableView *list = window.slSearchListSelectFiles;
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
    window.obOutlookBarOptionsButtons[1]->click();
    ok = Shoot(output, QStringLiteral("page-repository")) && ok;
    window.obOutlookBarOptionsButtons[2]->click();
    ok = Shoot(output, QStringLiteral("page-settings")) && ok;
    window.obOutlookBarOptionsButtons[0]->click();
    Settle();
    if (changed < 0) {
        std::fprintf(stderr, "no file was changed by the run; no result view to show\n");
        return 1;
    }
    window.slSearchListSelectFilesDblClick();
    ok = Shoot(output, QStringLiteral("result-view")) && ok;
    for (const auto &call : dialogs.Calls)
        if (call.Kind == QLatin1String("error") || call.Kind == QLatin1String("message"))
            std::fprintf(stderr, "the window said: %s\n", qPrintable(call.Text));
    return ok ? 0 : 1;
}
