#pragma once
// How a run names the form files it writes: the four choices, with their command-line names, the digit of
// their ".dat" marker line (also their radio button's position) and their captions, kept together here.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qvc {

/// The rename choice of a run. The value is the digit of the repository file's marker and the radio button's
/// position in the window.
enum class TRenameMode : std::uint8_t {
    DelphiToKylix = 0, ///< "de DELPHI para KYLIX !": forms written as ".xfm"
    KylixToDelphi = 1, ///< "de KYLIX para DELPHI !": forms written as ".dfm"
    None = 2, ///< no file is renamed
    DelphiToLazarus = 3, ///< forms written as text ".lfm", programs fixed to build with the LCL
};

inline constexpr std::array<TRenameMode, 4> kRenameModes
    = { TRenameMode::DelphiToKylix, TRenameMode::KylixToDelphi, TRenameMode::None, TRenameMode::DelphiToLazarus };

/// The choice the window starts with: no file is renamed.
inline constexpr TRenameMode kDefaultRenameMode = TRenameMode::None;

/// The digit of the choice's marker line, and its radio button's position.
constexpr int RenameModeDigit(TRenameMode mode)
{
    return static_cast<int>(mode);
}

/// The choice of marker digit (or radio button) `digit`, none outside 0 to 3.
constexpr std::optional<TRenameMode> RenameModeOfDigit(int digit)
{
    if (digit < 0 || digit >= static_cast<int>(kRenameModes.size()))
        return std::nullopt;
    return kRenameModes[static_cast<std::size_t>(digit)];
}

/// The key of the choice's caption in the settings file's Captions section (the language editor edits it); empty
/// for the Lazarus choice, whose caption is fixed (kLazarusRenameCaption).
constexpr std::string_view RenameCaptionKey(TRenameMode mode)
{
    switch (mode) {
    case TRenameMode::DelphiToKylix:
        return "ChangeFileNameItem1";
    case TRenameMode::KylixToDelphi:
        return "ChangeFileNameItem2";
    case TRenameMode::None:
        return "ChangeFileNameItem3";
    case TRenameMode::DelphiToLazarus:
        break;
    }
    return {};
}

/// The Lazarus choice's caption (Windows-1252): the settings file and the language editor know the other three only.
inline constexpr std::string_view kLazarusRenameCaption = "de DELPHI para LAZARUS !";

/// The extension a form file with `extension` is written under (compared exactly, letter case counting): ".dfm"
/// becomes ".xfm" from Delphi to Kylix, ".xfm" becomes ".dfm" from Kylix to Delphi, ".dfm" becomes ".lfm" from
/// Delphi to Lazarus; empty when the file keeps its name.
constexpr std::string_view RenamedFormExtension(TRenameMode mode, std::string_view extension)
{
    if (mode == TRenameMode::DelphiToKylix && extension == ".dfm")
        return ".xfm";
    if (mode == TRenameMode::KylixToDelphi && extension == ".xfm")
        return ".dfm";
    if (mode == TRenameMode::DelphiToLazarus && extension == ".dfm")
        return ".lfm";
    return {};
}

/// The pair a Lazarus run adds after the repository's: it points the units at their forms, any letter case found.
inline constexpr std::string_view kLazarusResourcePair = "{$R *.dfm}={$R *.lfm}";

/// The name "qvconvert convert --rename" gives the choice.
constexpr std::string_view RenameOptionName(TRenameMode mode)
{
    switch (mode) {
    case TRenameMode::DelphiToKylix:
        return "delphi-to-kylix";
    case TRenameMode::KylixToDelphi:
        return "kylix-to-delphi";
    case TRenameMode::DelphiToLazarus:
        return "delphi-to-lazarus";
    case TRenameMode::None:
        break;
    }
    return "none";
}

/// The choice named `name` on the command line, none for any other text.
constexpr std::optional<TRenameMode> RenameModeOfOption(std::string_view name)
{
    for (const TRenameMode mode : kRenameModes)
        if (RenameOptionName(mode) == name)
            return mode;
    return std::nullopt;
}

} // namespace qvc
