#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

using qvc::TKeyUse;

namespace {

using TKeySet = std::set<std::string>;

template <std::size_t N> TKeySet KeysWithUse(const std::array<qvc::TSettingsKey, N> &table, TKeyUse use)
{
    TKeySet keys;
    for (const auto &entry : table)
        if (entry.Use == use)
            keys.emplace(entry.Key);
    return keys;
}

template <std::size_t N> std::vector<std::string> WrittenKeys(const std::array<qvc::TSettingsKey, N> &table)
{
    std::vector<std::string> keys;
    for (const auto &entry : table)
        if (qvc::IsWrittenKey(entry.Use))
            keys.emplace_back(entry.Key);
    return keys;
}

// A settings file as SaveSettings writes it for a window that was just created.
qvc::TProfileFile InitialSettingsFile()
{
    qvc::TProfileFile profile;
    qvc::WriteSettings(
        profile, qvc::TSettingsValues {}, [](std::string_view key) { return std::string(qvc::InitialCaption(key)); },
        [](std::string_view key) { return std::string(qvc::InitialHint(key)); });
    return qvc::TProfileFile::FromBytes(profile.Bytes());
}

TEST(SettingsKeys, NewFileHasTheWrittenKeysOfEachSectionInTableOrder)
{
    const auto file = InitialSettingsFile();
    EXPECT_EQ(file.ReadSectionKeys("Settings"),
        (std::vector<std::string> { "Path", "Mask", "DATFile", "BackupFiles", "SimulateFiles" }));
    EXPECT_EQ(file.ReadSectionKeys("Captions"), WrittenKeys(qvc::kCaptionKeys));
    EXPECT_EQ(file.ReadSectionKeys("Hints"), WrittenKeys(qvc::kHintKeys));
    EXPECT_EQ(file.ReadSectionKeys("Settings").size(), 5u);
    EXPECT_EQ(file.ReadSectionKeys("Captions").size(), 52u);
    EXPECT_EQ(file.ReadSectionKeys("Hints").size(), 24u);
    EXPECT_EQ(file.ReadString("Settings", "DATFile", "x"), "");
    EXPECT_EQ(file.ReadString("Settings", "BackupFiles", ""), "0");
    EXPECT_EQ(file.ReadString("Settings", "SimulateFiles", ""), "0");
    EXPECT_EQ(file.ReadString("Settings", "Mask", ""), "*.pas;*.dfm;*.xfm;*.dpr;*.dpk");
}

TEST(SettingsKeys, OnlyTheAsymmetricKeysLackAMark)
{
    EXPECT_EQ(KeysWithUse(qvc::kCaptionKeys, TKeyUse::Write), TKeySet { "SimulateFiles" });
    EXPECT_EQ(KeysWithUse(qvc::kCaptionKeys, TKeyUse::Read), TKeySet { "ButtonOk" });
    EXPECT_EQ(KeysWithUse(qvc::kHintKeys, TKeyUse::Write), TKeySet { "SimulateFiles" });
    EXPECT_EQ(KeysWithUse(qvc::kHintKeys, TKeyUse::Read), (TKeySet { "ButtonOk", "LabeledEditFileMask" }));
}

template <std::size_t N, std::size_t M>
void ExpectReadOrderCoversTheReadKeys(
    const std::array<qvc::TSettingsKey, N> &table, const std::array<std::string_view, M> &order)
{
    TKeySet readKeys;
    for (const auto &entry : table)
        if (entry.Use != TKeyUse::Write)
            readKeys.emplace(entry.Key);
    const TKeySet ordered(order.begin(), order.end());
    EXPECT_EQ(ordered.size(), order.size()) << "a key read twice";
    EXPECT_EQ(ordered, readKeys);
}

TEST(SettingsKeys, ReadOrdersHoldEveryReadKeyOnce)
{
    ExpectReadOrderCoversTheReadKeys(qvc::kCaptionKeys, qvc::kCaptionReadOrder);
    ExpectReadOrderCoversTheReadKeys(qvc::kHintKeys, qvc::kHintReadOrder);
    EXPECT_EQ(qvc::kCaptionReadOrder.front(), "Form");
    EXPECT_EQ(qvc::kCaptionReadOrder.back(), "ProgressMessage");
    EXPECT_EQ(qvc::kHintReadOrder.back(), "ProgressMessage");
}

TEST(SettingsKeys, NoKeyTwiceInASectionAndNoLineBreakInATextAndEveryHintHasItsBar)
{
    for (const auto *table : { qvc::kCaptionKeys.data(), qvc::kHintKeys.data() }) {
        const std::size_t size = table == qvc::kCaptionKeys.data() ? qvc::kCaptionKeys.size() : qvc::kHintKeys.size();
        TKeySet keys;
        for (std::size_t i = 0; i < size; ++i) {
            EXPECT_TRUE(keys.insert(qvc::AsciiLower(table[i].Key)).second) << table[i].Key;
            EXPECT_EQ(table[i].InitialValue.find_first_of("\r\n"), std::string_view::npos) << table[i].Key;
            if (table == qvc::kHintKeys.data()) {
                EXPECT_NE(table[i].InitialValue.find('|'), std::string_view::npos) << table[i].Key;
            }
        }
    }
}

struct TInitialCase
{
    const char *section;
    const char *key;
    std::size_t position;
    std::string value;
};

class InitialValueTest : public ::testing::TestWithParam<TInitialCase>
{
};

TEST_P(InitialValueTest, StandsInItsPlaceWithItsWindows1252Text)
{
    const auto &c = GetParam();
    const bool captions = std::string_view(c.section) == "Captions";
    const auto &entry = captions ? qvc::kCaptionKeys.at(c.position) : qvc::kHintKeys.at(c.position);
    EXPECT_EQ(entry.Key, c.key);
    EXPECT_EQ(entry.InitialValue, c.value);
    EXPECT_EQ(captions ? qvc::InitialCaption(c.key) : qvc::InitialHint(c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(Cases, InitialValueTest,
    ::testing::Values(TInitialCase { "Captions", "Form", 0, "Utilit\xE1rio para converter arquivos DELPHI e KYLIX." },
        TInitialCase { "Captions", "StatusBar", 1, "Vers\xE3o : " },
        TInitialCase { "Captions", "OutlookBar", 2,
            "Op\xE7\xF5"
            "es" },
        TInitialCase { "Captions", "ChangeFileName", 12, " Trocar o(s) &nome(s) do(s) arquivo(s) processado(s) " },
        TInitialCase { "Captions", "BackupFiles", 16, "Efetuar um \"&BACKUP\" antes de processar o(s) arquivo(s)." },
        TInitialCase { "Captions", "SimulateFiles", 17, "Apenas \"&SIMULAR\" a convers\xE3o no(s) arquivo(s)." },
        TInitialCase { "Captions", "ButtonLanguageDefault", 19, "&Editar a limguagem pad\xE3o..." },
        TInitialCase { "Captions", "MainMenuBarItem2", 21, "&Edi\xE7\xE3o" },
        TInitialCase { "Captions", "MessageQuestionText1", 37,
            "Foram feitas modifica\xE7\xF5"
            "es no arquivo %s " },
        TInitialCase { "Captions", "MessageQuestionCaption", 39, "ATEN\xC7\xC3O !" },
        TInitialCase { "Captions", "ButtonOk", 52, "&Ok" },
        TInitialCase { "Hints", "MenuScanSubDirectory", 0,
            "Buscar Sub-Diret\xF3rios|Buscar arquivo(s) nos sub-diret\xF3rios para a lista..." },
        TInitialCase { "Hints", "MenuOpenRepositoryData", 6,
            "Abrir Reposit\xF3rio|&Abrir um reposit\xF3rio de dados existente..." },
        TInitialCase { "Hints", "SimulateFiles", 20, "|Apenas simular a convers\xE3o nos arquivos..." },
        TInitialCase { "Hints", "LabeledEditFileMask", 24, "|Mascara para o filtrar os arquivos..." },
        TInitialCase {
            "Hints", "ButtonOk", 25, "|Confirma a visualiza\xE7\xE3o do resultado da convers\xE3o do arquivo..." }),
    [](const auto &info) { return std::string(info.param.section) + "_" + info.param.key; });

} // namespace
