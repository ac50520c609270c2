#pragma once
// The fixed texts of "Onde trocar" (the settings page's choice of where a run's pairs apply) and of the line that
// names a run's scope in the status strip and the result view. They are not among the settings file's Captions
// and Hints keys, so the language editor does not list them.
#include "common/Scope.h"

#include <QString>

namespace qvc {

/// The group's title.
inline QString ScopeGroupCaption()
{
    return QStringLiteral("Onde trocar");
}

/// The group's hint: what the choice decides.
inline QString ScopeGroupHint()
{
    return QStringLiteral("Onde os pares trocam o texto: em todo ele, só no código Pascal ou só nos nomes de units");
}

/// The caption of the choice of `scope`.
inline QString ScopeChoiceCaption(TScope scope)
{
    switch (scope) {
    case TScope::Code:
        return QStringLiteral("Só no código (fora de comentários, textos e diretivas)");
    case TScope::Uses:
        return QStringLiteral("Só nos nomes de units (cláusulas uses)");
    case TScope::All:
        break;
    }
    return QStringLiteral("Em todo o texto");
}

/// The hint of the choice of `scope`, for its tooltip and the hint line.
inline QString ScopeChoiceHint(TScope scope)
{
    switch (scope) {
    case TScope::Code:
        return QStringLiteral(
            "Troca só no código Pascal: nunca em comentários, textos entre aspas ou diretivas de compilação");
    case TScope::Uses:
        return QStringLiteral("Troca só os nomes de units nas cláusulas uses (e requires/contains de pacotes)");
    case TScope::All:
        break;
    }
    return QStringLiteral("Troca em todo o texto, como sempre: comentários, textos e diretivas incluídos");
}

/// The line that names a run's scope; empty for TScope::All, which shows nothing.
inline QString RunScopeText(TScope scope)
{
    switch (scope) {
    case TScope::Code:
        return QStringLiteral("Onde trocar: só no código");
    case TScope::Uses:
        return QStringLiteral("Onde trocar: só nos nomes de units");
    case TScope::All:
        break;
    }
    return {};
}

} // namespace qvc
