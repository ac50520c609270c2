#pragma once
// The user's locale as the core takes it: collation, letter case and separators from QLocale/QCollator.
#include "engine/run/DisplayFormat.h"
#include "filelist/FileList.h"

namespace qvc {

/// Name comparison, lower-casing and collation of the file list, by the user's locale.
TListLocale MakeListLocale();
/// Thousands and time separators of the user's locale, as Windows-1252 texts.
TDisplayLocale MakeDisplayLocale();

} // namespace qvc
