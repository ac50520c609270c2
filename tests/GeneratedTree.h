#pragma once
// Generated Delphi project trees for the tests that need many realistic files: bench/gen_tree.py, with the
// repository tests/data/delphi-to-kylix.dat as the pairs (a frozen copy of the first Kylix example, one pair
// per unit name), both in the project itself.
#include <cstdlib>
#include <string>

inline const std::string kTreeGenerator = QVC_SOURCE_DIR "/bench/gen_tree.py";
inline const std::string kExampleRepository = QVC_SOURCE_DIR "/tests/data/delphi-to-kylix.dat";

/// True when python3 can run the generator.
inline bool CanGenerateTrees()
{
    return std::system("python3 --version > /dev/null 2>&1") == 0;
}

/// Writes a tree of `units` units into `out`; `extra` holds further generator arguments, already quoted. The
/// generator's exit status (0 when the tree was written).
inline int GenerateTree(const std::string &out, int units, int seed, const std::string &extra = {})
{
    const std::string command = "python3 '" + kTreeGenerator + "' --units " + std::to_string(units) + " --seed "
        + std::to_string(seed) + " --out '" + out + "' " + extra + " > /dev/null";
    return std::system(command.c_str());
}
