#include "engine/pass/PassDetails.h"

namespace qvc {

std::string_view MissReasonText(TMissReason reason)
{
    switch (reason) {
    case TMissReason::SecondOccurrence:
        return "second occurrence on the line";
    case TMissReason::HoldsReplaceText:
        return "the line already holds the replace text";
    case TMissReason::InsideComment:
        return "inside a comment";
    case TMissReason::InsideString:
        return "inside a string";
    case TMissReason::InsideDirective:
        return "inside a compiler directive";
    case TMissReason::QualifiedByReplacedUnit:
        return "qualified by a replaced unit name";
    case TMissReason::NotPascalFile:
        return "not a Pascal or form file: left unchanged";
    case TMissReason::ResourceNotFound:
        return "resource file not found";
    case TMissReason::PropertyUnknownToLcl:
        return "property unknown to the LCL";
    case TMissReason::ClassUnknownToLcl:
        return "class unknown to the LCL";
    case TMissReason::InsideLongerWord:
        break;
    }
    return "an earlier occurrence inside a longer word";
}

} // namespace qvc
