#pragma once
// What a Delphi program needs to build as a Lazarus program: the Interfaces unit, which starts the LCL's
// widget set, before Forms in its uses clause, and its {$R *.RES} naming the resource file as the disk
// spells it (Linux file names keep their letter case).
#include "engine/pascal/UsesClauses.h"
#include "engine/pass/PassDetails.h"

#include <string>
#include <string_view>
#include <vector>

namespace qvc {

/// One change a program gets, as the results list it.
struct TProgramFix
{
    TTextEdit Edit;
    std::string Find; ///< the text the results list as found, e.g. "{$R *.RES}" or "Forms"
    std::string Replace; ///< the text the results list as its replacement, e.g. "{$R *.res}" or "Interfaces, Forms"
};

/// Lists the resource files a folder holds whose names equal `name` but for letter case.
using TResourceLister = std::vector<std::string> (*)(const std::string &folder, std::string_view name);

/// The names of `folder`'s entries equal to `name` when ASCII letter case is ignored (none when it cannot be read).
std::vector<std::string> FolderNamesLike(const std::string &folder, std::string_view name);

/// The fixes the program `fileName` (a .dpr or .lpr whose code starts with "program") with the text `text`
/// needs, in text order: "Interfaces, " directly before Forms when a uses clause holds Forms and none holds
/// Interfaces, and each {$R name.res} (any case, "*" for the program's own name) whose file is not on the
/// disk as written but is under another letter case. A resource file found under no case is put in
/// `notFound` (line and column of the directive, its text as the find text). Anything else gets no fix.
std::vector<TProgramFix> LazarusProgramFixes(std::string_view text, const std::string &fileName,
    std::vector<TMissedOccurrence> &notFound, TResourceLister lister = FolderNamesLike);

} // namespace qvc
