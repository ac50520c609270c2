#include "results/WindowTexts.h"

#include "common/FileIO.h"
#include "common/FolderLocks.h"
#include "engine/forms/BinaryFormToText.h"
#include "engine/journal/RunJournal.h"
#include "engine/journal/UndoRun.h"
#include "engine/run/ConversionRun.h"
#include "engine/run/ResultStore.h"
#include "repository/SubstitutionRepository.h"

#include <algorithm>

namespace qvc {

namespace {

// The core's own messages and reasons, in English for the terminal, as the window shows them.
constexpr TWindowText kWindowTexts[] = {
    { kChangedMeanwhile, "O arquivo foi alterado por outro programa depois de lido." },
    { kNotRegularFile, "N\xE3o \xE9 um arquivo comum." },
    { kNotRegularFileReason, "N\xE3o \xE9 um arquivo comum" },
    { kCannotSyncFolder,
        "N\xE3o foi poss\xEDvel gravar no disco as altera\xE7\xF5"
        "es da pasta \"%s\". %s" },
    { kTooManyFolders,
        "a convers\xE3o grava em %s pastas, mais do que este processo pode manter abertas ao mesmo tempo (%s); nada "
        "foi alterado" },
    { kFolderInUse, "a pasta \"%s\" est\xE1 em uso por outra convers\xE3o ou outro desfazer; nada foi alterado" },
    { kDamagedJournal, "di\xE1rio vazio ou danificado (linha %s)" },
    { kEmptyJournal, "di\xE1rio vazio ou danificado" },
    { kJournalFolderShared, "di\xE1rio n\xE3o usado: outros usu\xE1rios podem gravar na sua pasta \"%s\"" },
    { kJournalIsLink, "di\xE1rio n\xE3o usado: \"%s\" \xE9 um link simb\xF3lico" },
    { kJournalNotRegular, "di\xE1rio n\xE3o usado: \"%s\" n\xE3o \xE9 um arquivo comum" },
    { kJournalOtherOwner, "di\xE1rio n\xE3o usado: \"%s\" pertence a outro usu\xE1rio" },
    { kJournalWritableByOthers, "di\xE1rio n\xE3o usado: outros usu\xE1rios podem gravar em \"%s\"" },
    { kJournalOutsideFolders, "di\xE1rio n\xE3o usado: ele cita \"%s\", fora das pastas da convers\xE3o" },
    { kNoJournalFolder,
        "N\xE3o h\xE1 pasta para o di\xE1rio da convers\xE3o (nem XDG_STATE_HOME nem HOME est\xE3o definidos)." },
    { kUndoPending,
        "um desfazer do di\xE1rio \"%s\" foi interrompido; use \"Desfazer a \xDAltima Convers\xE3o\" (ou \"qvconvert "
        "undo\") para complet\xE1-lo antes de converter de novo" },
    { kNotAnInteger, "'%s' n\xE3o \xE9 um n\xFAmero inteiro v\xE1lido" },
    { kListIndexOutOfBounds, "\xCDndice de lista fora dos limites (%s)" },
    { kFormNoSignature,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: os dados n\xE3o come\xE7"
        "am com a assinatura \"TPF0\"" },
    { kFormEndsEarly,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: os dados terminam antes do fim (faltam %s bytes, "
        "restam %s)" },
    { kFormLengthBeyondEnd,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: um tamanho de %s passa do fim dos dados (restam %s "
        "bytes)" },
    { kFormChildPositionNotInteger,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: a posi\xE7\xE3o do filho n\xE3o \xE9 um valor "
        "inteiro" },
    { kFormItemIndexNotInteger,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: o \xEDndice do item n\xE3o \xE9 um valor inteiro" },
    { kFormTextTooLong,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: sua forma de texto teria mais de %s vezes o tamanho "
        "do formul\xE1rio" },
    { kFormNestedTooDeep,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: o formul\xE1rio tem mais de %s n\xEDveis "
        "aninhados" },
    { kFormUnknownValueType,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: tipo de valor desconhecido %s" },
    { kFormItemWithoutMarker,
        "Formul\xE1rio bin\xE1rio inv\xE1lido na posi\xE7\xE3o %s: um item de cole\xE7\xE3o n\xE3o come\xE7"
        "a com sua marca de lista" },
    { kFormBadResourceHeader,
        "Formul\xE1rio bin\xE1rio inv\xE1lido: o cabe\xE7"
        "alho de recurso n\xE3o come\xE7"
        "a com 0xFF e 10" },
    { kFormEndsInResourceHeader,
        "Formul\xE1rio bin\xE1rio inv\xE1lido: o arquivo termina dentro do cabe\xE7"
        "alho de recurso" },
};

} // namespace

std::span<const TWindowText> WindowTexts()
{
    return kWindowTexts;
}

std::string_view WindowText(std::string_view text)
{
    const auto *found = std::find_if(std::begin(kWindowTexts), std::end(kWindowTexts),
        [text](const TWindowText &entry) { return entry.Core == text; });
    return found == std::end(kWindowTexts) ? text : found->Window;
}

std::string_view MissReasonWindowText(TMissReason reason)
{
    switch (reason) {
    case TMissReason::SecondOccurrence:
        return "segunda ocorr\xEAncia na linha";
    case TMissReason::HoldsReplaceText:
        return "a linha j\xE1 cont\xE9m o texto de troca";
    case TMissReason::InsideComment:
        return "dentro de um coment\xE1rio";
    case TMissReason::InsideString:
        return "dentro de uma string";
    case TMissReason::InsideDirective:
        return "dentro de uma diretiva de compila\xE7\xE3o";
    case TMissReason::QualifiedByReplacedUnit:
        return "qualificado por um nome de unit trocado";
    case TMissReason::NotPascalFile:
        return "n\xE3o \xE9 um arquivo Pascal nem de formul\xE1rio: deixado como est\xE1";
    case TMissReason::ResourceNotFound:
        return "arquivo de recurso n\xE3o encontrado";
    case TMissReason::PropertyUnknownToLcl:
        return "propriedade desconhecida da LCL";
    case TMissReason::ClassUnknownToLcl:
        return "classe desconhecida da LCL";
    case TMissReason::InsideLongerWord:
        break;
    }
    return "ocorr\xEAncia anterior dentro de uma palavra maior";
}

} // namespace qvc
