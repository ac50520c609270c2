#include "commands/ActionEnabling.h"

namespace qvc {

TEnablingResult ComputeEnabling(const TEnablingSnapshot &s)
{
    TEnablingResult r;
    auto &e = r.Enabled;
    const bool v = !s.LanguageEditorVisible && !s.ResultViewVisible;
    const bool page0 = s.Page == pageConvertFiles;
    const bool page1 = s.Page == pageRepository;
    const bool files = s.Files > 0;
    const bool pairs = s.Pairs > 0;
    const bool modified = s.RepositoryModified;

    e[tagScanSubDirectory] = v;
    e[tagAddFile] = v && e[tagScanSubDirectory];
    e[tagRemoveFile] = v && e[tagScanSubDirectory] && page0 && files && s.AnyFileSelected;
    e[tagSelectAll] = page0 && v && files;
    e[tagInsertLine] = v && pairs;
    e[tagDeleteLines] = v && e[tagInsertLine] && page1 && pairs;
    e[tagOpenRepositoryData] = v && !modified;
    e[tagCopyRepositoryData] = v && !modified && e[tagInsertLine];
    e[tagNewRepositoryData] = v && !modified && e[tagInsertLine];
    // With no pairs left a save writes the empty list the user made.
    e[tagSaveRepositoryData] = v && modified;
    e[tagExecuteConversion] = v && !modified && files && pairs;
    e[tagAboutMe] = true;
    r.SaveResultEnabled = s.SaveResultEnabled && files;
    return r;
}

} // namespace qvc
