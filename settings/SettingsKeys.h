#pragma once
// The keys of the settings file: its three sections, and for the Captions and Hints sections every key in the order
// in which the settings are saved, with its use (read on loading, written on saving, or both) and the text the window
// starts with. Texts are Windows-1252 bytes. The window iterates these tables in LoadSettings and SaveSettings.
#include "common/Version.h" // kProgramVersion, shown after the StatusBar text
#include "filelist/FileParams.h" // kDefaultFileMask, the Mask of a first start

#include <array>
#include <cstddef>
#include <string_view>

namespace qvc {

inline constexpr std::string_view kSettingsSection = "Settings";
inline constexpr std::string_view kCaptionsSection = "Captions";
inline constexpr std::string_view kHintsSection = "Hints";

/// How LoadSettings and SaveSettings use a key: R read only, W written only, RW both.
enum class TKeyUse { Read, Write, ReadWrite };

/// True when SaveSettings writes the key.
constexpr bool IsWrittenKey(TKeyUse use)
{
    return use != TKeyUse::Read;
}

/// One key of the Captions or Hints section with the window's initial text.
struct TSettingsKey
{
    std::string_view Key;
    TKeyUse Use;
    std::string_view InitialValue;
};

/// Kind of a Settings section value.
enum class TSettingType { Text, Boolean };

/// One key of the Settings section. DefaultFromControl: when missing, the control keeps its current state.
struct TSettingsValueKey
{
    std::string_view Key;
    TSettingType Type;
    std::string_view Default;
    bool DefaultFromControl;
};

/// The Settings section in the order it is read and written.
inline constexpr std::array<TSettingsValueKey, 5> kSettingsKeys { {
    TSettingsValueKey { "Path", TSettingType::Text, "", false },
    TSettingsValueKey { "Mask", TSettingType::Text, kDefaultFileMask, false },
    TSettingsValueKey { "DATFile", TSettingType::Text, "", false },
    TSettingsValueKey { "BackupFiles", TSettingType::Boolean, "0", false },
    TSettingsValueKey { "SimulateFiles", TSettingType::Boolean, "", true },
} };

/// The Captions section in the order SaveSettings writes it (the R key at the end is never written).
inline constexpr std::array<TSettingsKey, 53> kCaptionKeys { {
    TSettingsKey { "Form", TKeyUse::ReadWrite, "Utilit\xE1rio para converter arquivos DELPHI e KYLIX." },
    TSettingsKey { "StatusBar", TKeyUse::ReadWrite, "Vers\xE3o : " },
    TSettingsKey { "OutlookBar", TKeyUse::ReadWrite,
        "Op\xE7\xF5"
        "es" },
    TSettingsKey { "OutlookBarButton1", TKeyUse::ReadWrite, "Converter Arquivo(s)" },
    TSettingsKey { "OutlookBarButton2", TKeyUse::ReadWrite, "Reposit\xF3rio de Dados" },
    TSettingsKey { "OutlookBarButton3", TKeyUse::ReadWrite,
        "Configura\xE7\xF5"
        "es" },
    TSettingsKey { "SelectFilesColumn1", TKeyUse::ReadWrite, "Nome dos Arquivos" },
    TSettingsKey { "SelectFilesColumn2", TKeyUse::ReadWrite,
        "Atualiza\xE7\xF5"
        "es" },
    TSettingsKey { "SelectFilesColumn3", TKeyUse::ReadWrite, "Status" },
    TSettingsKey { "SelectFilesColumn4", TKeyUse::ReadWrite, "Tempo" },
    TSettingsKey { "ConvertStringsColumn1", TKeyUse::ReadWrite, "Localizar Texto" },
    TSettingsKey { "ConvertStringsColumn2", TKeyUse::ReadWrite, "Trocar Para" },
    TSettingsKey { "ChangeFileName", TKeyUse::ReadWrite, " Trocar o(s) &nome(s) do(s) arquivo(s) processado(s) " },
    TSettingsKey { "ChangeFileNameItem1", TKeyUse::ReadWrite, "de DELPHI para KYLIX !" },
    TSettingsKey { "ChangeFileNameItem2", TKeyUse::ReadWrite, "de KYLIX para DELPHI !" },
    TSettingsKey { "ChangeFileNameItem3", TKeyUse::ReadWrite, "N\xE3o trocar o(s) nome(s) do(s) arquivo(s) !" },
    TSettingsKey { "BackupFiles", TKeyUse::ReadWrite, "Efetuar um \"&BACKUP\" antes de processar o(s) arquivo(s)." },
    TSettingsKey { "SimulateFiles", TKeyUse::Write, "Apenas \"&SIMULAR\" a convers\xE3o no(s) arquivo(s)." },
    TSettingsKey { "EditMasks", TKeyUse::ReadWrite, "&Filtrar o(s) arquivo(s) do(s) tipo(s) : " },
    TSettingsKey { "ButtonLanguageDefault", TKeyUse::ReadWrite, "&Editar a limguagem pad\xE3o..." },
    TSettingsKey { "MainMenuBarItem1", TKeyUse::ReadWrite, "&Arquivo" },
    TSettingsKey { "MainMenuBarItem2", TKeyUse::ReadWrite, "&Edi\xE7\xE3o" },
    TSettingsKey { "MainMenuBarItem3", TKeyUse::ReadWrite, "&Convers\xE3o" },
    TSettingsKey { "MainMenuBarItem4", TKeyUse::ReadWrite, "A&juda" },
    TSettingsKey { "MenuScanSubDirectory", TKeyUse::ReadWrite, "&Buscar Sub-Diret\xF3rios" },
    TSettingsKey { "MenuAddFile", TKeyUse::ReadWrite, "&Adicionar Arquivo" },
    TSettingsKey { "MenuRemoveFile", TKeyUse::ReadWrite, "&Remover Arquivo(s)" },
    TSettingsKey { "MenuSelectAll", TKeyUse::ReadWrite, "&Selecionar Todos" },
    TSettingsKey { "MenuInsertLine", TKeyUse::ReadWrite, "&Nova Linha" },
    TSettingsKey { "MenuDeleteLines", TKeyUse::ReadWrite, "&Excluir Linha" },
    TSettingsKey { "MenuOpenRepositoryData", TKeyUse::ReadWrite, "&Abrir Reposit\xF3rio" },
    TSettingsKey { "MenuCopyRepositoryData", TKeyUse::ReadWrite, "&Copiar Reposit\xF3rio" },
    TSettingsKey { "MenuNewRepositoryData", TKeyUse::ReadWrite, "Novo &Reposit\xF3rio" },
    TSettingsKey { "MenuSaveRepositoryData", TKeyUse::ReadWrite, "&Salvar Reposit\xF3rio" },
    TSettingsKey { "MenuExecuteConversion", TKeyUse::ReadWrite, "&Executar..." },
    TSettingsKey { "MenuAboutMe", TKeyUse::ReadWrite, "&Sobre..." },
    TSettingsKey { "BrowseFolder", TKeyUse::ReadWrite, "Selecionar diret\xF3rio : " },
    TSettingsKey { "MessageQuestionText1", TKeyUse::ReadWrite,
        "Foram feitas modifica\xE7\xF5"
        "es no arquivo %s " },
    TSettingsKey { "MessageQuestionText2", TKeyUse::ReadWrite, "Deseja salva-lo (S/N) ?" },
    TSettingsKey { "MessageQuestionCaption", TKeyUse::ReadWrite, "ATEN\xC7\xC3O !" },
    TSettingsKey { "LanguageCaptionTitle", TKeyUse::ReadWrite, "Linguagem (Captions)" },
    TSettingsKey { "LanguageHintTitle", TKeyUse::ReadWrite, "Linguagem (Hints)" },
    TSettingsKey { "LanguageColumn1", TKeyUse::ReadWrite, "Chaves" },
    TSettingsKey { "LanguageColumn2", TKeyUse::ReadWrite, "Valores" },
    TSettingsKey { "ButtonApply", TKeyUse::ReadWrite, "&Aplicar..." },
    TSettingsKey { "ButtonCancel", TKeyUse::ReadWrite, "&Cancelar" },
    TSettingsKey { "ButtonSaveResult", TKeyUse::ReadWrite, "Salvar Resultado" },
    TSettingsKey { "ProgressMessage", TKeyUse::ReadWrite, "Por favor, aguarde o final do processamento !" },
    TSettingsKey { "ViewResultTitle", TKeyUse::ReadWrite, "Resultado da convers\xE3o." },
    TSettingsKey { "ViewResultColumn1", TKeyUse::ReadWrite, "Texto Localizado" },
    TSettingsKey { "ViewResultColumn2", TKeyUse::ReadWrite, "Troca Efetuada" },
    TSettingsKey { "ViewResultColumn3", TKeyUse::ReadWrite, "Qtde." },
    TSettingsKey { "ButtonOk", TKeyUse::Read, "&Ok" },
} };

/// The Hints section in the order SaveSettings writes it (R keys are never written).
inline constexpr std::array<TSettingsKey, 26> kHintKeys { {
    TSettingsKey { "MenuScanSubDirectory", TKeyUse::ReadWrite,
        "Buscar Sub-Diret\xF3rios|Buscar arquivo(s) nos sub-diret\xF3rios para a lista..." },
    TSettingsKey { "MenuAddFile", TKeyUse::ReadWrite, "Adicionar Arquivo|Adicionar um novo arquivo na lista..." },
    TSettingsKey { "MenuRemoveFile", TKeyUse::ReadWrite, "Remover Arquivo(s)|Remover o(s) arquivo(s) da lista..." },
    TSettingsKey { "MenuSelectAll", TKeyUse::ReadWrite, "Selecionar Todos|Selecionar todos os itens da lista..." },
    TSettingsKey { "MenuInsertLine", TKeyUse::ReadWrite, "Nova Linha|Inserir uma nova linha na lista..." },
    TSettingsKey { "MenuDeleteLines", TKeyUse::ReadWrite, "Excluir Linha|Excluir a linha da lista..." },
    TSettingsKey { "MenuOpenRepositoryData", TKeyUse::ReadWrite,
        "Abrir Reposit\xF3rio|&Abrir um reposit\xF3rio de dados existente..." },
    TSettingsKey { "MenuCopyRepositoryData", TKeyUse::ReadWrite,
        "Copiar Reposit\xF3rio|Copiar o reposit\xF3rio de dados atual para um outro..." },
    TSettingsKey {
        "MenuNewRepositoryData", TKeyUse::ReadWrite, "Novo Reposit\xF3rio|Criar um novo reposit\xF3rio de dados..." },
    TSettingsKey { "MenuSaveRepositoryData", TKeyUse::ReadWrite,
        "Salvar Reposit\xF3rio|Salvar as altera\xE7\xF5"
        "es feitas no reposit\xF3rio de dados atual..." },
    TSettingsKey {
        "MenuExecuteConversion", TKeyUse::ReadWrite, "Executar...|Executar a convers\xE3o do(s) arquivo(s)..." },
    TSettingsKey { "MenuAboutMe", TKeyUse::ReadWrite,
        "Sobre...|Informa\xE7\xF5"
        "es sobre esta aplica\xE7\xE3o..." },
    TSettingsKey { "SelectFiles", TKeyUse::ReadWrite, "|Lista dos arquivos a serem processados..." },
    TSettingsKey {
        "ConvertStrings", TKeyUse::ReadWrite, "|Lista dos textos a serem utilizados na convers\xE3o dos arquivos..." },
    TSettingsKey { "RadioGroupChangeFile", TKeyUse::ReadWrite,
        "|Escolha um dos items para a troca do nome dos arquivos processados..." },
    TSettingsKey { "OutlookBarOptions", TKeyUse::ReadWrite,
        "|Op\xE7\xF5"
        "es do aplicativo..." },
    TSettingsKey { "ButtonApply", TKeyUse::ReadWrite,
        "|Aplicar as altera\xE7\xF5"
        "es efetuadas na linguagem padr\xE3o..." },
    TSettingsKey { "ButtonCancel", TKeyUse::ReadWrite,
        "|Cancelar as altera\xE7\xF5"
        "es efetuadas..." },
    TSettingsKey {
        "ButtonLanguageDefault", TKeyUse::ReadWrite, "|Editar a limguagem pad\xE3o desta aplica\xE7\xE3o..." },
    TSettingsKey { "BackupFiles", TKeyUse::ReadWrite, "|Criar um backup dos arquivos antes de serem processados..." },
    TSettingsKey { "SimulateFiles", TKeyUse::Write, "|Apenas simular a convers\xE3o nos arquivos..." },
    TSettingsKey { "ButtonSaveResult", TKeyUse::ReadWrite,
        "Salvar Resultado|Salvar o resultado da convers\xE3o do(s) arquivo(s)..." },
    TSettingsKey {
        "ProgressMessage", TKeyUse::ReadWrite, "|Por favor, aguarde o final do processamento do(s) arquivo(s)..." },
    TSettingsKey { "ViewResult", TKeyUse::ReadWrite, "|Lista dos itens convertidos..." },
    TSettingsKey { "LabeledEditFileMask", TKeyUse::Read, "|Mascara para o filtrar os arquivos..." },
    TSettingsKey {
        "ButtonOk", TKeyUse::Read, "|Confirma a visualiza\xE7\xE3o do resultado da convers\xE3o do arquivo..." },
} };

/// The order in which LoadSettings reads and applies the Captions keys marked R or RW.
inline constexpr std::array<std::string_view, 52> kCaptionReadOrder {
    "Form",
    "StatusBar",
    "OutlookBar",
    "OutlookBarButton1",
    "OutlookBarButton2",
    "OutlookBarButton3",
    "SelectFilesColumn1",
    "SelectFilesColumn2",
    "SelectFilesColumn3",
    "SelectFilesColumn4",
    "ConvertStringsColumn1",
    "ConvertStringsColumn2",
    "ChangeFileName",
    "ChangeFileNameItem1",
    "ChangeFileNameItem2",
    "ChangeFileNameItem3",
    "BackupFiles",
    "EditMasks",
    "ButtonLanguageDefault",
    "MainMenuBarItem1",
    "MainMenuBarItem2",
    "MainMenuBarItem3",
    "MainMenuBarItem4",
    "MenuScanSubDirectory",
    "MenuAddFile",
    "MenuRemoveFile",
    "MenuSelectAll",
    "MenuInsertLine",
    "MenuDeleteLines",
    "MenuOpenRepositoryData",
    "MenuCopyRepositoryData",
    "MenuNewRepositoryData",
    "MenuSaveRepositoryData",
    "MenuExecuteConversion",
    "MenuAboutMe",
    "MessageQuestionText1",
    "MessageQuestionText2",
    "MessageQuestionCaption",
    "BrowseFolder",
    "LanguageCaptionTitle",
    "LanguageHintTitle",
    "LanguageColumn1",
    "LanguageColumn2",
    "ButtonApply",
    "ButtonCancel",
    "ViewResultTitle",
    "ViewResultColumn1",
    "ViewResultColumn2",
    "ViewResultColumn3",
    "ButtonOk",
    "ButtonSaveResult",
    "ProgressMessage",
};

/// The order in which LoadSettings reads and applies the Hints keys marked R or RW.
inline constexpr std::array<std::string_view, 25> kHintReadOrder {
    "MenuScanSubDirectory",
    "MenuAddFile",
    "MenuRemoveFile",
    "MenuSelectAll",
    "MenuInsertLine",
    "MenuDeleteLines",
    "MenuOpenRepositoryData",
    "MenuCopyRepositoryData",
    "MenuNewRepositoryData",
    "MenuSaveRepositoryData",
    "MenuExecuteConversion",
    "MenuAboutMe",
    "SelectFiles",
    "ConvertStrings",
    "RadioGroupChangeFile",
    "OutlookBarOptions",
    "ButtonApply",
    "ButtonLanguageDefault",
    "LabeledEditFileMask",
    "BackupFiles",
    "ViewResult",
    "ButtonOk",
    "ButtonCancel",
    "ButtonSaveResult",
    "ProgressMessage",
};

/// The entry of a key in a table (exact spelling), or nullptr.
template <std::size_t N>
constexpr const TSettingsKey *FindSettingsKey(const std::array<TSettingsKey, N> &table, std::string_view key)
{
    for (const auto &entry : table)
        if (entry.Key == key)
            return &entry;
    return nullptr;
}

} // namespace qvc
