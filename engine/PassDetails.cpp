#include "engine/PassDetails.h"

namespace qvc {

std::string_view MissReasonText(TMissReason reason)
{
    switch (reason) {
    case TMissReason::SecondOccurrence:
        return "second occurrence on the line";
    case TMissReason::HoldsReplaceText:
        return "the line already holds the replace text";
    case TMissReason::InsideLongerWord:
        break;
    }
    return "an earlier occurrence inside a longer word";
}

} // namespace qvc
