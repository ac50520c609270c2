#pragma once
// Window services that show nothing, for measuring the engine without a screen.
#include "engine/WindowServices.h"

#include <string>

/// Implements every window service of `TBase` (TWindowServices or a view derived from it) as doing
/// nothing, and counts the calls that would let a window handle its pending events.
template <class TBase> class TSilentServices : public TBase
{
public:
    int Events = 0;
    void SetProgress(int, int, int) override { }
    void AdvanceRowImage(int, int, bool) override { ++Events; }
    void ResetRow(int) override { }
    void SetRowPercent(int, int) override { }
    void SetRowOutcome(int, long long, long double) override { }
    void SelectRow(int) override { }
    void ClearSelection() override { }
    void ShowProgressMessage(bool) override { }
    void ShowReadyImage(bool) override { }
    void EnableSaveResult(bool) override { }
    void BeginRun() override { }
    void EndRun() override { }
};
