#include "ui/LocaleBridge.h"

#include "ui/TextBridge.h"

#include "common/AsciiCase.h"

#include <QCollator>
#include <QLocale>
#include <memory>

namespace qvc {

namespace {

bool IsAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A separator the code page cannot hold (such as a narrow no-break space) is shown as a blank.
std::string Separator(const QString &text, const char *fallback)
{
    if (text.isEmpty())
        return fallback;
    const std::u16string_view wide(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
    return FitsCp1252(wide) ? FromQ(text) : std::string(" ");
}

} // namespace

TListLocale MakeListLocale()
{
    TListLocale locale;
    const QLocale system;
    // The folded name only picks which listed names are compared on disk (same file or not). Case folding
    // does not depend on the locale, and in plain ASCII it is the ASCII lower case: names without other
    // bytes need no detour through QString.
    locale.FoldCase = [](std::string_view name) {
        return IsAscii(name) ? AsciiLower(name) : PathFromQ(PathToQ(std::string(name)).toCaseFolded());
    };
    locale.Lower = [system](std::string_view text) { return PathFromQ(system.toLower(PathToQ(std::string(text)))); };
    auto collator = std::make_shared<QCollator>(system);
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    locale.Collate = [collator](std::string_view a, std::string_view b) {
        return collator->compare(PathToQ(std::string(a)), PathToQ(std::string(b)));
    };
    locale.ThousandsSeparator = Separator(system.groupSeparator(), ".");
    locale.TimeSeparator = MakeDisplayLocale().TimeSeparator;
    return locale;
}

TDisplayLocale MakeDisplayLocale()
{
    TDisplayLocale locale;
    const QLocale system;
    locale.ThousandsSeparator = Separator(system.groupSeparator(), ".");
    // The time separator is what the short time format puts between hours and minutes.
    const QString format = system.timeFormat(QLocale::ShortFormat);
    const auto h = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    const auto m = format.indexOf(QLatin1Char('m'), h < 0 ? 0 : h);
    QString separator = QStringLiteral(":");
    if (h >= 0 && m > h) {
        auto start = h;
        while (start < m && format[start].toLower() == QLatin1Char('h'))
            ++start;
        if (start < m)
            separator = format.mid(start, m - start).remove(QLatin1Char('\''));
    }
    locale.TimeSeparator = Separator(separator, ":");
    return locale;
}

} // namespace qvc
