#include "engine/write/ReadStep.h"

#include "common/AsciiCase.h"
#include "engine/forms/BinaryFormToText.h"
#include "engine/write/RunOverlay.h"
#include "engine/write/TargetNames.h"

namespace qvc {

namespace {

bool IsFormExtension(std::string_view extension)
{
    // The form test ignores letter case: "UNIT1.DFM" is a form too.
    return AsciiEqualNoCase(extension, ".dfm") || AsciiEqualNoCase(extension, ".xfm");
}

bool IsTextFormStart(unsigned char byte)
{
    return byte == 'I' || byte == 'O' || byte == 'i' || byte == 'o';
}

} // namespace

TFileKind TReadStep::Read(const std::string &fileName, const TRunOverlay *overlay)
{
    m_bytes = {};
    m_text = {};
    m_stamp = TFileStamp();
    const std::size_t length = overlay != nullptr ? overlay->ReadInto(fileName, m_buffer, &m_stamp)
                                                  : ReadFileInto(fileName, m_buffer, &m_stamp);
    m_bytes = std::string_view(m_buffer.data(), length);
    m_text = m_bytes;
    if (!IsFormExtension(FileExtension(fileName)))
        return TFileKind::Text;
    // An empty form file reads as a first byte 0, which is of no known kind.
    const auto first = m_bytes.empty() ? 0 : static_cast<unsigned char>(m_bytes[0]);
    // A text form saved with a UTF-8 byte-order mark is still a text form; the mark stays in its bytes.
    const bool markedText = m_bytes.size() > 3 && m_bytes.substr(0, 3) == "\xEF\xBB\xBF"
        && IsTextFormStart(static_cast<unsigned char>(m_bytes[3]));
    if (IsTextFormStart(first) || markedText)
        return TFileKind::TextForm;
    if (first == 0xFF) {
        m_formText.clear();
        BinaryFormToText(SkipResourceHeader(m_bytes), m_formText);
        m_text = m_formText;
        return TFileKind::BinaryForm;
    }
    // A form of unknown kind is no failure: it has no lines, so nothing changes and nothing is written.
    m_text = {};
    return TFileKind::UnknownForm;
}

TContentSum TReadStep::ReadSum() const
{
    return SumOf(std::string_view(m_buffer.data(), static_cast<std::size_t>(m_stamp.Size)));
}

void TReadStep::Release()
{
    // The bytes of an unusually large file are not kept for the next one.
    constexpr std::size_t kKeptBuffer = std::size_t(4) << 20;
    m_bytes = {};
    m_text = {};
    for (std::string *buffer : { &m_buffer, &m_formText })
        if (buffer->capacity() > kKeptBuffer)
            std::string().swap(*buffer);
}

} // namespace qvc
