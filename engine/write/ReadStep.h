#pragma once
// The reading of one file for the pass: its bytes, its kind (a form file is told apart by its first byte)
// and the text its lines come from (a binary form turned into its text form).
#include "common/Checksum.h"
#include "common/FileIO.h"

#include <string>
#include <string_view>

namespace qvc {

class TRunOverlay;

/// How a file was read into lines.
enum class TFileKind {
    Text, ///< any file that is not a form file
    TextForm, ///< a ".dfm"/".xfm" starting with "I", "O", "i", "o" (after a UTF-8 byte-order mark, if any)
    BinaryForm, ///< a ".dfm"/".xfm" starting with 0xFF, turned into its text form
    UnknownForm, ///< a ".dfm"/".xfm" starting with anything else (or empty): no lines
};

/// Reads one file after the other into buffers kept from one file to the next.
class TReadStep
{
public:
    /// Reads `fileName` (as `overlay` has it, when given) and tells its kind. Throws TError when the file
    /// cannot be read or a binary form is malformed. The views below stay valid until the next Read or Release.
    TFileKind Read(const std::string &fileName, const TRunOverlay *overlay = nullptr);

    /// The bytes read.
    std::string_view Bytes() const { return m_bytes; }
    /// The text whose lines the pairs change: the bytes read, a binary form's text form, or nothing for
    /// a form of unknown kind.
    std::string_view Text() const { return m_text; }
    /// The file as it was read.
    const TFileStamp &Stamp() const { return m_stamp; }
    /// The sum of the bytes read, for the journal.
    TContentSum ReadSum() const;

    /// Lets go of the views and of buffers too large to keep for the next file.
    void Release();

private:
    std::string m_buffer;
    std::string m_formText;
    std::string_view m_bytes;
    std::string_view m_text;
    TFileStamp m_stamp;
};

} // namespace qvc
