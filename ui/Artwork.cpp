#include "ui/Artwork.h"

#include <QString>

// Resources of a static library must be registered by hand.
static void InitArtworkResource()
{
    Q_INIT_RESOURCE(artwork);
}

namespace qvc {

void InitArtwork()
{
    static const bool done = (InitArtworkResource(), true);
    (void)done;
}

QIcon CommandPicture(int index)
{
    static const char *const names[] = { "cmd00-add-file", "cmd01-remove-file", "cmd02-execute", "cmd03-about",
        "cmd04-exit", "cmd05-open-repository", "cmd06-insert-line", "cmd07-scan", "cmd08-delete-line",
        "cmd09-new-repository", "cmd10-select-all", "cmd11-save-repository", "cmd12-unused", "cmd13-copy-repository" };
    if (index < 0 || index >= int(std::size(names)))
        return {};
    QIcon icon(QStringLiteral(":/artwork/%1.png").arg(QLatin1String(names[index])));
    if (index == 2) {
        // The style's own greying of the green triangle looks much like it: "Executar" has a picture of its own
        // for the state the user must tell apart, run or no run.
        icon.addFile(QStringLiteral(":/artwork/cmd02-execute-disabled.png"), QSize(16, 16), QIcon::Disabled);
    }
    return icon;
}

QPixmap SideBarPicture(int index)
{
    static const char *const names[] = { "side0-convert", "side1-repository", "side2-settings" };
    if (index < 0 || index >= int(std::size(names)))
        return {};
    return QPixmap(QStringLiteral(":/artwork/%1.png").arg(QLatin1String(names[index])));
}

QPixmap StateImage(int index)
{
    if (index < 0 || index > 8)
        return {};
    return QPixmap(QStringLiteral(":/artwork/state%1.png").arg(index));
}

QPixmap HeaderPicture(int index)
{
    if (index < 0 || index > 2)
        return {};
    return QPixmap(QStringLiteral(":/artwork/header%1.png").arg(index));
}

QPixmap ReadyBusyPicture(int index)
{
    return QPixmap(index == 0 ? QStringLiteral(":/artwork/ready.png") : QStringLiteral(":/artwork/busy.png"));
}

} // namespace qvc
