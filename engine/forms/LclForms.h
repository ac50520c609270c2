#pragma once
// Forms for the LCL: the table of the classes the LCL has and the properties it reads for each (generated
// from the LCL's own run-time type information), and the filter that leaves out of a form's text every
// property the LCL would refuse to read, so that the form opens.
#include "engine/pass/PassDetails.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvc {

class TLclTable
{
public:
    /// Reads a table (lines "lcl …", "class C P", "prop C Name kind [Type]", "item Collection Item",
    /// "define C Name…"; "#" comments). Any bytes: lines that do not read are passed over.
    explicit TLclTable(std::string_view data);

    /// The table of the LCL the program was built with.
    static const TLclTable &Builtin();

    /// The "lcl …" line: the LCL and compiler versions the table came from.
    const std::string &Version() const { return m_version; }
    bool HasClass(std::string_view name) const;
    std::size_t ClassCount() const { return m_classes.size(); }

    enum class TLookup : std::uint8_t { Unknown, Other, Class };
    /// Whether class `className` (or a class it descends from) publishes or defines `property` (ASCII letter
    /// case ignored); for a property of a class type, its type's name goes to `typeName`.
    TLookup Property(std::string_view className, std::string_view property, std::string *typeName = nullptr) const;
    /// The item class of the collection class `collection` (or of one it descends from), empty when unknown.
    std::string ItemClass(std::string_view collection) const;

private:
    struct TProperty
    {
        bool IsClass = false;
        std::string Type;
    };
    struct TClass
    {
        std::string Parent; // ASCII lower case
        std::string Item; // as written
        std::unordered_map<std::string, TProperty> Properties; // key: ASCII lower case
    };
    const TClass *Find(std::string_view name) const;

    std::string m_version;
    std::unordered_map<std::string, TClass> m_classes; // key: ASCII lower case
};

/// Finds the class a form's class descends from, for classes the table lacks (TForm1 = class(TForm)): the
/// ancestor's name, empty when it is not known.
using TAncestorOf = std::function<std::string(std::string_view className)>;

/// What the filter left out or could not judge in one form.
struct TLclFormReport
{
    std::vector<TMissedOccurrence> Missed; ///< by line: properties left out, unknown classes (once each)
};

/// The lines of a form text as the filter reads them: broken at LF, a CR before it dropped; views into `text`.
std::vector<std::string_view> FormTextLines(std::string_view text);

/// Leaves out of the form text `text` (lines ended by CR LF) every property the LCL class of its object does
/// not publish or define, with all the lines of its value (a list, a collection with its items, a binary
/// block, a string continued with "+"). Objects of classes neither the table nor `ancestorOf` resolve are
/// kept as they are, with everything inside them, and listed once per class. Returns the text to write.
std::string FilterFormForLcl(
    std::string_view text, const TLclTable &table, const TAncestorOf &ancestorOf, TLclFormReport &report);

/// The ancestors the class declarations of a Pascal text name ("TForm1 = class(TForm)"), keyed by the class
/// name in ASCII lower case.
void CollectClassDeclarations(std::string_view text, std::unordered_map<std::string, std::string> &ancestors);

} // namespace qvc
