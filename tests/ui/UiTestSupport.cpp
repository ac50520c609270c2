#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

TWindowFixture::TWindowFixture() = default;

TWindowFixture::~TWindowFixture()
{
    Destroy();
}

Tfrm_Main &TWindowFixture::Create()
{
    Destroy();
    m_window = std::make_unique<Tfrm_Main>(&Dialogs, ExecutablePath());
    return *m_window;
}

void TWindowFixture::Destroy()
{
    if (m_window) {
        m_window->close();
        m_window.reset();
    }
}

QString TWindowFixture::WriteFile(const QString &relativePath, const QByteArray &bytes) const
{
    const QString path = m_dir.path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

void SettleEvents()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QTest::qWait(1);
    QCoreApplication::processEvents();
}
