#pragma once
// A main window in a temporary folder with scripted dialogs, for the offscreen window tests.
#include "ScriptedDialogSeam.h"
#include "WindowProbe.h"
#include "ui/uFrm_Main.h"

#include <QTemporaryDir>
#include <memory>

class TWindowFixture
{
public:
    TWindowFixture();
    ~TWindowFixture();
    TWindowFixture(const TWindowFixture &) = delete;
    TWindowFixture &operator=(const TWindowFixture &) = delete;

    /// Creates the window (start-up runs); the program file is pretended to live in Dir().
    Tfrm_Main &Create();
    /// Closes and destroys the window (shut-down runs).
    void Destroy();
    /// The window as the tests see it (controls by object name).
    TMainProbe Window() { return TMainProbe(*m_window); }
    Tfrm_Main &Main() { return *m_window; }
    QString Dir() const { return m_dir.path(); }
    QString ExecutablePath() const { return m_dir.path() + QStringLiteral("/qvConvertFiles"); }
    /// Writes a file under Dir() and returns its full path.
    QString WriteFile(const QString &relativePath, const QByteArray &bytes) const;

    qvc::TScriptedDialogSeam Dialogs;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Tfrm_Main> m_window;
};

/// Lets the window handle pending events, idle enabling pass included.
void SettleEvents();
