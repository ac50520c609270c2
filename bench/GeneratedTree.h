#pragma once
// The Delphi trees of the window benchmarks: made once by bench/gen_tree.py under a folder of their own (a "done"
// mark says the tree is complete, so a benchmark cut short makes it again) and listed as a scan lists them.
#include "common/FileIO.h"
#include "filelist/SearchFiles.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

/// Makes `folder`/tree from `units` generated units with `seed`, unless an earlier benchmark completed it; aborts
/// when the generator fails.
inline void EnsureGeneratedTree(const std::string &folder, int units, int seed)
{
    if (std::filesystem::exists(folder + "/done"))
        return;
    std::filesystem::remove_all(folder);
    const std::string command = "python3 '" QVC_SOURCE_DIR "/bench/gen_tree.py' --units " + std::to_string(units)
        + " --seed " + std::to_string(seed) + " --out '" + folder + "/tree' >/dev/null";
    if (std::system(command.c_str()) != 0)
        std::abort();
    qvc::WriteFileReplacing(folder + "/done", "");
}

/// The files of `folder`/tree that `mask` takes, in the order a scan finds them.
inline std::vector<std::string> GeneratedFiles(const std::string &folder, std::string_view mask)
{
    std::vector<std::string> files;
    qvc::TSearchFiles search;
    search.SetRootDirectory(folder + "/tree");
    search.FileParams().SetMaskText(mask);
    search.SetOnFindFile([&files](const std::string &name) { files.push_back(name); });
    search.Search();
    return files;
}
