#pragma once
// The Tags of the main window's commands: one number per command, dispatched by one switch.

namespace qvc {

enum TActionTag : int {
    tagScanSubDirectory = 0,
    tagAddFile = 1,
    tagRemoveFile = 2,
    tagSelectAll = 3,
    tagInsertLine = 4,
    tagDeleteLines = 5,
    tagOpenRepositoryData = 6,
    tagCopyRepositoryData = 7,
    tagNewRepositoryData = 8,
    tagSaveRepositoryData = 9,
    tagExecuteConversion = 10,
    tagAboutMe = 11,
};

inline constexpr int kTaggedActionCount = 12;

/// True for a Tag that names one of the twelve tagged commands.
constexpr bool IsActionTag(int tag)
{
    return tag >= 0 && tag < kTaggedActionCount;
}

/// The pages of the window's page stack.
enum TPage : int { pageConvertFiles = 0, pageRepository = 1, pageSettings = 2, pageUnused = 3 };

} // namespace qvc
