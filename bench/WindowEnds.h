#pragma once
// The window's run and scan as the benchmarks time them: from the command until the window has handled the end
// (the run and the walk go on workers meanwhile).
#include "commands/ActionTags.h"
#include "ui/ConversionRunner.h"
#include "ui/FileListPage.h"
#include "ui/uFrm_Main.h"

#include <QEventLoop>
#include <QObject>

/// The window's scan of its folder, until the window has handled its end.
inline void ScanInWindow(Tfrm_Main &window)
{
    QEventLoop loop;
    QObject::connect(&window.FileListPage(), &qvc::TFileListPage::ScanFinished, &loop, &QEventLoop::quit);
    window.OnExecuteAction(window.ActionByTag(qvc::tagScanSubDirectory));
    if (window.FileListPage().ScanInProgress())
        loop.exec();
}

/// The window's run over its rows, until the window has handled its end.
inline void RunInWindow(Tfrm_Main &window)
{
    QEventLoop loop;
    QObject::connect(&window.Runner(), &qvc::TConversionRunner::RunFinished, &loop, &QEventLoop::quit);
    window.Runner().RunConversion();
    if (window.Runner().Running())
        loop.exec();
}
