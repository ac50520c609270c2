#include "engine/forms/BinaryFormToText.h"

#include "common/Errors.h"
#include "common/Utf8.h"
#include "engine/forms/FormNumbers.h"

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace qvc {
namespace {

// Deeper than any real form (they stay below 30 levels). The text grows with the square of the depth,
// and every level is a stack frame, so a stream must not choose it freely.
constexpr int kMaxNestingLevel = 64;
// Real forms give two to three bytes of text per byte of stream; beyond this many the text is refused.
constexpr std::size_t kMostTextPerByte = 16;
constexpr std::size_t kTextAllowance = std::size_t(64) * 1024;

// Longest run of string units written on one text line.
constexpr std::size_t kLineLength = 64;

enum TValueType : unsigned char {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

// Object prefix flags (low four bits of a byte 0xF0..0xFF in front of an object).
constexpr unsigned kFlagInherited = 1;
constexpr unsigned kFlagChildPos = 2;
constexpr unsigned kFlagInline = 4;

// Every message names the offset first; the numbers after it are the template's further arguments.
[[noreturn]] void Fail(std::string_view format, std::size_t offset, std::initializer_list<std::string> numbers = {})
{
    std::vector<TMessageArg> args { TextArg(std::to_string(offset)) };
    for (const std::string &number : numbers)
        args.push_back(TextArg(number));
    throw TError(format, std::move(args));
}

void AppendDecimal(std::int64_t value, std::string &out)
{
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    out.append(buffer, end);
}

class TFormTextWriter
{
public:
    TFormTextWriter(std::string_view stream, std::string &out)
        : m_data(reinterpret_cast<const unsigned char *>(stream.data()))
        , m_size(stream.size())
        , m_out(out)
    {
    }

    void Run()
    {
        if (m_size < 4 || m_data[0] != 'T' || m_data[1] != 'P' || m_data[2] != 'F' || m_data[3] != '0')
            Fail(kFormNoSignature, 0);
        m_pos = 4;
        // Real forms give about twice their size in text; proportional to the bytes actually present.
        m_out.reserve(m_out.size() + 2 * m_size);
        m_start = m_out.size();
        m_limit = kMostTextPerByte * m_size + kTextAllowance;
        WriteObject();
    }

private:
    // --- reading ---

    void Need(std::size_t count)
    {
        if (count > m_size - m_pos)
            Fail(kFormEndsEarly, m_pos, { std::to_string(count), std::to_string(m_size - m_pos) });
    }

    unsigned char PeekByte()
    {
        Need(1);
        return m_data[m_pos];
    }

    unsigned char ReadByte()
    {
        Need(1);
        return m_data[m_pos++];
    }

    std::uint64_t ReadLittleEndian(int byteCount)
    {
        Need(static_cast<std::size_t>(byteCount));
        std::uint64_t value = 0;
        for (int i = byteCount - 1; i >= 0; --i)
            value = (value << 8) | m_data[m_pos + static_cast<std::size_t>(i)];
        m_pos += static_cast<std::size_t>(byteCount);
        return value;
    }

    // Returns a view of the next `count` bytes; checked against the end before anything else happens.
    std::string_view ReadBytes(std::uint64_t count)
    {
        if (count > m_size - m_pos)
            Fail(kFormLengthBeyondEnd, m_pos, { std::to_string(count), std::to_string(m_size - m_pos) });
        const std::string_view bytes(reinterpret_cast<const char *>(m_data + m_pos), static_cast<std::size_t>(count));
        m_pos += static_cast<std::size_t>(count);
        return bytes;
    }

    std::string_view ReadShortString() { return ReadBytes(ReadByte()); }

    std::uint64_t ReadLength32() { return ReadLittleEndian(4); }

    // An integer value of type 2, 3 or 4 (child positions and collection item indexes).
    std::int64_t ReadIntegerValue(std::string_view what)
    {
        const std::size_t start = m_pos;
        switch (ReadByte()) {
        case vaInt8:
            return static_cast<std::int8_t>(ReadLittleEndian(1));
        case vaInt16:
            return static_cast<std::int16_t>(ReadLittleEndian(2));
        case vaInt32:
            return static_cast<std::int32_t>(ReadLittleEndian(4));
        default:
            Fail(what, start);
        }
    }

    // --- writing ---

    // Every line begins here, so a stream whose text would grow beyond all proportion (millions of
    // nested empty items, say) is stopped before it takes the memory.
    void CheckGrowth()
    {
        if (m_out.size() - m_start > m_limit)
            Fail(kFormTextTooLong, m_pos, { std::to_string(kMostTextPerByte) });
    }

    void NewLine()
    {
        CheckGrowth();
        m_out += "\r\n";
        m_out.append(static_cast<std::size_t>(m_level) * 2, ' ');
    }

    void Indent()
    {
        CheckGrowth();
        m_out.append(static_cast<std::size_t>(m_level) * 2, ' ');
    }

    void EnterLevel()
    {
        if (m_level >= kMaxNestingLevel)
            Fail(kFormNestedTooDeep, m_pos, { std::to_string(kMaxNestingLevel) });
        ++m_level;
    }

    void LeaveLevel() { --m_level; }

    void WriteObject()
    {
        unsigned flags = 0;
        std::int64_t childPos = 0;
        if (PeekByte() >= 0xF0) {
            flags = ReadByte() & 0x0Fu;
            if (flags & kFlagChildPos)
                childPos = ReadIntegerValue(kFormChildPositionNotInteger);
        }
        const std::string_view className = ReadShortString();
        const std::string_view objectName = ReadShortString();
        Indent();
        if (flags & kFlagInherited)
            m_out += "inherited ";
        else if (flags & kFlagInline)
            m_out += "inline ";
        else
            m_out += "object ";
        if (!objectName.empty()) {
            m_out += objectName;
            m_out += ": ";
        }
        m_out += className;
        if (flags & kFlagChildPos) {
            m_out += " [";
            AppendDecimal(childPos, m_out);
            m_out += ']';
        }
        m_out += "\r\n";
        EnterLevel();
        WriteProperties();
        while (PeekByte() != 0)
            WriteObject();
        ++m_pos;
        LeaveLevel();
        Indent();
        m_out += "end\r\n";
    }

    // Properties at the current level up to their closing 0 byte.
    void WriteProperties()
    {
        while (PeekByte() != 0) {
            const std::string_view name = ReadShortString();
            Indent();
            m_out += name;
            m_out += " = ";
            WriteValue();
            m_out += "\r\n";
        }
        ++m_pos;
    }

    void WriteValue()
    {
        const std::size_t start = m_pos;
        const unsigned char type = ReadByte();
        switch (type) {
        case vaNull:
            m_out += "Null";
            break;
        case vaList:
            WriteList();
            break;
        case vaInt8:
            AppendDecimal(static_cast<std::int8_t>(ReadLittleEndian(1)), m_out);
            break;
        case vaInt16:
            AppendDecimal(static_cast<std::int16_t>(ReadLittleEndian(2)), m_out);
            break;
        case vaInt32:
            AppendDecimal(static_cast<std::int32_t>(ReadLittleEndian(4)), m_out);
            break;
        case vaExtended: {
            Need(10);
            AppendExtendedFixed(m_data + m_pos, m_out);
            m_pos += 10;
            break;
        }
        case vaString:
            WriteString(ReadShortString());
            break;
        case vaIdent:
            m_out += ReadShortString();
            break;
        case vaFalse:
            m_out += "False";
            break;
        case vaTrue:
            m_out += "True";
            break;
        case vaBinary:
            WriteBinary(ReadBytes(ReadLength32()));
            break;
        case vaSet:
            WriteSet();
            break;
        case vaLString:
            WriteString(ReadBytes(ReadLength32()));
            break;
        case vaNil:
            m_out += "nil";
            break;
        case vaCollection:
            WriteCollection();
            break;
        case vaSingle:
            AppendSingleGeneral(static_cast<std::uint32_t>(ReadLittleEndian(4)), m_out);
            m_out += 's';
            break;
        case vaCurrency:
            AppendInt64General(static_cast<std::int64_t>(ReadLittleEndian(8)), m_out);
            m_out += 'c';
            break;
        case vaDate:
            AppendDoubleGeneral(ReadLittleEndian(8), m_out);
            m_out += 'd';
            break;
        case vaWString: {
            const std::uint64_t units = ReadLength32();
            WriteWideString(ReadBytes(units * 2));
            break;
        }
        case vaInt64:
            AppendDecimal(static_cast<std::int64_t>(ReadLittleEndian(8)), m_out);
            break;
        case vaUTF8String:
            WriteUtf8String(ReadBytes(ReadLength32()));
            break;
        default:
            Fail(kFormUnknownValueType, start, { std::to_string(type) });
        }
    }

    void WriteList()
    {
        m_out += '(';
        EnterLevel();
        while (PeekByte() != 0) {
            NewLine();
            WriteValue();
        }
        ++m_pos;
        LeaveLevel();
        m_out += ')';
    }

    void WriteSet()
    {
        m_out += '[';
        bool first = true;
        for (;;) {
            const std::string_view name = ReadShortString();
            if (name.empty())
                break;
            if (!first)
                m_out += ", ";
            m_out += name;
            first = false;
        }
        m_out += ']';
    }

    void WriteCollection()
    {
        m_out += '<';
        EnterLevel();
        while (PeekByte() != 0) {
            NewLine();
            m_out += "item";
            const unsigned char next = PeekByte();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
                m_out += " [";
                AppendDecimal(ReadIntegerValue(kFormItemIndexNotInteger), m_out);
                m_out += ']';
            }
            if (PeekByte() != vaList)
                Fail(kFormItemWithoutMarker, m_pos);
            ++m_pos;
            m_out += "\r\n";
            EnterLevel();
            WriteProperties();
            LeaveLevel();
            Indent();
            m_out += "end";
        }
        ++m_pos;
        LeaveLevel();
        m_out += '>';
    }

    void WriteBinary(std::string_view bytes)
    {
        static constexpr char kHex[] = "0123456789ABCDEF";
        m_out += '{';
        ++m_level;
        const bool chunked = bytes.size() >= 32;
        for (std::size_t start = 0; start < bytes.size(); start += 32) {
            if (chunked)
                NewLine();
            const std::size_t end = start + 32 < bytes.size() ? start + 32 : bytes.size();
            char digits[64];
            std::size_t length = 0;
            for (std::size_t i = start; i < end; ++i) {
                const auto byte = static_cast<unsigned char>(bytes[i]);
                digits[length++] = kHex[byte >> 4];
                digits[length++] = kHex[byte & 0x0F];
            }
            m_out.append(digits, length);
        }
        --m_level;
        m_out += '}';
    }

    // Strings of 8-bit bytes or 16-bit units: quoted runs of plain characters, "#" codes for the rest,
    // at most 64 units to a line.
    template <typename TUnits> void WriteUnits(const TUnits &units, std::size_t count, unsigned maxPlain)
    {
        if (count == 0) {
            m_out += "''";
            return;
        }
        ++m_level;
        if (count > kLineLength)
            NewLine();
        const auto isPlain = [&](unsigned unit) { return unit >= 32 && unit != '\'' && unit <= maxPlain; };
        std::size_t i = 0;
        while (i < count) {
            const std::size_t lineStart = i;
            while (i < count && i - lineStart < kLineLength) {
                if (isPlain(units(i))) {
                    // A run never passes the line's end, so it fits the buffer with its two quotes.
                    char run[kLineLength + 2];
                    std::size_t length = 0;
                    run[length++] = '\'';
                    while (i < count && i - lineStart < kLineLength && isPlain(units(i))) {
                        run[length++] = static_cast<char>(units(i));
                        ++i;
                    }
                    run[length++] = '\'';
                    m_out.append(run, length);
                } else {
                    m_out += '#';
                    AppendDecimal(units(i), m_out);
                    ++i;
                }
            }
            if (i < count) {
                m_out += " +";
                NewLine();
            }
        }
        --m_level;
    }

    void WriteString(std::string_view bytes)
    {
        WriteUnits([&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); },
            bytes.size(), 255);
    }

    void WriteWideString(std::string_view littleEndianUnits)
    {
        const auto *p = reinterpret_cast<const unsigned char *>(littleEndianUnits.data());
        WriteUnits([&](std::size_t i) { return static_cast<unsigned>(p[2 * i] | (p[2 * i + 1] << 8)); },
            littleEndianUnits.size() / 2, 127);
    }

    void WriteUtf8String(std::string_view utf8)
    {
        std::u16string units;
        Utf8ToUtf16(utf8, units);
        WriteUnits([&](std::size_t i) { return static_cast<unsigned>(units[i]); }, units.size(), 127);
    }

    // UTF-8 to UTF-16; each byte that does not start a well-formed sequence becomes U+FFFD.
    static void Utf8ToUtf16(std::string_view utf8, std::u16string &units)
    {
        units.reserve(utf8.size());
        for (std::size_t i = 0; i < utf8.size();) {
            char32_t codePoint = 0;
            const std::size_t length = qvc::DecodeUtf8(utf8, i, codePoint);
            if (length == 0) {
                units += u'\xFFFD';
                ++i;
                continue;
            }
            if (codePoint >= 0x10000) {
                codePoint -= 0x10000;
                units += static_cast<char16_t>(0xD800 + (codePoint >> 10));
                units += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
            } else {
                units += static_cast<char16_t>(codePoint);
            }
            i += length;
        }
    }

    const unsigned char *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    int m_level = 0;
    std::size_t m_start = 0;
    std::size_t m_limit = 0;
    std::string &m_out;
};

} // namespace

void BinaryFormToText(std::string_view stream, std::string &out)
{
    TFormTextWriter(stream, out).Run();
}

std::string_view SkipResourceHeader(std::string_view fileBytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(fileBytes.data());
    const std::size_t size = fileBytes.size();
    if (size < 3 || p[0] != 0xFF || p[1] != 10 || p[2] != 0)
        throw TError(std::string(kFormBadResourceHeader));
    std::size_t pos = 3;
    while (pos < size && p[pos] != 0)
        ++pos;
    // The name's NUL, then a 16-bit flags word and a 32-bit size.
    if (pos >= size || size - pos - 1 < 6)
        throw TError(std::string(kFormEndsInResourceHeader));
    return fileBytes.substr(pos + 1 + 6);
}

} // namespace qvc
