#pragma once
// The cable doctor: given the facts of a cable's device node, of Ostrel's udev
// rule and of the user (cable_access_facts.h), why this user may not open the
// cable, and the exact commands that open it.

#include "link/cable_access_facts.h"

#include <string>
#include <vector>

namespace ostrel {

enum class CableAccessCause {
    NodeGone,        // the node went away (the cable was pulled meanwhile)
    Permitted,       // the permissions let the user in; something else refused
    RuleMissing,     // no rule hands the node to the user at the seat
    RuleNotApplied,  // the rule is installed, but the node never went through it
    NotAtSeat,       // the rule applied, but this user is not the one at the seat
    NoUdev,          // no udev keeps the node (a container): its maker set its rights
    NotInGroup,      // the node's group may use it, and the user is not in it
    GroupNotHeldYet, // the user joined that group but has not logged in since
};

struct CableDiagnosis {
    CableAccessCause cause = CableAccessCause::Permitted;
    std::vector<std::string> facts; // "node: …", "user: …", "udev rule: …"
    std::string why;
    std::vector<std::string> commands; // to run in this order; may be none
    std::string afterwards;            // what to do once they ran
};

CableDiagnosis DiagnoseCableAccess(const CableAccessFacts& facts, const UserFacts& user);

// The diagnosis as the command line prints it, one line per element.
std::vector<std::string> DiagnosisLines(const CableDiagnosis& diagnosis);

// "0600 (rw-------)"
std::string ModeText(unsigned mode);

// Whether the node's owner, group, mode and access control list give the
// user read and write access (root: always).
bool PermitsReadWrite(const NodeFacts& node, const UserFacts& user);

} // namespace ostrel
