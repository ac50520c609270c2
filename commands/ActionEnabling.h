#pragma once
// The enabling pass of the main window as a pure function: a snapshot in, the enabled states out.
#include "commands/ActionTags.h"

#include <array>

namespace qvc {

struct TEnablingSnapshot
{
    bool LanguageEditorVisible = false; ///< pLanguageDefault shown
    bool ResultViewVisible = false; ///< pViewResult shown
    int Page = pageConvertFiles; ///< the page Notebook1 shows
    int Files = 0; ///< rows of the file list
    bool AnyFileSelected = false; ///< at least one row selected
    int Pairs = 0; ///< lines of the substitution list (the grid's blank entry row is none)
    bool RepositoryModified = false;
    bool SaveResultEnabled = false; ///< bbSaveResult as it is now
};

struct TEnablingResult
{
    std::array<bool, kTaggedActionCount> Enabled {}; ///< indexed by Tag
    bool SaveResultEnabled = false;
};

/// Applies the enabling rules in their fixed order; later rules read what earlier ones set. RepositoryModified
/// is only read: the pass never lowers it, so an edit that emptied the list or an overlay shown meanwhile
/// cannot hide unsaved changes from the close question. The last rule may switch bbSaveResult off, never on.
TEnablingResult ComputeEnabling(const TEnablingSnapshot &snapshot);

} // namespace qvc
