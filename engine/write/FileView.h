#pragma once
// The file system as the file steps of a run see it: the files as they stand, or as earlier steps (of
// one writing's plan, or of a simulated run) would have left them.
#include "common/FileIO.h"

#include <map>
#include <string>
#include <vector>

namespace qvc {

/// The files as they stand; the base of the views that lay planned steps over them.
class TFileView
{
public:
    virtual ~TFileView() = default;
    /// StampOf(path): links followed, a missing file gives Exists false.
    virtual TFileStamp Stamp(const std::string &path) const;
    /// Whether anything stands under the name itself (a dangling link too).
    virtual bool Present(const std::string &path) const;
    /// Whether the name itself is a regular file its owner may write.
    virtual bool WritableRegular(const std::string &path) const;
    /// The names in `folder` ("" for the current folder), in no particular order.
    virtual std::vector<std::string> Names(const std::string &folder) const;
};

/// A plan's own earlier steps laid over the view it is made from: names made present or absent.
class TPlanLayer final : public TFileView
{
public:
    explicit TPlanLayer(const TFileView &base)
        : m_base(base)
    {
    }
    /// Makes `path` present (a writable regular file of no known stamp) or absent.
    void Set(const std::string &path, bool present) { m_present[path] = present; }
    TFileStamp Stamp(const std::string &path) const override;
    bool Present(const std::string &path) const override;
    bool WritableRegular(const std::string &path) const override;
    std::vector<std::string> Names(const std::string &folder) const override;

private:
    const TFileView &m_base;
    std::map<std::string, bool> m_present;
};

/// `path` without its file name: the folder with its trailing "/", empty for a bare name.
std::string FolderWithSlash(const std::string &path);

/// Whether `path` names an entry directly inside `folder` (given with its trailing "/"), and which.
bool NameInFolder(const std::string &path, const std::string &folder, std::string &name);

} // namespace qvc
