#pragma once
// A run observer that shows nothing, for measuring the engine without a screen.
#include "engine/run/RunObserver.h"

/// Takes every event of `TBase` (TFileProgress or TRunObserver) as doing nothing, and counts the row phases that
/// would let a window handle its pending events.
template <class TBase> class TSilentServices : public TBase
{
public:
    int Events = 0;
    void RowPhase(int, int, bool) override { ++Events; }
};
